// No road of the window changes a graph while a render reads it: deletes in both show modes and
// both views, undo and redo of the commands, frame changes, template deletes and installs, New
// and Open. Every step comes while a render is held in its rows (until something cancels it), and
// every render the step starts is held the same way until the step is over, so that a render
// started inside a change surely still reads when the change goes on. The test home's fault hook
// and the render-read count catch a change under it.

#include "WindowUser.h"

#include "app/TemplateStoreTestSupport.h"

#include "ui_KelNodePanel.h"
#include "ui_MainWindow.h"
#include "ui_ObjectEditor.h"
#include "ui_ProjectBrowser.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/RenderStatus.h"
#include "app/Renderer.h"
#include "app/StoragePaths.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodes/Terminal.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "nodeui/KelTimeline.h"
#include "nodeui/NodeDockTabWidget.h"
#include "nodeui/TreeWidgetByMimeType.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGraphicsPixmapItem>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QSemaphore>
#include <QSpinBox>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QUuid>

#include <atomic>
#include <functional>
#include <memory>

namespace MainWindowTest {
namespace {

// Reports progress at every row: the first report comes with the render's first rows.
class RushingClock : public RenderStatus::Clock
{
public:
    void start() override { m_now = 0; }
    qint64 elapsed() const override { return m_now += 1000; }

private:
    mutable qint64 m_now = 0;
};

// While armed, holds every render at its first progress report, on the render thread, until the
// render is cancelled or the hold disarmed.
class RenderHold : public QObject
{
public:
    explicit RenderHold(RenderStatus* status) : m_status(status)
    {
        connect(status, &RenderStatus::percentCompleted, this, [this] { hold(); }, Qt::DirectConnection);
    }
    void arm()
    {
        m_held.tryAcquire(m_held.available());
        m_armed = true;
    }
    void disarm() { m_armed = false; }
    // Runs the event loop, which starts the render asked for, until a render is held; false when
    // none is, or none comes to rows.
    bool awaitHeld(TwCore* core)
    {
        for (int round = 0; round < 6000; ++round) {
            if (m_held.tryAcquire(1, 10))
                return true;
            if (!core->isRenderPending())
                return m_held.tryAcquire(1);
            QCoreApplication::processEvents();
        }
        return false;
    }

private:
    void hold()
    {
        if (!m_armed)
            return;
        m_held.release();
        while (m_armed && !m_status->cancelationRequested())
            QThread::msleep(1);
    }

    RenderStatus* m_status;
    std::atomic<bool> m_armed{false};
    QSemaphore m_held;
};

class RenderRoads : public WindowUser
{
protected:
    void SetUp() override
    {
        WindowUser::SetUp();
        ASSERT_NO_FATAL_FAILURE(startWithStoreTemplates({QStringLiteral("Stored Glow")}));
        toneFx = addKeyedHsvEffect(QStringLiteral("Tone FX"));
        addInversion(QStringLiteral("Invert"));
        savedPath = dir.filePath(QStringLiteral("roads.vyxsg"));
        saveProjectAs(savedPath);
        RenderStatus& status = core()->renderer()->status();
        status.setClock(std::make_unique<RushingClock>());
        hold = std::make_unique<RenderHold>(&status);
    }
    void TearDown() override
    {
        if (hold)
            hold->disarm();
        if (window) {
            settle();
            core()->renderer()->status().setClock(nullptr);
        }
        hold.reset();
        WindowUser::TearDown();
    }

