#include "ObjectEditorTestSupport.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwCmdObjectName.h"
#include "mainwindow/TwCmdObjectTemplateName.h"
#include "mainwindow/TwCmdRenameNode.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwObjectSettings.h"
#include "mainwindow/TwProjectBrowser.h"
#include "mainwindow/VyxCmdOEBlendModeChange.h"
#include "mainwindow/VyxCmdOEOpacityChange.h"
#include "mainwindow/VyxCmdPBBlendModeChange.h"
#include "mainwindow/VyxCmdPBOpacityChange.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelNGNode.h"
#include "ui_KelNodePanel.h"
#include "ui_ObjectEditor.h"
#include "ui_ProjectBrowser.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QUndoStack>

#include <functional>

using PanelTest::PanelsFixture;

namespace {

class CommandTest : public PanelsFixture
{
protected:
    QString shownOpacity(QTreeWidget* tree, QTreeWidgetItem* row) const
    {
        return qobject_cast<QComboBox*>(tree->itemWidget(row, 3))->currentText();
    }
    int shownBlend(QTreeWidget* tree, QTreeWidgetItem* row) const
    {
        return qobject_cast<QComboBox*>(tree->itemWidget(row, 4))->currentIndex();
    }

    // Runs redo and undo of the pushed command, checking each time that the project got marked
    // modified and that `check` sees the expected state.
    void expectMarkedEachWay(std::function<void(bool redone)> const& check)
    {
        check(true);
        EXPECT_TRUE(core->isModified());
        core->setModified(false);
        stack()->undo();
        check(false);
        EXPECT_TRUE(core->isModified()) << "undo marks the project";
        core->setModified(false);
        stack()->redo();
        check(true);
        EXPECT_TRUE(core->isModified()) << "redo marks the project";
    }

    KelTemplate* newTemplate()
    {
        KelTemplate* objectTemplate = core->templateStore()->createObjectTemplate();
        window.editor->updateTemplateObject(objectTemplate->objectInstance());
        return objectTemplate;
    }

    static QUndoStack* stackOf(KelNGObject* object)
    {
        return qobject_cast<QUndoStack*>(object->graph()->topLevelGraph()->undoStack());
    }
};

} // namespace

TEST_F(CommandTest, GraphSettingCommandsSetRefreshAnnounceAndMarkEachWay)
{
    enum Kind { PBBlend, PBOpacity, OEBlend, OEOpacity };
    struct Case { Kind kind; char const* text; bool fromBrowser; };
    const Case cases[] = {{PBBlend, "Blendmode Change", true},
                          {PBOpacity, "Opacity Change", true},
                          {OEBlend, "Blendmode Change", false},
                          {OEOpacity, "Opacity Change", false}};
    for (Case const& c : cases) {
        KelNGObject* object = addObject("A");
        KelNodes::NodeGraph* graph = object->graph();
        stack()->clear();
        core->setModified(false);
        window.settingChanges.clear();
        const bool blend = c.kind == PBBlend || c.kind == OEBlend;
        // Blend-mode commands hold ids: 6 is "Screen", the fifth item.
        const int value = blend ? 6 : 40;
        QUndoCommand* command = nullptr;
        switch (c.kind) {
        case PBBlend: command = new VyxCmdPBBlendModeChange(core.get(), window.browser, graph, 6, 0); break;
        case PBOpacity: command = new VyxCmdPBOpacityChange(core.get(), window.browser, graph, 40, 100); break;
        case OEBlend: command = new VyxCmdOEBlendModeChange(core.get(), window.editor, graph, 6, 0); break;
        case OEOpacity: command = new VyxCmdOEOpacityChange(core.get(), window.editor, graph, 40, 100); break;
        }
        stack()->push(command);
        EXPECT_EQ(stack()->text(0), c.text);
        QTreeWidget* issuing = c.fromBrowser ? static_cast<QTreeWidget*>(window.browser->form()->treeWidget)
                                             : window.editor->form()->treeWidget;
        QTreeWidgetItem* row = c.fromBrowser ? object->projectBrowserItem : object->objectEditorItem;
        expectMarkedEachWay([&](bool redone) {
            if (blend) {
                EXPECT_EQ(TwObjectSettings::blendModeId(graph), redone ? 6 : 0) << c.text;
                if (!redone) {
                    EXPECT_EQ(shownBlend(issuing, row), 0);
                }
            } else {
                EXPECT_EQ(TwObjectSettings::opacity(graph), redone ? 40 : 100) << c.text;
                if (!redone) {
                    EXPECT_EQ(shownOpacity(issuing, row), "100%");
                }
            }
        });
        // The second redo refreshes the issuing row as well.
        if (blend)
            EXPECT_EQ(shownBlend(issuing, row), 4);
        else
            EXPECT_EQ(shownOpacity(issuing, row), QStringLiteral("%1%").arg(value));
        EXPECT_EQ(window.settingChanges, QList<bool>(3, c.fromBrowser));
        stack()->clear();
        core->clear();
        settle();
    }
}

