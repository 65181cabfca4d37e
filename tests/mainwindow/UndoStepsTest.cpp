// Which changes of what Save writes are steps of Edit > Undo: Paste, a new empty effect, an
// effect's eye and a node's colour take effect at once without one.

#include "WindowUser.h"

#include "ui_KelNodePanel.h"
#include "ui_MainWindow.h"
#include "ui_ObjectEditor.h"
#include "ui_ProjectBrowser.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelNGNode.h"
#include "style/KelColorField.h"

#include <QAction>
#include <QDomDocument>
#include <QDomNamedNodeMap>
#include <QMap>
#include <QGraphicsPixmapItem>
#include <QTest>
#include <QTreeWidget>
#include <QToolButton>
#include <QUndoGroup>
#include <QUndoStack>

#include <functional>

namespace MainWindowTest {
namespace {

// Where the node view laid a node out: written into the node when its graph stops being shown,
// by whatever step that happens in.
bool isLayout(QString const& name, QString const& value)
{
    static const QStringList layout = {QStringLiteral("posX"), QStringLiteral("posY"),
                                       QStringLiteral("previewIsExpanded"), QStringLiteral("terminalsAreExpanded")};
    return layout.contains(name) || (name == QLatin1String("hasCustomNodeColor") && value == QLatin1String("0"))
        || (name == QLatin1String("customNodeColor") && value == QLatin1String("#000000"));
}

void writeCanonical(QDomElement const& element, bool withoutLayout, QByteArray& out)
{
    out += '<' + element.tagName().toUtf8();
    QMap<QString, QString> attributes;
    QDomNamedNodeMap const map = element.attributes();
    for (int i = 0; i < map.count(); ++i) {
        QDomAttr const attribute = map.item(i).toAttr();
        if (!withoutLayout || !isLayout(attribute.name(), attribute.value()))
            attributes.insert(attribute.name(), attribute.value());
    }
    for (auto it = attributes.cbegin(); it != attributes.cend(); ++it)
        out += ' ' + it.key().toUtf8() + "=\"" + it.value().toUtf8() + '"';
    out += '>';
    for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (child.isElement())
            writeCanonical(child.toElement(), withoutLayout, out);
        else if (child.isText())
            out += child.toText().data().toUtf8();
    }
    out += "</" + element.tagName().toUtf8() + '>';
}

class UndoSteps : public WindowUser
{
protected:
    // The project as Save writes it, its attributes in one order (the document's own order is a
    // hash's).
    QByteArray saved(bool withoutLayout) const
    {
        QDomDocument document;
        EXPECT_TRUE(document.setContent(projectBytes()));
        QByteArray out;
        writeCanonical(document.documentElement(), withoutLayout, out);
        return out;
    }
};

// The actions that take effect at once, without a step: what they change reaches what Save
// writes, and Undo's top step stays the one it was, so that Undo takes back the step before.
class NoUndoStep : public UndoSteps
{
protected:
    // A rename of `object` first, as the step Undo must still take back after the change.
    void expectNoStep(KelNGObject* object, std::function<void()> const& change, bool withoutLayout = false)
    {
        QTreeWidgetItem* row = object->projectBrowserItem;
        ASSERT_NE(row, nullptr);
        const QString name = object->graph()->displayName();
        row->setText(1, QStringLiteral("Renamed"));
        settle();
        ASSERT_EQ(object->graph()->displayName(), QStringLiteral("Renamed"));
        QUndoStack* active = window->undoGroup()->activeStack();
        ASSERT_NE(active, nullptr);
        const int index = active->index();
        const int count = active->count();
        QUndoCommand const* top = index > 0 ? active->command(index - 1) : nullptr;
        ASSERT_NE(top, nullptr);

        const QByteArray before = saved(withoutLayout);
        change();
        settle();
        const QByteArray after = saved(withoutLayout);
        EXPECT_NE(after, before) << "the change did not reach what Save writes";
        EXPECT_EQ(window->undoGroup()->activeStack(), active) << "Undo's stack is the one it was";
        EXPECT_EQ(active->index(), index);
        EXPECT_EQ(active->count(), count);
        EXPECT_EQ(active->command(index - 1), top) << "Undo's top step is the one it was";

        // Undo takes back the rename (the caller checks that the change stays).
        window->undoAction()->trigger();
        settle();
        EXPECT_EQ(object->graph()->displayName(), name);
    }
};

// Paste adds the copied effects at once; the same objects can be pasted again.
TEST_F(NoUndoStep, PasteTakesEffectWithoutAStep)
{
    KelNGObject* first = addConstEffect(QStringLiteral("First"));
    addConstEffect(QStringLiteral("Second"));
    core()->setSelectedObject(first);
    window->on_menuEdit_aboutToShow();
    ASSERT_TRUE(window->form()->actionCopy->isEnabled());
    window->form()->actionCopy->trigger();
    for (int paste = 0; paste < 2; ++paste) {
        SCOPED_TRACE(paste);
        const int count = int(core()->objectList().size());
        expectNoStep(first, [&] {
            window->on_menuEdit_aboutToShow();
            ASSERT_TRUE(window->form()->actionPaste->isEnabled());
            window->form()->actionPaste->trigger();
        });
        EXPECT_EQ(core()->objectList().size(), count + 1);
    }
}

// A node's colour, by a preset button, by the cross that gives the style's colour back and by
// the colour field.
TEST_F(NoUndoStep, ANodesColourTakesEffectWithoutAStep)
{
    KelNGObject* object = addConstEffect(QStringLiteral("Tone"));
    pressGraphView();
    clickRow(object);
    KelNodes::Node* node = nodeOfType(object, QStringLiteral("generator.const"));
    ASSERT_NE(node, nullptr);
    clickNode(node);
    ASSERT_EQ(window->objectEditor()->panelNode(), KelNGNode::itemOf(node));
    Ui::KelNodePanel* panel = window->objectEditor()->nodePanelForm();
    for (QToolButton* button : {panel->nodeColor3Button, panel->nodeColorCloseButton}) {
        SCOPED_TRACE(button->objectName().toStdString());
        expectNoStep(object, [button] { button->click(); });
    }
    // A colour picked in the colour field's dialog.
    expectNoStep(object, [panel] { panel->nodeColorField->setColor(QColor(9, 9, 9)); });
    EXPECT_TRUE(node->paramContainer()->auxData().value(QStringLiteral("hasCustomNodeColor")).toBool());
}

// The Project tab's +: a new, empty effect, which undo does not remove.
TEST_F(NoUndoStep, AnEmptyEffectMadeWithPlusTakesEffectWithoutAStep)
{
    KelNGObject* object = addConstEffect(QStringLiteral("Tone"));
    // The new effect's graph is shown and leaves its layout in its nodes.
    expectNoStep(object, [this] { window->projectBrowser()->form()->addNewEmptyFilter->click(); }, true);
    EXPECT_EQ(core()->objectList().size(), 2);
    EXPECT_EQ(core()->objectList().last()->graph()->displayName(), QStringLiteral("New Filter"));
}

// The eye of an effect's row switches it off and on, in the Project tab and in the node-graph
// view's list of effects.
TEST_F(NoUndoStep, TheEyeOfAnEffectsRowTakesEffectWithoutAStep)
{
    ASSERT_NO_FATAL_FAILURE(showWindow());
    KelNGObject* object = addConstEffect(QStringLiteral("Tone"));
    for (bool graphView : {false, true}) {
        SCOPED_TRACE(graphView ? "node-graph view" : "Project tab");
        if (graphView)
            pressGraphView();
        else
            pressImageView();
        QTreeWidget* rows = graphView ? static_cast<QTreeWidget*>(window->objectEditor()->form()->treeWidget)
                                      : static_cast<QTreeWidget*>(window->projectBrowser()->form()->treeWidget);
        QTreeWidgetItem* row = graphView ? object->objectEditorItem : object->projectBrowserItem;
        ASSERT_NE(row, nullptr);
        for (int click = 0; click < 2; ++click) {
            const bool disabled = object->graph()->paramContainer()->getIntParam(QStringLiteral("disable"), 0) != 0;
            expectNoStep(object, [&] {
                rows->scrollToItem(row);
                const QRect cell = rows->visualItemRect(row);
                QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier,
                                  QPoint(rows->columnViewportPosition(0) + rows->columnWidth(0) / 2, cell.center().y()));
            });
            EXPECT_NE(object->graph()->paramContainer()->getIntParam(QStringLiteral("disable"), 0) != 0, disabled);
        }
    }
}

} // namespace
} // namespace MainWindowTest
