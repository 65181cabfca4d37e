// No road of the window changes a graph while a render reads it: deletes in both show modes and
// both views, undo and redo of the commands, frame changes, template deletes and installs, New
// and Open. Every step comes while a render is held in its rows (until something cancels it), and
// every render the step starts is held the same way until the step is over, so that a render
// started inside a change surely still reads when the change goes on. The test home's fault hook
// and the render-read count catch a change under it; the render thread's starts and the running
// render's generation catch a render started inside the step at all, even where the step
// stopped it again before changing anything.

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
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodes/Terminal.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeConnection.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "nodeui/KelTimeline.h"
#include "nodeui/NodeDockTabWidget.h"
#include "nodeui/TreeWidgetByMimeType.h"
#include "params/Color.h"
#include "params/ParameterContainer.h"

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
        // On the render thread, before its run: counted by the time a cancel's wait returns.
        QObject::connect(core()->renderer(), &QThread::started, hold.get(), [this] { ++threadStarts; }, Qt::DirectConnection);
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
        Renderer* renderer = core()->renderer();
        const quint64 heldGeneration = renderer->generation();
        const int startsBefore = threadStarts.load();
        if (held)
            step();
        // Before the event loop runs again: a render handed over inside the step has started its
        // thread, stopped since or still running under a generation of its own.
        const bool startedInside =
            threadStarts.load() != startsBefore || (renderer->isRunning() && renderer->generation() != heldGeneration);
        hold->disarm();
        settle();
        EXPECT_TRUE(held) << what << ": no render read the project when it came";
        EXPECT_FALSE(startedInside) << what << " started a render inside the change";
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

    KelNGObject* toneFx = nullptr;
    QString savedPath;
    std::unique_ptr<RenderHold> hold;
    std::atomic<int> threadStarts{0};
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

// The user's road to an effect read twice: in the node-graph view, a wire drawn from an inner
// effect's output to a Max's first input, then another to its second. The output keeps one link:
// the second wire takes the first's place in the graph and in the view, and the picture is the
// one the graph now holds makes: the first input reads its own mid grey (its second's default
// is white, so a render of the graph with the first wire shows white).
TEST_F(RenderRoads, ASecondWireDrawnFromAnInnerEffectsOutputTakesTheFirstsPlace)
{
    pressGraphView();
    clickShowProject();
    core()->cancelRender();
    KelVyxNodes::VyxNodeGraph* nest = core()->rootGraph()->addSubGraph(-1);
    nest->setName(QStringLiteral("Nest"));
    nest->setUp(core()->sourceImage(), nullptr, nullptr, false);
    KelVyxNodes::VyxNodeGraph* inner = nest->addSubGraph(-1);
    inner->setName(QStringLiteral("Inner"));
    inner->setUp(core()->sourceImage(), nullptr, nullptr, false);
    KelNodes::Node* inversion = inner->addNode(QStringLiteral("operator.inversion"), -1);
    KelNodes::Node* max = nest->addNode(QStringLiteral("operator.Maths.max"), -1);
    ASSERT_TRUE(inversion && max);
    ASSERT_EQ(max->paramContainer()->setColorParam(QStringLiteral("color2"), KelUtils::Color(1.0f, 1.0f, 1.0f)), 0);
    ASSERT_EQ(nest->sourceNode()->connect(QStringLiteral("rgb"), inner, QStringLiteral("rgbIn")), 0);
    ASSERT_EQ(inner->sourceNode()->connect(QStringLiteral("rgb"), inversion, QStringLiteral("inRgb")), 0);
    inner->destinationNode()->getTerminal(QStringLiteral("rgb"))->disconnectAll();
    ASSERT_EQ(inversion->connect(QStringLiteral("outRgb"), inner->destinationNode(), QStringLiteral("rgb")), 0);
    nest->destinationNode()->getTerminal(QStringLiteral("rgb"))->disconnectAll();
    ASSERT_EQ(max->connect(QStringLiteral("rgbOut"), nest->destinationNode(), QStringLiteral("rgb")), 0);
    core()->addObjectFromNodeGraph(nest);
    settle();
    clickRow(objectNamed(QStringLiteral("Nest")));
    settle();

    KelNodes::Terminal* output = inner->getTerminal(QStringLiteral("rgbOut"));
    // The wires the view draws from Inner's output: the inputs at their other ends.
    auto wiresFromOutput = [&] {
        QStringList inputs;
        for (KelNGNodeConnection* wire : window->objectEditorGraphView()->connections()) {
            if (wire->sourceTerminal() == output && wire->destinationTerminal())
                inputs << wire->destinationTerminal()->name();
            else if (wire->destinationTerminal() == output && wire->sourceTerminal())
                inputs << wire->sourceTerminal()->name();
        }
        return inputs;
    };
    auto resultIsWhite = [&] {
        const QImage result = core()->resultImage()->convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < result.height(); ++y) {
            for (int x = 0; x < result.width(); ++x) {
                if ((result.pixel(x, y) & 0xFFFFFFu) != 0xFFFFFFu)
                    return false;
            }
        }
        return true;
    };

    dragWire(atTerminal(inner, QStringLiteral("rgbOut")), atTerminal(max, QStringLiteral("rgbIn1")));
    settle();
    ASSERT_TRUE(max->getTerminal(QStringLiteral("rgbIn1"))->isConnectedTo(output));
    EXPECT_EQ(wiresFromOutput(), QStringList{QStringLiteral("rgbIn1")});
    ASSERT_TRUE(core()->renderer()->completedSucceeded()) << window->imageView()->message().toStdString();
    EXPECT_TRUE(resultIsWhite()) << "max(inverted, white)";

    dragWire(atTerminal(inner, QStringLiteral("rgbOut")), atTerminal(max, QStringLiteral("rgbIn2")));
    settle();
    EXPECT_EQ(output->numConnections(), 1);
    EXPECT_TRUE(max->getTerminal(QStringLiteral("rgbIn2"))->isConnectedTo(output));
    EXPECT_EQ(max->getTerminal(QStringLiteral("rgbIn1"))->numConnections(), 0);
    EXPECT_EQ(wiresFromOutput(), QStringList{QStringLiteral("rgbIn2")});
    ASSERT_TRUE(core()->renderer()->completedSucceeded()) << window->imageView()->message().toStdString();
    EXPECT_EQ(window->imageView()->message(), QString());
    const QImage drawn = core()->resultImage()->copy();
    EXPECT_FALSE(resultIsWhite());

    // The same project with the one link made in the graph.
    core()->cancelRender();
    output->disconnectAll();
    ASSERT_EQ(inner->connect(QStringLiteral("rgbOut"), max, QStringLiteral("rgbIn2")), 0);
    core()->start();
    settle();
    ASSERT_TRUE(core()->renderer()->completedSucceeded()) << window->imageView()->message().toStdString();
    EXPECT_EQ(drawn, *core()->resultImage());
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
