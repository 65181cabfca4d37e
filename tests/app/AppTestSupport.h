#pragma once

// Shared set-up of the application tests:
// - one QApplication for the whole run (offscreen platform), made by a global test environment
//   before any test, with XDG_DATA_HOME and XDG_CONFIG_HOME in temporary folders (so nothing
//   touches a real home);
// - ScopedDataHome: a fresh, empty XDG_DATA_HOME for one test;
// - RecordingMainWindow: a main-window stand-in that records every call the core makes;
// - MessageBoxAnswerer: answers every modal message box that opens while it lives.

#include "app/TwMainWindowInterface.h"

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

class TwCore;

namespace AppTest {

// The folder of the committed test files.
QString testDataDir();
// The data home the environment made for the run (XDG_DATA_HOME at start).
QString runDataHome();

// Points XDG_DATA_HOME at a new empty folder while it lives and puts the old value back.
class ScopedDataHome
{
public:
    ScopedDataHome();
    ~ScopedDataHome();
    ScopedDataHome(ScopedDataHome const&) = delete;
    ScopedDataHome& operator=(ScopedDataHome const&) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    // path() + "/Vyx-Solenne" (the storage root under this data home).
    QString storageRoot() const;
    // Makes the storage root with "templates/lumora/icons" below it.
    bool makeTemplateFolders() const;

private:
    QTemporaryDir m_dir;
    QByteArray m_old;
};

// Records each call as one line: the call's name, and for texts a blank and the text.
// initObject and deinitObject hand the object on to the core's own steps when a core is set.
class RecordingMainWindow : public TwMainWindowInterface
{
public:
    RecordingMainWindow() = default;

    void setCore(TwCore* core) { m_core = core; }
    TwCore* core() const { return m_core; }

    QStringList calls;
    int count(QString const& call) const;
    // The last text given to imageViewSetMessage.
    QString lastImageViewMessage;
    int renderingFinishedCount = 0;

    QWidget* widget() override { return nullptr; }
    void renderingFinished() override { ++renderingFinishedCount; calls << QStringLiteral("renderingFinished"); }
    void modifiedStateChanged() override { calls << QStringLiteral("modifiedStateChanged"); }
    void initObject(KelNGObject* object) override;
    void deinitObject(KelNGObject* object) override;
    void selectedObjectChanged(KelNGObject*) override { calls << QStringLiteral("selectedObjectChanged"); }
    void templateHasBeenAddedOrUpdated(bool added, KelTemplate*) override
    {
        calls << QStringLiteral("templateHasBeenAddedOrUpdated %1").arg(added ? 1 : 0);
    }
    void nodeAboutToBeDeleted(KelNodes::Node*) override { calls << QStringLiteral("nodeAboutToBeDeleted"); }
    void adjustUI(KelNGObject*) override { calls << QStringLiteral("adjustUI"); }
    bool isNodeGraphViewMode() const override { return false; }
    void statusBarShowMessage(QString const& text) override { calls << QStringLiteral("statusBarShowMessage ") + text; }
    void imageViewSetMessage(QString const& text) override
    {
        lastImageViewMessage = text;
        calls << QStringLiteral("imageViewSetMessage ") + text;
    }
    void debugWindowAppend(QString const& text) override { calls << QStringLiteral("debugWindowAppend ") + text; }
    void nodeGraphViewSetObject(KelNodes::NodeGraph* graph) override
    {
        calls << QStringLiteral("nodeGraphViewSetObject ") + (graph ? "graph" : "null");
    }
    void nodeGraphViewUpdateGraph() override { calls << QStringLiteral("nodeGraphViewUpdateGraph"); }
    void nodeGraphViewRedrawNodes() override { calls << QStringLiteral("nodeGraphViewRedrawNodes"); }
    bool nodeDockObjectPanelEditsNode(KelNodes::Node*) override { return false; }
    void nodeDockCrucialObjectSettingsFor(KelNGObject*) override {}
    bool nodeDockSubGraphPanelEditsNode(KelNodes::Node*) override { return false; }
    void nodeDockDeleteSubGraphPanel() override {}
    void projectBrowserSortFilters() override { calls << QStringLiteral("projectBrowserSortFilters"); }
    void projectBrowserDynamicObjectSettingsFor(KelNGObject*) override {}
    void projectBrowserNodeAboutToBeDeleted(KelNodes::Node*) override {}
    void projectBrowserUpdateObject(KelNGObject*) override { calls << QStringLiteral("projectBrowserUpdateObject"); }
    void objectEditorAdjustUI(KelNGObject*) override { calls << QStringLiteral("objectEditorAdjustUI"); }
    void objectEditorUpdateObject(KelNGObject*) override { calls << QStringLiteral("objectEditorUpdateObject"); }
    void objectEditorTemplateHasBeenAddedOrUpdated(KelTemplate*) override
    {
        calls << QStringLiteral("objectEditorTemplateHasBeenAddedOrUpdated");
    }

private:
    TwCore* m_core = nullptr;
};

// While it lives, a zero-delay timer clicks `button` (or, when the box has no such button, its
// escape button, else its default button) on every QMessageBox that is the active modal widget.
class MessageBoxAnswerer : public QObject
{
public:
    explicit MessageBoxAnswerer(QMessageBox::StandardButton button = QMessageBox::Ok);
    ~MessageBoxAnswerer() override;

    void setButton(QMessageBox::StandardButton button) { m_button = button; }
    // Title, text and text format of each box answered, in order.
    QStringList titles;
    QStringList texts;
    QList<Qt::TextFormat> formats;
    int answered() const { return int(texts.size()); }

private:
    void poll();

    QMessageBox::StandardButton m_button;
    QTimer m_timer;
};

} // namespace AppTest
