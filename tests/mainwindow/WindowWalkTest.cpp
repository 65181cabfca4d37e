// A model-based walk through the real window: random runs (fixed seeds) of what a user does
// (clicks on rows and nodes in both view modes, Ctrl+1 and Ctrl+2, Show: Project and Show:
// Templates, adds, deletes, renames, Undo and Redo, typed values, key adds, removes and drags,
// frame changes, New and Open). After every step:
// - every editor the window shows edits what the window shows as selected, at the frame the
//   timeline reads (ShownTargets);
// - a step that changed what Save would write left a new undo step, marked the project modified
//   and rendered the picture; and, before each New and Open and at the end, undoing every step
//   gives back what Save wrote at the start.

#include "ShownTargets.h"
#include "WindowUser.h"

#include "ui_KelNodePanel.h"
#include "ui_MainWindow.h"
#include "ui_ObjectEditor.h"
#include "ui_ProjectBrowser.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "nodeui/KelParamAtom.h"
#include "nodeui/KelParamCrucial.h"
#include "nodeui/KelTimeline.h"
#include "nodeui/NodeDockTabWidget.h"
#include "nodeui/TreeWidgetByMimeType.h"
#include "params/IParameterContainer.h"
#include "params/ParameterList.h"

#include <QAbstractSpinBox>
#include <QDomDocument>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGraphicsPixmapItem>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QUndoStack>

#include <iostream>
#include <memory>
#include <random>

namespace MainWindowTest {
namespace {

enum Action {
    ClickRow, ClickNode, ImageView, GraphView, ShowProject, ShowTemplates, AddTemplate,
    AddEffect, AddNode, DeleteEffect, DeleteNode, RenameEffect, RenameNode, Undo, Redo,
    TypeValue, AddKey, RemoveKey, DragKey, GoToFrame, New, Open, ActionCount
};

const char* const kActionNames[] = {
    "click row", "click node", "Ctrl+1", "Ctrl+2", "Show: Project", "Show: Templates", "new template",
    "add effect", "add node", "delete effect", "delete node", "rename effect", "rename node", "Undo", "Redo",
    "type value", "add key", "remove key", "drag key", "go to frame", "New", "Open"};

// How often each action comes, out of the sum.
const int kWeights[ActionCount] = {8, 8, 4, 4, 2, 2, 1, 2, 2, 2, 2, 2, 2, 4, 3, 5, 3, 2, 3, 4, 1, 1};

const QStringList kNodeTypes = {QStringLiteral("operator.hsv"), QStringLiteral("operator.grayscale"),
                                QStringLiteral("generator.const")};

class WindowWalk : public WindowUser, public ::testing::WithParamInterface<unsigned>
{
protected:
    void SetUp() override
    {
        WindowUser::SetUp();
        addKeyedHsvEffect(QStringLiteral("Tone FX"));
        addConstEffect(QStringLiteral("Tone"));
        addInversion(QStringLiteral("Invert"));
        clickRow(objectNamed(QStringLiteral("Tone FX")));
        goTo(20);
        savedPath = dir.filePath(QStringLiteral("walk.vyxsg"));
        saveProjectAs(savedPath);
        random.seed(GetParam());
    }

    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random); }

    template<typename T>
    T pickFrom(QList<T> const& list)
    {
        return list.at(pick(int(list.size())));
    }

    Action nextAction()
    {
        int total = 0;
        for (int weight : kWeights)
            total += weight;
        int at = pick(total);
        for (int action = 0; action < ActionCount; ++action) {
            if (at < kWeights[action])
                return Action(action);
            at -= kWeights[action];
        }
        return ClickRow;
    }

    bool templatesShown() const { return inGraphView() && window->objectEditor()->showMode() == 1; }

    // What Save would write, without the frame the user stands at: a frame change is no edit.
    QByteArray savedForm() const
    {
        QDomDocument document;
        if (!document.setContent(projectBytes()))
            return QByteArray();
        forgetFrames(document.documentElement());
        return document.toByteArray(1);
    }

