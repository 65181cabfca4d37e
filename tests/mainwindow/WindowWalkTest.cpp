// A model-based walk through the real window: random runs (fixed seeds) of what a user does
// (clicks on rows and nodes in both view modes, Ctrl+1 and Ctrl+2, Show: Project and Show:
// Templates, adds, deletes by the bin, the Delete key and Edit > Delete in both show modes,
// template deletes, renames, Undo and Redo, Copy and Paste, typed values and template notes, a
// node's colour, node previews opened and closed, Effects Off and On, key adds, removes and
// drags, frame changes, Save Sequence, New and Open, a node dragged by its title onto an effect
// in one long move or in many small ones), each walk ended by closing the window.
// After every step:
// - every editor the window shows edits what is alive and what the window shows as selected,
//   at the frame the timeline reads, and the timeline reads the frame rendered; shown node
//   previews are the last render's (ShownTargets);
// - a step that changed what Save would write left Undo enabled, marked the project modified
//   and rendered the picture; Undo gives back what Save wrote before it (and the effects'
//   template notes), Redo what it wrote after (an effect inserted comes back by Redo as it
//   stood when Undo took it away; one deleted comes back by Undo as it stood when Redo took it
//   away again); and, before each New and Open and at the end, undoing every step gives back
//   what Save wrote at the start;
// - a step went onto the history the window puts it on (a graph edit onto the history of the
//   graph shown, everything else, renames of templates and nodes among them, onto the
//   project's), and Edit > Undo names the last step of the history of the selected object's
//   top-level graph (or, where the window departs from that on purpose, of the one that took
//   the step just made), or is greyed when that history has none left (WalkHistories), whatever
//   the action, one that takes no step too;
// - what Save writes reads back as written, every link, terminal mask and value (ProjectReadBack),
//   and the picture shown is the one a render of it, made apart from the window, gives;
// - a node dragged onto an effect went into it, or, refused, changed nothing, made no step and
//   the window said why; the effect dropped on stays where it was (WalkDrop).
// VYX_WALK_WITHOUT="Paste,node colour" leaves actions out and VYX_WALK_IGNORE="preview" lets
// faults with that text pass (to see what else a walk finds); VYX_WALK_STEPS=n ends the walks
// after n steps;
// VYX_WALK_SEED_OFFSET=n walks the seeds n higher; VYX_WALK_LOG=1 prints each step (with what
// Undo and Redo named); VYX_WALK_PARTS_ONLY=1 allows the window no departure in which history
// Edit > Undo walks.

#include "AddressSanitizer.h"
#include "ShownTargets.h"
#include "WalkDrop.h"
#include "WalkHistories.h"
#include "WalkState.h"
#include "WindowUser.h"

#include "ui_KelNodePanel.h"
#include "ui_MainWindow.h"
#include "ui_ObjectEditor.h"
#include "ui_ProjectBrowser.h"
#include "ui_TemplateEditor.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/TwCmdAddObject.h"
#include "app/TwCmdDeleteObject.h"
#include "app/TemplateEditor.h"
#include "app/Renderer.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwObjectRows.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodes/Terminal.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "browser/ImageView.h"
#include "nodeui/KelParamAtom.h"
#include "nodeui/KelParamCrucial.h"
#include "nodeui/KelTimeline.h"
#include "nodeui/NodeDockTabWidget.h"
#include "nodeui/TreeWidgetByMimeType.h"
#include "params/IParameterContainer.h"
#include "params/ParameterList.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QHash>
#include <QDir>
#include <QDomDocument>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGraphicsPixmapItem>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QUndoGroup>
#include <QUndoStack>

#include <algorithm>
#include <iostream>
#include <memory>
#include <random>