TEST_F(CommandTest, CommandsWhoseGraphOrNodeIsGoneDoNothing)
{
    KelNGObject* object = addObject("A");
    KelNodes::Node* inner = object->graph()->nodes().last();
    VyxCmdPBOpacityChange opacity(core.get(), window.browser, object->graph(), 40, 100);
    TwCmdObjectName name(window.editor, object, "B", "A");
    TwCmdRenameNode rename(core.get(), window.editor, inner, "N", "");
    core->clear();
    settle();
    core->setModified(false);
    for (QUndoCommand* command : {static_cast<QUndoCommand*>(&opacity),
                                  static_cast<QUndoCommand*>(&name),
                                  static_cast<QUndoCommand*>(&rename)}) {
        command->redo();
        command->undo();
    }
    EXPECT_FALSE(core->isModified());
    EXPECT_EQ(window.settingChanges.size(), 0);
}

TEST_F(CommandTest, ObjectNameRenamesGraphTemplateAndBothRows)
{
    KelNGObject* object = addObject("A");
    window.editor->adjustUI(object); // gives the object an empty template
    stack()->clear();
    core->setModified(false);
    stack()->push(new TwCmdObjectName(window.editor, object, "B", "A"));
    EXPECT_EQ(stack()->text(0), "Name Change");
    expectMarkedEachWay([&](bool redone) {
        QString const name = redone ? "B" : "A";
        EXPECT_EQ(object->graph()->name(), name);
        EXPECT_EQ(object->objectTemplate()->name(), name);
        EXPECT_EQ(object->objectEditorItem->text(1), name);
        EXPECT_EQ(object->projectBrowserItem->text(1), name);
    });
}

