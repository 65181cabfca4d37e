#pragma once

// Shared set-up of the project-panel tests: one QApplication (offscreen) with the build tree's
// real "styles.xml" loaded and XDG_DATA_HOME / XDG_CONFIG_HOME in temporary folders (the data
// home holds the template folders); a main-window stand-in that hosts a real project browser
// and object editor and wires them as the main window does; and a fixture with a core.

#include "app/TwMainWindowInterface.h"

#include <QList>
#include <QString>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

class KelNGObject;
class QUndoStack;
class TwCore;
class TwObjectEditor;
class TwProjectBrowser;

namespace KelNodes {
class Node;
}

namespace PanelTest {

// Hosts both panels. initObject and deinitObject do what the main window does: rows first
// (where the core will put the object), then the core's own steps.
class PanelsWindow : public TwMainWindowInterface
{
public:
    PanelsWindow() = default;
    ~PanelsWindow() override;

    // Builds the panels for the core and wires them.
    void attach(TwCore* core);
    void detach();

    TwCore* core = nullptr;
    TwProjectBrowser* browser = nullptr;
    TwObjectEditor* editor = nullptr;
    // vyxGraphSettingChanged received, with its flag.
    QList<bool> settingChanges;

    QWidget* widget() override { return nullptr; }
    void renderingFinished() override {}
    void modifiedStateChanged() override {}
    void initObject(KelNGObject* object) override;
    void deinitObject(KelNGObject* object) override;
    void selectedObjectChanged(KelNGObject* object) override;
    void templateHasBeenAddedOrUpdated(bool, KelTemplate*) override {}
    void nodeAboutToBeDeleted(KelNodes::Node*) override {}
    void adjustUI(KelNGObject*) override {}
    bool isNodeGraphViewMode() const override { return false; }
    void statusBarShowMessage(QString const&) override {}
    void imageViewSetMessage(QString const&) override {}
    void debugWindowAppend(QString const&) override {}
    void nodeGraphViewSetObject(KelNodes::NodeGraph*) override {}
    void nodeGraphViewUpdateGraph() override {}
    void nodeGraphViewRedrawNodes() override {}
    bool nodeDockObjectPanelEditsNode(KelNodes::Node*) override { return false; }
    void nodeDockCrucialObjectSettingsFor(KelNGObject*) override {}
    bool nodeDockSubGraphPanelEditsNode(KelNodes::Node*) override { return false; }
    void nodeDockDeleteSubGraphPanel() override {}
    void projectBrowserSortFilters() override;
    void projectBrowserDynamicObjectSettingsFor(KelNGObject* object) override;
    void projectBrowserNodeAboutToBeDeleted(KelNodes::Node*) override {}
    void projectBrowserUpdateObject(KelNGObject*) override {}
    void objectEditorAdjustUI(KelNGObject* object) override;
    void objectEditorUpdateObject(KelNGObject* object) override;
    void objectEditorTemplateHasBeenAddedOrUpdated(KelTemplate* objectTemplate) override;
};

class PanelsFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Lets running renders and posted restarts end.
    void settle();
    // A new top-level object whose graph, named `name`, holds source -> inversion -> output.
    KelNGObject* addObject(QString const& name);
    QUndoStack* stack() const;
    // Names of the rows in display order.
    QStringList browserNames() const;
    QStringList editorNames() const;
    // The chain from the root's source node to its output node, by graph name.
    QStringList chainNames() const;
    QStringList objectNames() const;

    PanelsWindow window;
    std::unique_ptr<TwCore> core;
};

// Runs `answer` on the next modal widget that shows up (a message box), from a timer.
void answerNextModal(std::function<void(QWidget*)> answer);

} // namespace PanelTest