namespace MainWindowTest {
namespace {

#if defined(VYX_ADDRESS_SANITIZER)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

enum Action {
    ClickRow, ClickNode, ShowImageView, GraphView, ShowProject, ShowTemplates, AddTemplate,
    AddEffect, AddNode, DeleteEffect, DeleteNode, RenameEffect, RenameNode, Undo, Redo,
    TypeValue, AddKey, RemoveKey, DragKey, GoToFrame, New, Open,
    PressDelete, EditDelete, DeleteTemplate, Copy, PasteEffect, NodeColour, Effects, SaveSequence, Preview,
    TypeNote, Eye, Opacity, Blend, InsertTemplate, Wire, Unwire, ReorderNodes, RenameTemplate, DragOntoEffect,
    ActionCount
};

const char* const kActionNames[] = {
    "click row", "click node", "Ctrl+1", "Ctrl+2", "Show: Project", "Show: Templates", "new template",
    "add effect", "add node", "bin", "delete node", "rename effect", "rename node", "Undo", "Redo",
    "type value", "add key", "remove key", "drag key", "go to frame", "New", "Open",
    "Delete key", "Edit > Delete", "delete template", "Copy", "Paste", "node colour", "Effects Off/On",
    "Save Sequence", "preview open/close", "type template note", "eye", "opacity", "blend mode",
    "drop template", "wire", "unwire", "Reorder Nodes", "rename template", "drag onto effect"};

// How often each action comes, out of the sum.
const int kWeights[ActionCount] = {8, 8, 4, 4, 3, 3, 1, 2, 2, 2, 2, 2, 2, 4, 3, 5, 3, 2, 3, 4, 1, 1,
                                   2, 2, 1, 1, 1, 2, 4, 1, 2, 2, 2, 2, 2, 2, 3, 2, 1, 2, 4};

// Actions that take effect at once without an undo step: Undo's top step stays the one it was.
bool takesNoStep(int action)
{
    return action == PasteEffect || action == AddEffect || action == Eye || action == NodeColour || action == TypeNote;
}

const QStringList kNodeTypes = {QStringLiteral("operator.hsv"), QStringLiteral("operator.grayscale"),
                                QStringLiteral("generator.const")};

class WindowWalk : public WindowUser, public ::testing::WithParamInterface<unsigned>
{
protected:
    void SetUp() override
    {
        WindowUser::SetUp();
        ASSERT_NO_FATAL_FAILURE(startWithStoreTemplates({QStringLiteral("Stored Glow"), QStringLiteral("Stored Frost")}));
        addKeyedHsvEffect(QStringLiteral("Tone FX"));
        addConstEffect(QStringLiteral("Tone"));
        addInversion(QStringLiteral("Invert"));
        ASSERT_NE(addNestEffect(QStringLiteral("Nest")), nullptr);
        ASSERT_NE(addNarrowingEffect(QStringLiteral("Waves")), nullptr);
        // Two previews open from the start.
        for (auto [name, type] : {std::pair{"Tone FX", "operator.hsv"}, std::pair{"Invert", "operator.inversion"}}) {
            KelNodes::Node* node = nodeOfType(objectNamed(QLatin1String(name)), QLatin1String(type));
            ASSERT_NE(node, nullptr);
            node->paramContainer()->auxData().insert(QStringLiteral("previewIsExpanded"), true);
            // An item made before reads it no more.
            if (KelNGNode* item = KelNGNode::itemOf(node)) {
                item->setPreviewExpanded(true);
                item->calculateUI();
                item->updatePixmap();
            }
        }
        clickRow(objectNamed(QStringLiteral("Tone FX")));
        goTo(20);
        savedPath = dir.filePath(QStringLiteral("walk.vyxsg"));
        saveProjectAs(savedPath);
        framesFolder = dir.filePath(QStringLiteral("frames"));
        QDir().mkpath(framesFolder);
        random.seed(seed());
        carrying.seed(seed());
        const QStringList without =
            qEnvironmentVariable("VYX_WALK_WITHOUT").split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (int action = 0; action < ActionCount; ++action) {
            weights[action] = kWeights[action];
            for (QString const& name : without) {
                if (name.trimmed() == QLatin1String(kActionNames[action]))
                    weights[action] = 0;
            }
        }
    }

    // The test's seed, or VYX_WALK_SEED_OFFSET more (to look through other walks).
    unsigned seed() const { return GetParam() + unsigned(qEnvironmentVariableIntValue("VYX_WALK_SEED_OFFSET")); }

    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random); }

    template<typename T>
    T pickFrom(QList<T> const& list)
    {
        return list.at(pick(int(list.size())));
    }

    Action nextAction()
    {
        int total = 0;
        for (int weight : weights)
            total += weight;
        int at = pick(total);
        for (int action = 0; action < ActionCount; ++action) {
            if (at < weights[action])
                return Action(action);
            at -= weights[action];
        }
        return ClickRow;
    }

    bool templatesShown() const { return inGraphView() && window->objectEditor()->showMode() == 1; }

    WalkState state() const { return WalkState::of(core(), projectBytes()); }

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

    // Makes the project's history the one Edit > Undo walks, as a user does: Show: Project in the
    // node-graph view, and a click on an effect's row if that was not enough.
    bool activateProjectHistory()
    {
        auto active = [this] { return window->undoGroup()->activeStack() == core()->undoStack(); };
        if (!active()) {
            pressGraphView();
            clickShowProject();
        }
        if (!active() && !core()->objectList().isEmpty())
            clickRow(core()->objectList().first());
        return active();
    }

    // Undoes through Edit > Undo down to step `base` of the project's history and compares what
    // Save would write with `first`; Redo back.
    void expectUndoGivesBack(QByteArray const& first, int base, std::string const& where)
    {
        QUndoStack* stack = core()->undoStack();
        const int steps = stack->index();
        if (steps > base) {
            EXPECT_TRUE(activateProjectHistory()) << "seed " << seed() << ": Show: Project and a row's click leave "
                                                  << "Edit > Undo on another history, " << where;
        }
        auto onProject = [this, stack] { return window->undoGroup()->activeStack() == stack; };
        while (stack->index() > base && onProject() && window->undoAction()->isEnabled()) {
            QUndoCommand const* command = stack->command(stack->index() - 1);
            const WalkState was = bringsBackAnEffect(command, true) ? state() : WalkState();
            window->undoAction()->trigger();
            settle();
            walked->undone(stack);
            if (bringsBackAnEffect(command, true))
                followObjectStep(command, true, was, state());
        }
        const QByteArray undone = state().project;
        EXPECT_TRUE(undone == first) << "seed " << seed() << ": undoing every step of the project does not give back its start: "
                                     << WalkState::firstDifference(first, undone) << ", " << where;
        while (stack->index() < steps && onProject() && window->redoAction()->isEnabled()) {
            QUndoCommand const* command = stack->command(stack->index());
            const WalkState was = bringsBackAnEffect(command, false) ? state() : WalkState();
            window->redoAction()->trigger();
            settle();
            walked->redone(stack);
            if (bringsBackAnEffect(command, false))
                followObjectStep(command, false, was, state());
        }
        EXPECT_EQ(stack->index(), steps) << "seed " << seed() << ": Redo does not walk the project's history back, " << where;
        const std::string fault = walked->fault(window->undoAction());
        EXPECT_TRUE(fault.empty()) << "seed " << seed() << ": " << fault << ", " << where;
    }