    // Runs `step` while a render reads the project and checks that no graph changed under a
    // render meanwhile. The step must not wait for renders: they are held until it returns.
    void duringARender(std::string const& what, std::function<void()> const& step)
    {
        settle();
        hold->arm();
        core()->start();
        const bool held = hold->awaitHeld(core());
        const quint64 faultsBefore = KelNodes::NodeGraph::renderReadFaults();
        if (held)
            step();
        hold->disarm();
        settle();
        EXPECT_TRUE(held) << what << ": no render read the project when it came";
        EXPECT_EQ(KelNodes::NodeGraph::renderReadFaults(), faultsBefore) << what << " changed a graph a render read";
    }
    void undoAndRedo(std::string const& what)
    {
        duringARender(what + ", undone", [this] {
            ASSERT_TRUE(window->undoAction()->isEnabled());
            window->undoAction()->trigger();
        });
        duringARender(what + ", redone", [this] {
            ASSERT_TRUE(window->redoAction()->isEnabled());
            window->redoAction()->trigger();
        });
    }
    void editDelete()
    {
        window->on_menuEdit_aboutToShow();
        ASSERT_TRUE(window->form()->actionDelete->isEnabled());
        window->form()->actionDelete->trigger();
    }
    // Answers every question about unsaved edits with Discard while `step` runs.
    static void discarding(std::function<void()> const& step)
    {
        QTimer answer;
        answer.setInterval(10);
        QObject::connect(&answer, &QTimer::timeout, [] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && box->isVisible() && box->button(QMessageBox::Discard))
                box->button(QMessageBox::Discard)->click();
        });
        answer.start();
        step();
    }
    KelNodes::Node* hsvNode() const { return nodeOfType(objectNamed(QStringLiteral("Tone FX")), QStringLiteral("operator.hsv")); }
    void dropOnView(QWidget* target, QMimeData const* data)
    {
        const QPoint at(target->width() / 2, target->height() / 2);
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &move);
        QDropEvent drop(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
    }
    // What the Nodes panel's list of node types hands a drag of the type.
    QMimeData* nodeTypeData(QString const& typeId) const
    {
        TreeWidgetByMimeType* types = window->nodeDock()->availableNodesTree();
        for (QTreeWidgetItem* item : types->findItems(QStringLiteral("*"), Qt::MatchWildcard | Qt::MatchRecursive)) {
            if (item->data(0, Qt::UserRole + 1).toString() == typeId)
                return types->model()->mimeData({types->indexFromItem(item)});
        }
        return nullptr;
    }
    void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QWidget* viewport = window->objectEditorGraphView()->viewport();
        QMouseEvent event(type, QPointF(at), viewport->mapToGlobal(QPointF(at)), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &event);
    }
    QPoint atTerminal(KelNodes::Node* node, QString const& name)
    {
        KelNGNode* item = KelNGNode::itemOf(node);
        KelNodes::Terminal* terminal = node->getTerminal(name);
        EXPECT_TRUE(item && terminal);
        KelNGNodeGraphView* view = window->objectEditorGraphView();
        view->ensureVisible(item->pixmapItem());
        return item && terminal ? view->mapFromScene(item->rectForTerminal(terminal).center()) : QPoint();
    }
    // Presses on `from`, drags to `to` and lets go, as a user draws or drops a wire.
    void dragWire(QPoint from, QPoint to)
    {
        mouse(QEvent::MouseMove, from, Qt::NoButton, Qt::NoButton);
        mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        mouse(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
        mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }

    KelNGObject* toneFx = nullptr;
    QString savedPath;
    std::unique_ptr<RenderHold> hold;
};

// The road that deleted an effect under a render it started: Edit > Delete in the node-graph view
// on an effect whose picked node stands at another frame than the effect (emptying the selection
// brings the effect to one frame, which asked for a render).
TEST_F(RenderRoads, EditDeleteOfAnEffectWhosePickedNodeStandsAtAnotherFrame)
{
    pressGraphView();
    clickShowProject();
    clickRow(toneFx);
    clickNode(hsvNode());
    goTo(12);
    ASSERT_EQ(hsvNode()->paramContainer()->currentFrame(), 12);
    ASSERT_NE(toneFx->graph()->paramContainer()->currentFrame(), 12) << "the node stands at a frame of its own";
    duringARender("Edit > Delete", [this] { editDelete(); });
    ASSERT_EQ(objectNamed(QStringLiteral("Tone FX")), nullptr);
    undoAndRedo("Edit > Delete");
}