// A template's name typed in the Template tab is a step of the project's history, one typed into
// its row of the Templates list a step of the template's own; neither marks the project. The
// project's history outlives the template: its step then changes nothing.
TEST_F(CommandTest, TemplateRenamesGoOnTheProjectsHistoryFromTheTemplateTabAndOnTheTemplatesFromItsRow)
{
    KelTemplate* objectTemplate = newTemplate();
    KelNGObject* object = objectTemplate->objectInstance();
    QString const oldName = objectTemplate->name();
    window.editor->adjustUI(object);
    objectTemplate->setModified(false);
    stack()->clear();
    core->setModified(false);

    window.editor->changeObjectNameTo("Renamed");
    QUndoStack* own = stackOf(object);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->count(), 0);
    ASSERT_EQ(stack()->count(), 1) << "the Template tab's rename is the project's step";
    EXPECT_EQ(stack()->text(0), "Object Template Name Change");
    EXPECT_EQ(object->graph()->name(), "Renamed");
    EXPECT_EQ(objectTemplate->name(), "Renamed");
    EXPECT_EQ(object->templateTreeItem->text(0), "Renamed");
    EXPECT_TRUE(objectTemplate->modified());
    EXPECT_FALSE(core->isModified());

    objectTemplate->setModified(false);
    stack()->undo();
    EXPECT_EQ(object->graph()->name(), oldName);
    EXPECT_EQ(objectTemplate->name(), oldName);
    EXPECT_EQ(object->templateTreeItem->text(0), oldName);
    EXPECT_TRUE(objectTemplate->modified()) << "undo marks the template unsaved";
    EXPECT_FALSE(core->isModified());
    stack()->redo();
    EXPECT_EQ(objectTemplate->name(), "Renamed");

    object->templateTreeItem->setText(0, "Listed");
    EXPECT_EQ(stack()->count(), 1);
    ASSERT_EQ(own->count(), 1) << "the row's rename is the template's step";
    EXPECT_EQ(own->text(0), "Object Template Name Change");
    EXPECT_EQ(objectTemplate->name(), "Listed");

    // The template deleted: its own history goes with it, the project's keeps the step, which
    // finds no template any more.
    window.editor->adjustUI(nullptr);
    core->templateStore()->deleteTemplate(objectTemplate, false);
    ASSERT_EQ(stack()->count(), 1);
    stack()->undo();
    stack()->redo();
    EXPECT_FALSE(core->isModified());
}

// A name typed in the node panel, for a project's node and for a node of a template under edit:
// both are steps of the project's history; the template's marks the template, not the project,
// and outlives the template without effect.
TEST_F(CommandTest, RenameNodeGoesOnTheProjectsHistoryAndMarksItsOwner)
{
    auto typeName = [this](KelNodes::Node* node, QString const& text) {
        KelNGNode* item = KelNGNode::itemOf(node);
        ASSERT_NE(item, nullptr);
        window.editor->selectedNodeChanged(item);
        QLineEdit* field = window.editor->nodePanelForm()->nodeNameEdit;
        field->setText(text);
        QTest::keyClick(field, Qt::Key_Return);
        window.editor->selectedNodeChanged(nullptr);
    };
    KelNGObject* object = addObject("A");
    window.editor->form()->treeWidget->setCurrentItem(object->objectEditorItem);
    settle();
    KelNodes::Node* node = object->graph()->nodes().last();
    QString const before = node->displayName();
    stack()->clear();
    core->setModified(false);
    typeName(node, "N");
    ASSERT_EQ(stack()->count(), 1);
    EXPECT_EQ(stack()->text(0), "Rename Node");
    expectMarkedEachWay([&](bool redone) { EXPECT_EQ(node->displayName(), redone ? "N" : before); });

    KelTemplate* objectTemplate = newTemplate();
    KelNGObject* instance = objectTemplate->objectInstance();
    window.editor->adjustUI(instance);
    KelNodes::Node* templateNode = instance->graph()->nodes().last();
    QString const templateBefore = templateNode->displayName();
    objectTemplate->setModified(false);
    stack()->clear();
    core->setModified(false);
    typeName(templateNode, "T");
    ASSERT_EQ(stack()->count(), 1) << "the template's node's name is a step of the project's history";
    EXPECT_EQ(stackOf(instance)->count(), 0);
    EXPECT_EQ(templateNode->displayName(), "T");
    EXPECT_TRUE(objectTemplate->modified());
    EXPECT_FALSE(core->isModified());
    objectTemplate->setModified(false);
    stack()->undo();
    EXPECT_EQ(templateNode->displayName(), templateBefore);
    EXPECT_TRUE(objectTemplate->modified());
    EXPECT_FALSE(core->isModified());
    window.editor->adjustUI(nullptr);
    core->templateStore()->deleteTemplate(objectTemplate, false);
    stack()->redo();
    stack()->undo();
    EXPECT_FALSE(core->isModified());
}