    // The history the window puts the action's step onto: a graph edit (and a value or a key
    // edited in the node-graph view) onto the history of the graph shown, everything else (the
    // renames of templates and of nodes among them) onto the project's.
    QUndoStack* placedHistory(Action action) const
    {
        KelNGNodeGraphView* view = window->objectEditorGraphView();
        KelNodes::NodeGraph* shown = inGraphView() && view->graph() ? view->graph()->topLevelGraph() : nullptr;
        auto* own = shown ? qobject_cast<QUndoStack*>(shown->undoStack()) : nullptr;
        switch (action) {
        case AddNode: case DeleteNode: case Wire: case Unwire: case ReorderNodes: case DragOntoEffect:
        case TypeValue: case AddKey: case RemoveKey: case DragKey:
            return own ? own : core()->undoStack();
        default:
            return core()->undoStack();
        }
    }
    // The text of the step of an action that makes one kind only; empty for the others.
    static QString stepText(Action action)
    {
        switch (action) {
        case RenameEffect: return QStringLiteral("Name Change");
        case RenameNode: return QStringLiteral("Rename Node");
        case RenameTemplate: return QStringLiteral("Object Template Name Change");
        case Opacity: return QStringLiteral("Opacity Change");
        case Blend: return QStringLiteral("Blendmode Change");
        default: return QString();
        }
    }

    // Every undo history of the window: the project's and the store's templates'.
    QList<QUndoStack*> histories() const
    {
        QList<QUndoStack*> stacks = window->undoGroup()->stacks();
        if (!stacks.contains(core()->undoStack()))
            stacks << core()->undoStack();
        for (KelTemplate* objectTemplate : core()->templateStore()->objectTemplateList) {
            KelNGObject* instance = objectTemplate->objectInstance();
            auto* own = instance && instance->graph()
                            ? qobject_cast<QUndoStack*>(instance->graph()->topLevelGraph()->undoStack())
                            : nullptr;
            if (own && !stacks.contains(own))
                stacks << own;
        }
        return stacks;
    }

    // Where each history stands: its index and the step on top.
    struct Top
    {
        int index = 0;
        QUndoCommand const* command = nullptr;
        bool operator==(Top const& other) const { return index == other.index && command == other.command; }
    };
    QMap<QUndoStack*, Top> tops() const
    {
        QMap<QUndoStack*, Top> all;
        for (QUndoStack* stack : histories())
            all.insert(stack, {stack->index(), stack->index() > 0 ? stack->command(stack->index() - 1) : nullptr});
        return all;
    }

    // The list the window shows effects' rows in (the Project tab, or the node-graph view's list
    // of the project's effects), or null.
    QTreeWidget* effectRows() const
    {
        if (!inGraphView())
            return window->projectBrowser()->form()->treeWidget;
        return templatesShown() ? nullptr : window->objectEditor()->form()->treeWidget;
    }
    QTreeWidgetItem* rowOf(KelNGObject* object) const
    {
        return inGraphView() ? object->objectEditorItem : object->projectBrowserItem;
    }
    // A random effect's row in the list shown, scrolled to as a user does; null when none.
    QTreeWidgetItem* pickShownRow()
    {
        QTreeWidget* rows = effectRows();
        QList<KelNGObject*> const objects = core()->objectList();
        if (!rows || objects.isEmpty())
            return nullptr;
        QTreeWidgetItem* row = rowOf(pickFrom(objects));
        if (!row || row->isHidden())
            return nullptr;
        rows->scrollToItem(row);
        settle();
        return row;
    }
    // A box of a random effect's row.
    QComboBox* rowBox(int column)
    {
        QTreeWidgetItem* row = pickShownRow();
        QTreeWidget* rows = effectRows();
        if (!row)
            return nullptr;
        auto* box = qobject_cast<QComboBox*>(rows->itemWidget(row, column));
        return box && box->isVisible() && box->isEnabled() ? box : nullptr;
    }

    // The shown nodes' terminals that are inputs (or outputs), with their nodes.
    QList<std::pair<KelNodes::Node*, KelNodes::Terminal*>> shownTerminals(bool outputs, bool linkedOnly) const
    {
        QList<std::pair<KelNodes::Node*, KelNodes::Terminal*>> found;
        for (KelNodes::Node* node : nodesInView()) {
            for (int i = 0; i < node->numTerminals(); ++i) {
                KelNodes::Terminal* terminal = node->terminal(i);
                if (terminal && (outputs ? terminal->isOutput() : terminal->isInput())
                    && (!linkedOnly || terminal->numConnections() > 0))
                    found.append({node, terminal});
            }
        }
        return found;
    }

    // The steps the walk made, by their command: what they changed from and to.
    struct Made
    {
        WalkState before;
        WalkState after;
    };
    QMap<QUndoCommand const*, Made> made;