// The image view: the bin, a template dropped on the picture, a typed value, a frame change.
TEST_F(RenderRoads, ImageViewRoads)
{
    pressImageView();
    clickRow(objectNamed(QStringLiteral("Invert")));
    duringARender("the bin", [this] { QTest::mouseClick(window->projectBrowser()->form()->deleteFilter, Qt::LeftButton); });
    ASSERT_EQ(objectNamed(QStringLiteral("Invert")), nullptr);
    undoAndRedo("the bin");

    QTreeWidget* filters = window->filtersTree();
    ASSERT_GT(filters->topLevelItemCount(), 0);
    std::unique_ptr<QMimeData> data(filters->model()->mimeData({filters->indexFromItem(filters->topLevelItem(0))}));
    const int effects = int(core()->objectList().size());
    duringARender("a template dropped on the picture", [&] { dropOnView(window->imageView(), data.get()); });
    ASSERT_EQ(core()->objectList().size(), effects + 1);
    undoAndRedo("a template dropped on the picture");

    clickRow(toneFx);
    duringARender("a typed value", [this] { typeValue(shownImportantEditor(parameterOf(hsvNode(), QStringLiteral("Hue"))), QStringLiteral("77")); });
    undoAndRedo("a typed value");
    duringARender("a frame change", [this] { typeValue(frameField, QStringLiteral("7")); });
    duringARender("a key added", [this] {
        QTest::mouseClick(timeline->findChild<QAbstractButton*>(QStringLiteral("addKeyframeTB")), Qt::LeftButton);
    });
    undoAndRedo("a key added");
}

// The node-graph view's project: nodes added, wired and deleted, renames, the list's Delete.
TEST_F(RenderRoads, GraphViewProjectRoads)
{
    pressGraphView();
    clickShowProject();
    clickRow(toneFx);

    std::unique_ptr<QMimeData> data(nodeTypeData(QStringLiteral("operator.grayscale")));
    ASSERT_NE(data, nullptr);
    const int nodes = toneFx->graph()->numNodes();
    duringARender("a node dropped on the graph", [&] { dropOnView(window->objectEditorGraphView()->viewport(), data.get()); });
    ASSERT_EQ(toneFx->graph()->numNodes(), nodes + 1);
    undoAndRedo("a node dropped on the graph");
    KelNodes::Node* added = nodeOfType(toneFx, QStringLiteral("operator.grayscale"));
    ASSERT_NE(added, nullptr);
    settle();

    duringARender("a wire drawn", [&] { dragWire(atTerminal(hsvNode(), QStringLiteral("out rgb")), atTerminal(added, QStringLiteral("rgb"))); });
    ASSERT_TRUE(hsvNode()->isConnectedTo(added));
    undoAndRedo("a wire drawn");
    duringARender("a wire taken off", [&] { dragWire(atTerminal(added, QStringLiteral("rgb")), QPoint(-400, -400)); });
    undoAndRedo("a wire taken off");

    clickNode(added);
    duringARender("the Delete key on a node", [this] {
        window->objectEditorGraphView()->setFocus();
        QTest::keyClick(window->objectEditorGraphView(), Qt::Key_Delete);
    });
    ASSERT_EQ(nodeOfType(toneFx, QStringLiteral("operator.grayscale")), nullptr);
    undoAndRedo("the Delete key on a node");

    clickNode(hsvNode());
    duringARender("a node renamed", [this] {
        QLineEdit* field = window->objectEditor()->nodePanelForm()->nodeNameEdit;
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("Shade"));
        QTest::keyClick(field, Qt::Key_Return);
    });
    undoAndRedo("a node renamed");
    duringARender("an effect renamed", [this] { toneFx->objectEditorItem->setText(1, QStringLiteral("Toned")); });
    undoAndRedo("an effect renamed");

    clickRow(objectNamed(QStringLiteral("Invert")));
    duringARender("Delete of the effects list", [this] { window->objectEditor()->form()->actionDelete->trigger(); });
    ASSERT_EQ(objectNamed(QStringLiteral("Invert")), nullptr);
    undoAndRedo("Delete of the effects list");
}