    // Drops the current frame and, where keys decide them, the values at that frame; and where
    // and how the graph view draws a node, which it writes into the node when it first shows it.
    static void forgetFrames(QDomElement element)
    {
        for (const char* drawn : {"posX", "posY", "hasCustomNodeColor", "customNodeColor", "previewIsExpanded",
                                  "terminalsAreExpanded"})
            element.removeAttribute(QLatin1String(drawn));
        element.removeAttribute(QStringLiteral("curr_frame"));
        if (element.tagName() != QLatin1String("keyframe"))
            element.removeAttribute(QStringLiteral("frame_num"));
        if (!element.firstChildElement(QStringLiteral("keyframe")).isNull()) {
            QDomNamedNodeMap const attributes = element.attributes();
            QStringList shown;
            for (int i = 0; i < attributes.count(); ++i) {
                QString const name = attributes.item(i).nodeName();
                if (name.startsWith(QLatin1String("value")) || name.size() == 1)
                    shown << name;
            }
            for (QString const& name : shown)
                element.removeAttribute(name);
        }
        for (QDomElement child = element.firstChildElement(); !child.isNull();) {
            QDomElement const next = child.nextSiblingElement();
            forgetFrames(child);
            // What held only the frame.
            if (child.tagName() == QLatin1String("keyframes") && !child.hasChildNodes() && !child.hasAttributes())
                element.removeChild(child);
            child = next;
        }
    }

    // The first line where the two forms differ, for the failure message.
    static std::string firstDifference(QByteArray const& before, QByteArray const& after)
    {
        QList<QByteArray> const a = before.split('\n');
        QList<QByteArray> const b = after.split('\n');
        for (int i = 0; i < std::min(a.size(), b.size()); ++i) {
            if (a.at(i) == b.at(i))
                continue;
            QByteArray was;
            QByteArray is;
            for (int j = i; j < std::min<qsizetype>(i + 3, std::min(a.size(), b.size())); ++j) {
                was += a.at(j).trimmed() + ' ';
                is += b.at(j).trimmed() + ' ';
            }
            return (was + "became " + is).toStdString();
        }
        return "lines added or removed";
    }

    QList<KelNodes::Node*> nodesInView() const
    {
        KelNGNodeGraphView* view = window->objectEditorGraphView();
        QList<KelNodes::Node*> nodes;
        for (KelNodes::Node* node : view->graph() ? view->graph()->nodes() : QList<KelNodes::Node*>()) {
            KelNGNode* item = KelNGNode::itemOf(node);
            if (item && item->pixmapItem() && item->pixmapItem()->scene() == view->scene())
                nodes << node;
        }
        return nodes;
    }

    // The number fields of the parameter panel the window shows.
    QList<QAbstractSpinBox*> shownValueEditors() const
    {
        QList<QWidget*> fields;
        KelParamCrucial* important = nullptr;
        if (!inGraphView()) {
            important = window->projectBrowser()->crucialPanel();
        } else if (window->nodeDock()->currentMode() == 1) {
            important = window->nodeDock()->objectCrucialWidget();
        } else if (window->nodeDock()->currentMode() == 0) {
            QWidget* page = window->nodeDock()->currentNodeStack()->currentWidget();
            if (auto* nodePanel = qobject_cast<KelNGNode*>(page)) {
                for (KelUtils::ParameterList const& list : nodePanel->node()->paramContainer()->paramLists()) {
                    for (KelUtils::Parameter* parameter : list.parameters)
                        fields << nodePanel->editorFor(parameter);
                }
            } else {
                important = qobject_cast<KelParamCrucial*>(page);
            }
        }
        for (KelParamAtom* atom : important ? important->atoms() : QList<KelParamAtom*>())
            fields << atom->editorFor(0);
        QList<QAbstractSpinBox*> editors;
        for (QWidget* field : fields) {
            auto* editor = qobject_cast<QAbstractSpinBox*>(field);
            if (editor && editor->isVisible() && editor->isEnabled())
                editors << editor;
        }
        return editors;
    }