    // The effect commands keep the effect as it stood when they last took it away: an
    // insertion's Undo writes it down and its Redo makes it again from that; a deletion's Redo
    // writes it down and its Undo makes it again from that. True for the step whose Undo (Redo)
    // writes the effect down, when the walk made that step.
    bool bringsBackAnEffect(QUndoCommand const* command, bool undo) const
    {
        if (!made.contains(command))
            return false;
        return undo ? dynamic_cast<TwCmdAddObject const*>(command) != nullptr
                    : dynamic_cast<TwCmdDeleteObject const*>(command) != nullptr;
    }
    // After such an Undo (Redo) from `before` to `after`, the Redo (Undo) that follows gives back
    // `before`, whatever the step made at first.
    void followObjectStep(QUndoCommand const* command, bool undo, WalkState const& before, WalkState const& after)
    {
        if (!bringsBackAnEffect(command, undo))
            return;
        made[command] = undo ? Made{after, before} : Made{before, after};
    }

    bool perform(Action action);

    // The node carried onto an effect, and the project's picture as the window showed it before.
    struct BeforeDrag
    {
        WalkDrop drop;
        // The project's effects rendered.
        bool rendered = false;
        bool effectMoved = false;
        QImage picture;
    } dragBefore;
    // Empty when the drop did what it may (WalkDrop) and the render after it is what the move
    // allows: every link stays (the move into another graph keeps them) and every node is
    // prepared before the pixels are pulled, so a graph that rendered renders after it, and, but
    // where an effect moved into another (which may link the two), to the same picture.
    std::string dragFault(WalkState const& before, QMap<QUndoStack*, Top> const& topsBefore) const
    {
        QString step;
        QMap<QUndoStack*, Top> const topsNow = tops();
        for (auto it = topsNow.cbegin(); it != topsNow.cend(); ++it) {
            if (it.value().command && !(it.value() == topsBefore.value(it.key())))
                step = it.key()->undoText();
        }
        if (std::string const fault =
                dragBefore.drop.fault(step, !state().sameFiles(before), window->statusBar()->currentMessage());
            !fault.empty())
            return fault;
        if (!dragBefore.rendered)
            return {};
        if (!core()->renderer()->completedSucceeded())
            return "the project rendered before the move and fails after it: " +
                   window->imageView()->message().toStdString();
        const QImage::Format format = QImage::Format_ARGB32;
        if (!dragBefore.effectMoved &&
            window->imageView()->image().convertToFormat(format) != dragBefore.picture.convertToFormat(format))
            return "the picture after the move is not the one before it";
        return {};
    }

    // The core's render state, for a fault about a render.
    std::string renderState() const
    {
        return std::string(" (effects ") + (core()->areEffectsOn() ? "on" : "off") +
               (core()->renderBlocked() ? ", renders blocked" : "") +
               (core()->isRenderPending() ? ", a render pending" : "") + ")";
    }

    bool triggerIfEnabled(QAction* action)
    {
        if (!action->isEnabled())
            return false;
        action->trigger();
        settle();
        return true;
    }

    // Empty when what Save writes reads back as written (every link, terminal mask and value)
    // and the image view shows the picture a render of it, made apart from the window, gives
    // (the source picture while the effects are off), else what differs. The picture only while
    // the project's effects are rendered, not a template's graph.
    std::string pictureFault()
    {
        const QByteArray project = projectBytes();
        const QByteArray key = QCryptographicHash::hash(project, QCryptographicHash::Sha1);
        if (!apartRenders.contains(key)) {
            if (apartRenders.size() > 64)
                apartRenders.clear();
            apartRenders.insert(key, {readBack(project)});
        }
        ApartRender& apart = apartRenders[key];
        if (!apart.readBack.fault.empty())
            return "the saved project does not read back as written: " + apart.readBack.fault;
        if (core()->currentGraph() != core()->rootGraph())
            return {};
        // A value typed between two keys holds until the frame moves, and the project read again
        // gives the keys' value: there is no picture of the file to compare with.
        if (!apart.readBack.samePicture) {
            ++untiedSteps;
            return {};
        }
        ++comparedSteps;
        const bool on = core()->areEffectsOn();
        if (on && !apart.rendered) {
            apart.picture = renderedApart(project);
            apart.rendered = true;
        }
        QImage const expected = on ? apart.picture : *core()->sourceImage();
        if (!core()->renderer()->completedSucceeded())
            return expected.isNull() ? std::string() : "the render failed where the saved project renders";
        if (expected.isNull())
            return "the window shows a picture where the saved project does not render";
        QImage const shown = window->imageView()->image();
        const QImage::Format format = QImage::Format_ARGB32;
        if (shown.size() != expected.size())
            return "the picture shown is " + std::to_string(shown.width()) + "x" + std::to_string(shown.height()) +
                   ", the saved project's " + std::to_string(expected.width()) + "x" + std::to_string(expected.height());
        if (shown.convertToFormat(format) != expected.convertToFormat(format))
            return "the picture shown is not the one the saved project renders";
        return {};
    }
    // What a saved project reads back as, and the picture it renders (once asked for).
    struct ApartRender
    {
        ProjectReadBack readBack;
        QImage picture;
        bool rendered = false;
    };
    QHash<QByteArray, ApartRender> apartRenders;
    int comparedSteps = 0;
    int untiedSteps = 0;

