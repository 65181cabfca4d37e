// Every change the window makes to what Save writes is a step of Edit > Undo: undo gives the
// saved bytes back, redo makes the change again.

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

    // Runs `change`, which must change the saved bytes; Undo gives them back, Redo the changed
    // ones. `withoutLayout`: the node view's layout left aside.
    void expectAStep(std::function<void()> const& change, bool withoutLayout = false)
    {
        settle();
        auto projectBytes = [this, withoutLayout] { return saved(withoutLayout); };
        const QByteArray before = projectBytes();
        change();
        settle();
        const QByteArray after = projectBytes();
        ASSERT_NE(after, before) << "the change did not reach what Save writes";
        ASSERT_TRUE(window->undoAction()->isEnabled());
        window->undoAction()->trigger();
        settle();
        EXPECT_EQ(projectBytes(), before) << "undo gives the saved bytes back";
        ASSERT_TRUE(window->redoAction()->isEnabled());
        window->redoAction()->trigger();
        settle();
        EXPECT_EQ(projectBytes(), after) << "redo makes the change again";
    }
};

// Paste adds the copied effects as one step, whatever else the stack holds before it.
TEST_F(UndoSteps, PasteIsOneStep)
{
    KelNGObject* first = addConstEffect(QStringLiteral("First"));
    addConstEffect(QStringLiteral("Second"));
    for (int copies : {1, 2}) {
        SCOPED_TRACE(copies);
        QList<KelNGObject*> const copied = core()->objectList().mid(0, copies);
        core()->setSelectedObject(copied.first());
        if (copies > 1)
            core()->addToSelectedObjects(copied.at(1));
        window->on_menuEdit_aboutToShow();
        ASSERT_TRUE(window->form()->actionCopy->isEnabled());
        window->form()->actionCopy->trigger();
        const int count = int(core()->objectList().size());
        expectAStep([&] {
            window->on_menuEdit_aboutToShow();
            ASSERT_TRUE(window->form()->actionPaste->isEnabled());
            window->form()->actionPaste->trigger();
        });
        EXPECT_EQ(core()->objectList().size(), count + copies);
    }
    EXPECT_TRUE(core()->objectList().contains(first));
}

// A node's colour, by a preset button, by the cross that gives the style's colour back and by
// the colour field.
TEST_F(UndoSteps, ANodesColourIsAStep)
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
        expectAStep([button] { button->click(); });
    }
    // A colour picked in the colour field's dialog.
    expectAStep([panel] { panel->nodeColorField->setColor(QColor(9, 9, 9)); });
}

// Undoing a colour gives back the colour alone: the node moved after it, in a graph no longer
// shown, stays where it was moved to.
TEST_F(UndoSteps, UndoingANodesColourKeepsWhereTheNodeWasMovedAfterIt)
{
    KelNGObject* object = addConstEffect(QStringLiteral("Tone"));
    KelNGObject* other = addConstEffect(QStringLiteral("Other"));
    pressGraphView();
    clickRow(object);
    KelNodes::Node* node = nodeOfType(object, QStringLiteral("generator.const"));
    ASSERT_NE(node, nullptr);
    clickNode(node);
    KelNGNode* item = KelNGNode::itemOf(node);
    ASSERT_TRUE(item && item->pixmapItem());
    window->objectEditor()->nodePanelForm()->nodeColor3Button->click();
    settle();
    const bool coloured = node->paramContainer()->auxData().value(QStringLiteral("hasCustomNodeColor")).toBool();
    ASSERT_TRUE(coloured);
    // Moved, then its graph shown no longer: the view writes where it lies into the node.
    const QPointF moved = item->pixmapItem()->pos() + QPointF(120, 80);
    item->pixmapItem()->setPos(moved);
    clickRow(other);
    settle();
    QMap<QString, QVariant> const& layout = node->paramContainer()->auxData();
    ASSERT_EQ(layout.value(QStringLiteral("posX")).toDouble(), moved.x());
    window->undoAction()->trigger();
    settle();
    EXPECT_FALSE(node->paramContainer()->auxData().value(QStringLiteral("hasCustomNodeColor")).toBool());
    EXPECT_EQ(node->paramContainer()->auxData().value(QStringLiteral("posX")).toDouble(), moved.x());
    EXPECT_EQ(node->paramContainer()->auxData().value(QStringLiteral("posY")).toDouble(), moved.y());
}

// The Project tab's +: a new, empty effect.
TEST_F(UndoSteps, AnEmptyEffectMadeWithPlusIsAStep)
{
    addConstEffect(QStringLiteral("Tone"));
    // The new effect's graph is shown, and leaves its layout in its nodes when undo takes it down.
    expectAStep([this] { window->projectBrowser()->form()->addNewEmptyFilter->click(); }, true);
    EXPECT_EQ(core()->objectList().size(), 2);
}

// The eye of an effect's row switches it off and on, in the Project tab and in the node-graph
// view's list of effects.
TEST_F(UndoSteps, TheEyeOfAnEffectsRowIsAStep)
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
            expectAStep([&] {
                rows->scrollToItem(row);
                const QRect cell = rows->visualItemRect(row);
                QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier,
                                  QPoint(rows->columnViewportPosition(0) + rows->columnWidth(0) / 2, cell.center().y()));
            });
        }
    }
}

} // namespace
} // namespace MainWindowTest