    void dropNode(QString const& typeId)
    {
        TreeWidgetByMimeType* types = window->nodeDock()->availableNodesTree();
        QTreeWidgetItem* item = nullptr;
        for (QTreeWidgetItem* candidate :
             types->findItems(QStringLiteral("*"), Qt::MatchWildcard | Qt::MatchRecursive)) {
            if (candidate->data(0, Qt::UserRole + 1).toString() == typeId)
                item = candidate;
        }
        if (!item)
            return;
        std::unique_ptr<QMimeData> data(types->model()->mimeData({types->indexFromItem(item)}));
        KelNGNodeGraphView* view = window->objectEditorGraphView();
        const QPoint at(40 + pick(200), 40 + pick(200));
        QWidget* viewport = view->viewport();
        QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &move);
        QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &drop);
        settle();
    }

    // Undoes down to step `base` and compares what Save would write with `first`; Redo back.
    void expectUndoGivesBack(QByteArray const& first, int base, std::string const& where)
    {
        QUndoStack* stack = core()->undoStack();
        const int steps = stack->index();
        while (stack->index() > base && stack->canUndo())
            stack->undo();
        settle();
        const QByteArray undone = savedForm();
        EXPECT_TRUE(undone == first) << "undoing every step of the project does not give back its start " << where
                                     << ": " << firstDifference(first, undone);
        while (stack->index() < steps && stack->canRedo())
            stack->redo();
        settle();
    }

    bool perform(Action action);

    std::mt19937 random;
    QString savedPath;
    int renamed = 0;
};

// Runs one action as a user does it where the window allows it; false when it did not apply.
bool WindowWalk::perform(Action action)
{
    const bool graph = inGraphView();
    TwObjectEditor* editor = window->objectEditor();
    switch (action) {
    case ClickRow: {
        if (templatesShown()) {
            QTreeWidget* rows = editor->form()->templatesTreeWidget;
            if (rows->topLevelItemCount() == 0)
                return false;
            QTreeWidgetItem* row = rows->topLevelItem(pick(rows->topLevelItemCount()));
            rows->scrollToItem(row);
            const QRect cell = rows->visualItemRect(row);
            QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier,
                              QPoint(rows->columnViewportPosition(0) + 10, cell.center().y()));
            settle();
            return true;
        }
        QList<KelNGObject*> const objects = core()->objectList();
        if (objects.isEmpty())
            return false;
        clickRow(pickFrom(objects));
        return true;
    }
    case ClickNode: {
        QList<KelNodes::Node*> const nodes = graph ? nodesInView() : QList<KelNodes::Node*>();
        if (nodes.isEmpty())
            return false;
        clickNode(pickFrom(nodes));
        return true;
    }
    case ImageView:
        pressImageView();
        return true;
    case GraphView:
        pressGraphView();
        return true;
    case ShowProject:
        if (!graph)
            return false;
        clickShowProject();
        return true;
    case ShowTemplates:
        if (!graph)
            return false;
        clickShowTemplates();
        return true;
    case AddTemplate:
        if (!templatesShown() || editor->form()->templatesTreeWidget->topLevelItemCount() >= 3)
            return false;
        QTest::mouseClick(editor->form()->addTemplateButton, Qt::LeftButton);
        settle();
        return true;
    case AddEffect:
        if (graph)
            return false;
        QTest::mouseClick(window->projectBrowser()->form()->addNewEmptyFilter, Qt::LeftButton);
        settle();
        return true;
    case AddNode:
        if (!graph || !window->objectEditorGraphView()->graph())
            return false;
        dropNode(pickFrom(kNodeTypes));
        return true;
    case DeleteEffect:
        if (graph || !window->projectBrowser()->form()->deleteFilter->isEnabled())
            return false;
        QTest::mouseClick(window->projectBrowser()->form()->deleteFilter, Qt::LeftButton);
        settle();
        return true;
    case DeleteNode: {
        KelNGNodeGraphView* view = window->objectEditorGraphView();
        QList<KelNodes::Node*> nodes;
        for (KelNodes::Node* node : graph ? nodesInView() : QList<KelNodes::Node*>()) {
            if (!node->isStatic())
                nodes << node;
        }
        if (nodes.isEmpty())
            return false;
        clickNode(pickFrom(nodes));
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Delete);
        settle();
        return true;
    }
    case RenameEffect: {
        QTreeWidget* rows = !graph ? static_cast<QTreeWidget*>(window->projectBrowser()->form()->treeWidget)
                                   : editor->form()->treeWidget;
        if (templatesShown() || !rows->currentItem())
            return false;
        // What the row's editor hands over when the user confirms a typed name.
        rows->currentItem()->setText(1, QStringLiteral("Named %1").arg(++renamed));
        settle();
        return true;
    }
    case RenameNode: {
        QLineEdit* field = editor->nodePanelForm()->nodeNameEdit;
        if (!graph || !editor->nodePanelWidget()->isEnabled())
            return false;
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("Node %1").arg(++renamed));
        QTest::keyClick(field, Qt::Key_Return);
        settle();
        return true;
    }
    case Undo:
        if (!window->undoAction()->isEnabled())
            return false;
        window->undoAction()->trigger();
        settle();
        return true;
    case Redo:
        if (!window->redoAction()->isEnabled())
            return false;
        window->redoAction()->trigger();
        settle();
        return true;
    case TypeValue: {
        QList<QAbstractSpinBox*> const editors = shownValueEditors();
        if (editors.isEmpty())
            return false;
        type(pickFrom(editors), pick(100));
        return true;
    }
    case AddKey:
        return clickTimelineButton("addKeyframeTB");
    case RemoveKey:
        return clickTimelineButton("removeKeyframeTB");
    case DragKey: {
        KelUtils::IParameterContainer* keys = timeline->selectedContainer();
        if (!keys || keys->keyframes().isEmpty())
            return false;
        return dragKey(pickFrom(keys->keyframes()), pick(41));
    }
    case GoToFrame:
        if (!frameField->isEnabled())
            return false;
        goTo(pick(41));
        return true;
    case New:
        if (core()->isModified())
            answerMessageBox(QMessageBox::Discard);
        window->form()->actionNew->trigger();
        settle();
        return true;
    case Open:
        if (core()->isModified())
            answerMessageBox(QMessageBox::Discard);
        window->openNodeGraph(core()->rootGraph(), savedPath);
        settle();
        return true;
    default:
        return false;
    }
}