    std::unique_ptr<WalkHistories> walked;
    std::mt19937 random;
    // Whether a node is carried in one move or in small ones.
    std::mt19937 carrying;
    int weights[ActionCount] = {};
    QString savedPath;
    QString framesFolder;
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
    case ShowImageView: {
        const bool entering = inGraphView();
        pressImageView();
        if (entering)
            walked->imageViewEntered();
        return true;
    }
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
        KelNodes::Node* doomed = pickFrom(nodes);
        if (qEnvironmentVariableIsSet("VYX_WALK_LOG"))
            std::cerr << "delete \"" << doomed->displayName().toStdString() << "\" (" << doomed->uid() << ")" << std::endl;
        clickNode(doomed);
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
        discardingEveryEdit([this] { window->form()->actionNew->trigger(); });
        return true;
    case Open:
        discardingEveryEdit([this] { window->openNodeGraph(core()->rootGraph(), savedPath); });
        return true;
    case PressDelete: {
        QTreeWidget* rows = window->projectBrowser()->form()->treeWidget;
        if (graph || !rows->currentItem())
            return false;
        rows->setFocus();
        QTest::keyClick(rows, Qt::Key_Delete);
        settle();
        return true;
    }
    case EditDelete:
        return triggerIfEnabled(window->form()->actionDelete);
    case DeleteTemplate:
        if (!templatesShown() || !editor->form()->deleteTemplateButton->isEnabled())
            return false;
        answerMessageBox(QMessageBox::Yes);
        QTest::mouseClick(editor->form()->deleteTemplateButton, Qt::LeftButton);
        settle();
        return true;
    case Copy:
        return triggerIfEnabled(window->form()->actionCopy);
    case PasteEffect:
        return triggerIfEnabled(window->form()->actionPaste);
    case NodeColour: {
        Ui::KelNodePanel* panel = editor->nodePanelForm();
        if (!graph || !editor->panelNode() || !editor->nodePanelWidget()->isEnabled())
            return false;
        QToolButton* const buttons[] = {panel->nodeColorCloseButton, panel->nodeColor1Button, panel->nodeColor2Button,
                                        panel->nodeColor3Button, panel->nodeColor4Button, panel->nodeColor5Button};
        QToolButton* button = buttons[pick(6)];
        if (!button->isVisible() || !button->isEnabled())
            return false;
        QTest::mouseClick(button, Qt::LeftButton);
        settle();
        return true;
    }
    case Effects: {
        QToolButton* button = window->projectBrowser()->form()->effectsOn;
        if (!button->isVisible() || !button->isEnabled())
            return false;
        QTest::mouseClick(button, Qt::LeftButton);
        settle();
        return true;
    }
    case SaveSequence: {
        const int from = 1 + pick(3);
        const int to = from + pick(2);
        bool started = false;
        // A frame a graph of the walk cannot render is refused with a warning: answered.
        discardingEveryEdit([&] {
            started = exportThroughTheDialog([this] { window->form()->actionSaveSequence->trigger(); }, framesFolder,
                                             from, to);
        });
        settle();
        EXPECT_TRUE(started) << "no Save Sequence dialog came";
        return started;
    }
    case Preview: {
        QList<KelNGNode*> items;
        for (KelNodes::Node* node : graph ? nodesInView() : QList<KelNodes::Node*>()) {
            KelNGNode* item = KelNGNode::itemOf(node);
            if (item->hasPreview())
                items << item;
        }
        if (items.isEmpty())
            return false;
        // What a click on the node's preview toggle does.
        KelNGNode* item = pickFrom(items);
        item->setPreviewExpanded(!item->previewExpanded());
        item->calculateUI();
        item->updatePixmap();
        item->storePixmapSettingsInNode();
        settle();
        return true;
    }
    case TypeNote: {
        // An effect's own template, or a store template in Show: Templates.
        TemplateEditor* notes = editor->templateEditor();
        if (!graph || !notes->object())
            return false;
        editor->form()->tabWidget->setCurrentWidget(editor->form()->templateTab);
        settle();
        QPlainTextEdit* field = notes->form()->descriptionEdit;
        if (!field->isVisible() || !field->isEnabled())
            return false;
        field->setFocus();
        field->moveCursor(QTextCursor::End);
        QTest::keyClicks(field, QStringLiteral(" Note %1.").arg(++renamed));
        settle();
        return true;
    }
    case Eye: {
        QTreeWidgetItem* row = pickShownRow();
        QTreeWidget* rows = effectRows();
        if (!row)
            return false;
        const QRect cell = rows->visualItemRect(row);
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(rows->columnViewportPosition(0) + rows->columnWidth(0) / 2, cell.center().y()));
        settle();
        return true;
    }
    case Opacity: {
        QComboBox* box = rowBox(TwObjectRows::OpacityColumn);
        if (!box)
            return false;
        // What the box's line hands over as the user types a number.
        box->setEditText(QStringLiteral("%1%").arg(pick(101)));
        settle();
        return true;
    }
    case Blend: {
        QComboBox* box = rowBox(TwObjectRows::BlendColumn);
        if (!box || box->count() == 0)
            return false;
        box->setCurrentIndex(pick(box->count()));
        settle();
        return true;
    }
    case InsertTemplate: {
        // A row of the Filters tab dragged onto the picture.
        QTreeWidget* filters = window->filtersTree();
        if (filters->topLevelItemCount() == 0)
            return false;
        QTreeWidgetItem* item = filters->topLevelItem(pick(filters->topLevelItemCount()));
        std::unique_ptr<QMimeData> data(filters->model()->mimeData({filters->indexFromItem(item)}));
        QWidget* target = window->imageView();
        if (!data || !target->isVisible())
            return false;
        const QPoint at(target->width() / 2, target->height() / 2);
        QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &move);
        QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        settle();
        return true;
    }
    case Wire: {
        if (!graph)
            return false;
        auto const outputs = shownTerminals(true, false);
        auto const inputs = shownTerminals(false, false);
        if (outputs.isEmpty() || inputs.isEmpty())
            return false;
        auto const from = pickFrom(outputs);
        auto const to = pickFrom(inputs);
        if (from.first == to.first)
            return false;
        window->objectEditorGraphView()->ensureVisible(KelNGNode::itemOf(from.first)->pixmapItem());
        dragWire(atTerminal(from.first, from.second), atTerminal(to.first, to.second));
        settle();
        return true;
    }
    case Unwire: {
        // A linked input picked up and let go away from every node.
        auto const linked = graph ? shownTerminals(false, true) : QList<std::pair<KelNodes::Node*, KelNodes::Terminal*>>();
        if (linked.isEmpty())
            return false;
        auto const input = pickFrom(linked);
        window->objectEditorGraphView()->ensureVisible(KelNGNode::itemOf(input.first)->pixmapItem());
        dragWire(atTerminal(input.first, input.second), QPoint(-400, -400));
        settle();
        return true;
    }
    case ReorderNodes: {
        KelNGNodeGraphView* view = window->objectEditorGraphView();
        if (!graph || !view->graph())
            return false;
        view->action(QStringLiteral("reorder"))->trigger();
        settle();
        return true;
    }
    case RenameTemplate: {
        TemplateEditor* fields = editor->templateEditor();
        if (!templatesShown() || !fields->object())
            return false;
        editor->form()->tabWidget->setCurrentWidget(editor->form()->templateTab);
        settle();
        QLineEdit* name = fields->form()->descriptionNameEdit;
        if (!name->isVisible() || !name->isEnabled())
            return false;
        name->setFocus();
        name->selectAll();
        QTest::keyClicks(name, QStringLiteral("Glow %1").arg(++renamed));
        QTest::keyClick(name, Qt::Key_Return);
        settle();
        return true;
    }
    case DragOntoEffect: {
        // A node (not the effect's picture in or out) taken by its title onto an effect beside it;
        // where the graph shown holds no effect, the user first picks an effect's row that does.
        if (!graph)
            return false;
        auto effectsIn = [](QList<KelNodes::Node*> const& nodes) {
            QList<KelNodes::Node*> effects;
            for (KelNodes::Node* node : nodes) {
                if (node->toNodeGraph())
                    effects << node;
            }
            return effects;
        };
        if (effectsIn(nodesInView()).isEmpty() && !templatesShown()) {
            QList<KelNGObject*> holders;
            for (KelNGObject* object : core()->objectList()) {
                if (object->graph() && !effectsIn(QList<KelNodes::Node*>(object->graph()->nodes())).isEmpty())
                    holders << object;
            }
            if (holders.isEmpty())
                return false;
            clickRow(pickFrom(holders));
        }
        QList<KelNodes::Node*> const nodes = nodesInView();
        QList<KelNodes::Node*> const effects = effectsIn(nodes);
        if (effects.isEmpty())
            return false;
        KelNodes::Node* effect = pickFrom(effects);
        QList<KelNodes::Node*> movable;
        for (KelNodes::Node* node : nodes) {
            if (node != effect && !node->isStatic())
                movable << node;
        }
        if (movable.isEmpty())
            return false;
        KelNodes::Node* node = pickFrom(movable);
        // Drawn apart from the walk's own draws: a seed walks the same steps whichever way it
        // carries.
        const bool inOneMove = std::bernoulli_distribution(0.5)(carrying);
        finishRenders();
        dragBefore = {WalkDrop(node, effect, inOneMove),
                      core()->currentGraph() == core()->rootGraph() && core()->areEffectsOn() &&
                          core()->renderer()->completedSucceeded(),
                      node->toNodeGraph() != nullptr, window->imageView()->image()};
        if (qEnvironmentVariableIsSet("VYX_WALK_LOG"))
            std::cerr << dragBefore.drop.description() << std::endl;
        // What the window says of this drop, not of one before it.
        window->statusBar()->clearMessage();
        return dragNodeOnto(node, effect, inOneMove ? Carry::InOneMove : Carry::InSmallMoves);
    }
    default:
        return false;
    }
}