// Show: Templates: a template's node deleted and brought back, the template installed anew while
// shown, and deleted.
TEST_F(RenderRoads, TemplateRoads)
{
    pressGraphView();
    clickShowTemplates();
    KelTemplate* stored = nullptr;
    for (KelTemplate* objectTemplate : core()->templateStore()->objectTemplateList) {
        if (objectTemplate->name() == QLatin1String("Stored Glow"))
            stored = objectTemplate;
    }
    ASSERT_TRUE(stored && stored->objectInstance());
    clickTemplateRow(stored->objectInstance());
    std::unique_ptr<QMimeData> data(nodeTypeData(QStringLiteral("operator.grayscale")));
    duringARender("a node dropped on a template's graph", [&] { dropOnView(window->objectEditorGraphView()->viewport(), data.get()); });
    undoAndRedo("a node dropped on a template's graph");
    KelNodes::Node* added = nodeOfType(stored->objectInstance(), QStringLiteral("operator.grayscale"));
    ASSERT_NE(added, nullptr);
    clickNode(added);
    duringARender("the Delete key on a template's node", [this] {
        window->objectEditorGraphView()->setFocus();
        QTest::keyClick(window->objectEditorGraphView(), Qt::Key_Delete);
    });
    undoAndRedo("the Delete key on a template's node");

    const QString uuid = stored->uuid();
    const QString file = dir.filePath(QStringLiteral("installed.xml"));
    ASSERT_TRUE(StoreTest::writeFile(file, StoreTest::templateDocument({uuid, QStringLiteral("Installed Glow")})));
    duringARender("a template installed", [&] { core()->templateStore()->addUpdatedTemplate(true, uuid, file); });
    KelTemplate* installed = core()->templateStore()->getObjectTemplateFromUuid(uuid);
    ASSERT_TRUE(installed && installed->objectInstance());
    clickTemplateRow(installed->objectInstance());
    duringARender("a template deleted", [this] {
        answerMessageBox(QMessageBox::Yes);
        QTest::mouseClick(window->objectEditor()->form()->deleteTemplateButton, Qt::LeftButton);
    });
    EXPECT_EQ(core()->templateStore()->getObjectTemplateFromUuid(uuid), nullptr);
}

// New and Open over an edited project, and the project's own file opened again over its edits.
TEST_F(RenderRoads, NewAndOpen)
{
    pressImageView();
    clickRow(toneFx);
    type(shownImportantEditor(parameterOf(hsvNode(), QStringLiteral("Hue"))), 33);
    ASSERT_TRUE(core()->isModified());
    duringARender("Open of the project's own file over its edits", [this] {
        discarding([this] {
            QString path = savedPath;
            window->openNodeGraph(core()->rootGraph(), path);
        });
    });
    ASSERT_NE(objectNamed(QStringLiteral("Tone FX")), nullptr);
    clickRow(objectNamed(QStringLiteral("Tone FX")));
    type(shownImportantEditor(parameterOf(hsvNode(), QStringLiteral("Hue"))), 44);
    duringARender("New", [this] { discarding([this] { window->on_actionNew_triggered(); }); });
    ASSERT_TRUE(core()->objectList().isEmpty());
    duringARender("Open", [this] {
        discarding([this] {
            QString path = savedPath;
            window->openNodeGraph(core()->rootGraph(), path);
        });
    });
    ASSERT_EQ(core()->objectList().size(), 2);
}

} // namespace
} // namespace MainWindowTest