TEST_P(WindowWalk, EveryEditorEditsWhatTheWindowShowsAndEveryChangeIsAnUndoStep)
{
    constexpr int kSteps = 400;
    window->openNodeGraph(core()->rootGraph(), savedPath);
    settle();
    QByteArray first = savedForm();
    int base = core()->undoStack()->index();
    std::string done = "seed " + std::to_string(GetParam()) + ":";
    int taken = 0;
    for (int step = 1; step <= kSteps; ++step) {
        const Action action = nextAction();
        if (action == New || action == Open)
            expectUndoGivesBack(first, base, "before step " + std::to_string(step));

        const QByteArray before = savedForm();
        QUndoStack* stack = core()->undoStack();
        const int index = stack->index();
        QSignalSpy rendered(core(), &TwCore::finished);
        const bool applied = perform(action);
        if (!applied)
            continue;
        ++taken;
        done += " " + std::to_string(taken) + "." + kActionNames[action];
        SCOPED_TRACE(done);

        QStringList const faults = shownTargetFaults(window.get());
        ASSERT_TRUE(faults.isEmpty()) << "step " << taken << " (" << kActionNames[action] << "): "
                                      << faults.join(QStringLiteral("; ")).toStdString();

        const QByteArray after = savedForm();
        if (action == New || action == Open) {
            first = after;
            base = stack->index();
            continue;
        }
        // Undone past a new empty filter: the history starts anew where it now stands.
        if (stack->index() < base) {
            first = after;
            base = stack->index();
        }
        // A new empty filter is deliberately no undo step: the history starts anew
        // after it.
        if (action == AddEffect) {
            ASSERT_TRUE(core()->isModified()) << "a new effect does not mark the project";
            ASSERT_GT(rendered.count(), 0) << "a new effect is not rendered";
            first = after;
            base = stack->index();
            continue;
        }
        if (after != before && action != Undo && action != Redo) {
            ASSERT_GT(stack->index(), index) << "step " << taken << " (" << kActionNames[action]
                                            << ") changed the project without an undo step: "
                                            << firstDifference(before, after);
            ASSERT_TRUE(core()->isModified()) << "step " << taken << " (" << kActionNames[action]
                                              << ") changed the project without marking it";
            ASSERT_GT(rendered.count(), 0) << "step " << taken << " (" << kActionNames[action]
                                           << ") changed the project without a render";
        }
    }
    expectUndoGivesBack(first, base, "at the end");
    if (qEnvironmentVariableIsSet("VYX_WALK_LOG"))
        std::cerr << done << "\n";
}

INSTANTIATE_TEST_SUITE_P(Seeds, WindowWalk, ::testing::Values(1u, 2u, 3u, 4u));

} // namespace
} // namespace MainWindowTest