TEST_P(WindowWalk, EveryEditorEditsWhatTheWindowShowsAndEveryChangeIsAnUndoStep)
{
    // Under the sanitizers every step costs several times as much: shorter walks keep CI's
    // two cores within their time, the plain build walks the whole length. The effect of
    // effects every render draws costs a fifth more per step: the walks are a fifth shorter. The
    // effect whose file restores a link against its order costs up to an eighth more: they are an
    // eighth shorter again.
    constexpr int kTries = kSanitized ? 140 : 210;
    const int steps = qEnvironmentVariableIsSet("VYX_WALK_STEPS") ? qEnvironmentVariableIntValue("VYX_WALK_STEPS") : kTries;
    window->openNodeGraph(core()->rootGraph(), savedPath);
    settle();
    walked = std::make_unique<WalkHistories>(core(), window->undoGroup());
    QByteArray first = state().project;
    int base = core()->undoStack()->index();
    std::string done = "seed " + std::to_string(seed()) + ":";
    int taken = 0;
    // Faults whose text holds one of these are let pass (to see what else a walk finds).
    QStringList const ignored = qEnvironmentVariable("VYX_WALK_IGNORE").split(QLatin1Char(','), Qt::SkipEmptyParts);
    // False (and the test failed, naming the seed, the step and the walk so far) when `ok` is.
    auto holds = [&](bool ok, std::string const& fault) {
        if (ok)
            return true;
        for (QString const& text : ignored) {
            if (QString::fromStdString(fault).contains(text))
                return true;
        }
        ADD_FAILURE() << "seed " << seed() << ", step " << taken << " " << fault << "\n" << done;
        return false;
    };
    auto shownRight = [&](std::string const& when) {
        QStringList faults = shownTargetFaults(window.get());
        for (QString const& text : ignored)
            faults.removeIf([&](QString const& fault) { return fault.contains(text); });
        return holds(faults.isEmpty(), when + ": " + faults.join(QStringLiteral("; ")).toStdString());
    };
    for (int step = 1; step <= kTries && taken < steps; ++step) {
        const Action action = nextAction();
        if (action == New || action == Open)
            expectUndoGivesBack(first, base, "before step " + std::to_string(taken + 1) + "\n" + done);

        // What Save would write was read with the render stopped: the render it restarted is no
        // render of the step.
        const WalkState before = state();
        QUndoStack* stack = core()->undoStack();
        QUndoStack* active = window->undoGroup()->activeStack();
        const Top activeTop{active ? active->index() : 0,
                            active && active->index() > 0 ? active->command(active->index() - 1) : nullptr};
        QMap<QUndoStack*, Top> const topsBefore = tops();
        walked->watchAll();
        QUndoStack* const placed = placedHistory(action);
        // What Undo and Redo name, for the log.
        QString const offered = action == Undo ? window->undoAction()->text() : window->redoAction()->text();
        finishRenders();
        QSignalSpy rendered(core(), &TwCore::finished);
        const bool applied = perform(action);
        if (!applied)
            continue;
        finishRenders();
        ++taken;
        done += " " + std::to_string(taken) + "." + kActionNames[action];
        // A crash leaves no assertion message: the log says where the walk was.
        if (qEnvironmentVariableIsSet("VYX_WALK_LOG"))
            std::cerr << "seed " << seed() << " step " << taken << ": " << kActionNames[action]
                      << (action == Undo || action == Redo ? " (" + offered.toStdString() + ")" : std::string())
                      << std::endl;
        const std::string what = std::string("(") + kActionNames[action] + ")";

        if (!shownRight(what))
            return;
        if (const std::string fault = pictureFault(); !holds(fault.empty(), what + ": " + fault))
            return;
        if (const std::string fault = action == DragOntoEffect ? dragFault(before, topsBefore) : std::string();
            !holds(fault.empty(), what + ": " + fault))
            return;

        // The histories: the step went where the window puts it, and Edit > Undo names the step
        // made last in the history it walks.
        {
            QMap<QUndoStack*, Top> const topsNow = tops();
            QList<QUndoStack*> moved;
            for (auto it = topsNow.cbegin(); it != topsNow.cend(); ++it) {
                if (it.value().command && !(it.value() == topsBefore.value(it.key())))
                    moved << it.key();
            }
            if (action == Undo) {
                walked->undone(active);
            } else if (action == Redo) {
                walked->redone(active);
            } else if (action == New || action == Open) {
                walked->projectCleared();
            } else if (!moved.isEmpty()) {
                for (QUndoStack* took : std::as_const(moved))
                    walked->stepTaken(took);
                QString const text = stepText(action);
                if (!holds(moved.size() == 1 && moved.first() == placed,
                           what + " made a step onto " + walked->nameOf(moved.first()).toStdString() +
                               " history, where the window puts it onto " + walked->nameOf(placed).toStdString()) ||
                    !holds(text.isEmpty() || moved.first()->undoText() == text,
                           what + " made the step \"" + moved.first()->undoText().toStdString() + "\""))
                    return;
            }
            if (!holds(walked->fault(window->undoAction()).empty(), what + ": " + walked->fault(window->undoAction())))
                return;
        }

        WalkState after = state();
        if (action == New || action == Open) {
            first = after.project;
            base = stack->index();
            made.clear();
            continue;
        }
        // Undone past a change without a step: the history starts anew where it now stands.
        if (stack->index() < base) {
            first = after.project;
            base = stack->index();
        }
        if (action == Undo || action == Redo) {
            // What was undone (redone) is the step on top of the history Edit > Undo walked,
            // as the walk made it, when nothing else changed since.
            const int moved = action == Undo ? -1 : 0;
            QUndoCommand const* command =
                active && activeTop.index + moved >= 0 && activeTop.index + moved < active->count()
                    ? active->command(activeTop.index + moved) : nullptr;
            auto it = made.constFind(command);
            if (it == made.constEnd())
                continue;
            WalkState const& from = action == Undo ? it->after : it->before;
            WalkState const& to = action == Undo ? it->before : it->after;
            if (before == from && !holds(after == to, what + " does not take back the step on top of its history: " +
                                                            to.differenceTo(after)))
                return;
            followObjectStep(command, action == Undo, before, after);
            continue;
        }
        QMap<QUndoStack*, Top> const topsAfter = tops();
        QList<QUndoStack*> tookStep;
        for (auto it = topsAfter.cbegin(); it != topsAfter.cend(); ++it) {
            if (it.value().command && !(it.value() == topsBefore.value(it.key())))
                tookStep << it.key();
        }
        QUndoStack* activeAfter = window->undoGroup()->activeStack();
        if (takesNoStep(action)) {
            const Top nowTop{activeAfter ? activeAfter->index() : 0,
                             activeAfter && activeAfter->index() > 0 ? activeAfter->command(activeAfter->index() - 1)
                                                                     : nullptr};
            // A row it clicked may have made another stack active, as a selection does; no stack
            // took a step.
            if (!holds(nowTop == topsBefore.value(activeAfter), what + " changed Undo's top step") ||
                !holds(tookStep.isEmpty(), what + " pushed an undo step"))
                return;
            if (after.project != before.project) {
                if (!holds(core()->isModified(), what + " does not mark the project") ||
                    !holds(rendered.count() > 0, what + " is not rendered" + renderState()))
                    return;
                // What Undo cannot take back: the history starts anew after it.
                first = after.project;
                base = stack->index();
            }
            continue;
        }
        for (QUndoStack* took : std::as_const(tookStep))
            made.remove(took->command(took->index() - 1));
        // A template made or deleted in the store is no step.
        if (action == AddTemplate || action == DeleteTemplate)
            continue;
        if (after.sameFiles(before))
            continue;
        const std::string change = before.differenceTo(after);
        if (!holds(tookStep.size() == 1, what + " changed what is saved without one undo step: " + change))
            return;
        // A step pushed onto another history than the selected object's (a node's name while a
        // template is selected) is not the one Edit > Undo takes back next.
        const bool onWalked = activeAfter == tookStep.first();
        if (onWalked && !holds(window->undoAction()->isEnabled(), what + " changed what is saved and left Undo greyed: " + change))
            return;
        if (after.project != before.project &&
            (!holds(core()->isModified(), what + " changed the project without marking it") ||
             !holds(rendered.count() > 0, what + " changed the project without a render" + renderState())))
            return;
        // An effect moved onto another links the two effects' last nodes; the step's Undo takes
        // away every link between those two nodes and brings back none the new one replaced, so
        // what it gives back is not known here: the history starts anew after it.
        if (action == DragOntoEffect && dragBefore.effectMoved) {
            first = after.project;
            base = stack->index();
            continue;
        }
        made.insert(tookStep.first()->command(tookStep.first()->index() - 1), {before, after});
        if (!onWalked)
            continue;

        // Undo, as the user does it right away, gives back what was; Redo what the step made.
        QUndoStack* const undoneOn = window->undoGroup()->activeStack();
        // A step the window let stay Undo's on another history than the selected object's is
        // undone from there, and then the selected object's history is the one Undo and Redo walk.
        const bool aside = undoneOn != walked->historyOf(core()->selectedObject());
        window->undoAction()->trigger();
        settle();
        finishRenders();
        walked->undone(undoneOn);
        if (const std::string fault = pictureFault(); !holds(fault.empty(), what + " undone: " + fault))
            return;
        if (!shownRight(what + " undone") ||
            !holds(walked->fault(window->undoAction()).empty(), what + " undone: " + walked->fault(window->undoAction())))
            return;
        const WalkState undone = state();
        if (!holds(undone == before, what + ": Undo does not give back what was: " + before.differenceTo(undone)))
            return;
        if (aside)
            continue;
        if (!holds(window->redoAction()->isEnabled(), what + ": Redo greyed after Undo"))
            return;
        QUndoStack* const redoneOn = window->undoGroup()->activeStack();
        window->redoAction()->trigger();
        settle();
        finishRenders();
        walked->redone(redoneOn);
        if (const std::string fault = pictureFault(); !holds(fault.empty(), what + " redone: " + fault))
            return;
        if (!shownRight(what + " redone") ||
            !holds(walked->fault(window->undoAction()).empty(), what + " redone: " + walked->fault(window->undoAction())))
            return;
        const WalkState redone = state();
        if (!holds(redone == after, what + ": Redo does not give back the step: " + after.differenceTo(redone)))
            return;
    }
    expectUndoGivesBack(first, base, "at the end\n" + done);
    // The walk ends as a user ends: every holder must let go before what it holds is freed.
    ASSERT_TRUE(closeWindow()) << "the window did not close\n" << done;
    if (qEnvironmentVariableIsSet("VYX_WALK_LOG"))
        std::cerr << done << " | closed; pictures compared " << comparedSteps << ", not comparable " << untiedSteps
                  << std::endl;
}

// Seed 10 is the one of the first ten that reaches a value typed while the effects are off with a
// preview open.
INSTANTIATE_TEST_SUITE_P(Seeds, WindowWalk, ::testing::Values(1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 10u));

} // namespace
} // namespace MainWindowTest
