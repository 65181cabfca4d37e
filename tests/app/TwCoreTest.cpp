#include "AppTestSupport.h"
#include "CoreTestGraphs.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/TwCore.h"
#include "app/TwUtilities.h"
#include "nodes/NodeSubscriber.h"

#include <QBuffer>
#include <QImageWriter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

#include <gtest/gtest.h>

#include <memory>

using namespace CoreTest;
using KelVyxNodes::VyxNodeGraph;

namespace {

class TwCoreTest : public ::testing::Test
{
protected:
    TwCoreTest()
    {
        core = std::make_unique<TwCore>(&window);
        window.setCore(core.get());
    }
    ~TwCoreTest() override
    {
        core->clear();
        core.reset();
    }

    KelNGObject* addObject(QString const& type = QStringLiteral("operator.inversion"))
    {
        VyxNodeGraph* effect = addEffect(core->rootGraph(), type);
        return core->addObjectFromNodeGraph(effect);
    }

    AppTest::RecordingMainWindow window;
    std::unique_ptr<TwCore> core;
};

TEST_F(TwCoreTest, StartsWithTransparentImages)
{
    for (QImage* image : {core->sourceImage(), core->resultImage()}) {
        ASSERT_EQ(image->size(), QSize(600, 400));
        EXPECT_EQ(image->pixel(10, 10), 0u);
    }
    EXPECT_EQ(core->currentGraph(), core->rootGraph());
}

TEST_F(TwCoreTest, EffectsOffCopiesTheSourceWhenTheAskedRenderStarts)
{
    *core->sourceImage() = ramp(7, 5);
    QSignalSpy finished(core.get(), &TwCore::finished);
    core->effectsOn(false);
    // Nothing is announced inside the call that asked: its caller may be amid a change.
    EXPECT_EQ(finished.count(), 0);
    startAskedRender(*core);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(*core->resultImage(), *core->sourceImage());
    EXPECT_TRUE(core->renderer()->completedSucceeded());
    EXPECT_FALSE(core->isModified());
    core->start();
    startAskedRender(*core);
    EXPECT_EQ(finished.count(), 2);
    EXPECT_EQ(window.renderingFinishedCount, 2);
    EXPECT_EQ(window.count(QStringLiteral("imageViewSetMessage")), 0);

    core->setRenderBlocked(true);
    core->start();
    startAskedRender(*core);
    EXPECT_EQ(finished.count(), 2);
}

TEST_F(TwCoreTest, RenderShowsProgressMessageAndFiltersTheObjects)
{
    *core->sourceImage() = ramp(9, 6);
    KelNGObject* first = addObject();
    ASSERT_NE(first, nullptr);
    EXPECT_GE(waitForRenders(*core), 1);
    EXPECT_TRUE(core->renderer()->completedSucceeded());
    EXPECT_TRUE(window.calls.contains(QStringLiteral("imageViewSetMessage Rendering in Progress: 0%")));
    EXPECT_EQ(core->resultImage()->pixel(4, 3), inverted(core->sourceImage()->pixel(4, 3)));

    // Two inversions in a row give the source back.
    addObject();
    EXPECT_GE(waitForRenders(*core), 1);
    EXPECT_TRUE(core->renderer()->completedSucceeded());
    for (int x = 0; x < 9; ++x)
        EXPECT_EQ(core->resultImage()->pixel(x, 2), core->sourceImage()->pixel(x, 2)) << x;

    core->onRenderProgress(42);
    EXPECT_EQ(window.lastImageViewMessage, QStringLiteral("Rendering in Progress: 42%"));
}

TEST_F(TwCoreTest, CancelRestartsTheStoppedRenderWithoutAnnouncingIt)
{
    auto delay = slowDown(*core, 0);
    addObject();
    waitForRenders(*core);
    delay->store(2);

    QSignalSpy finished(core.get(), &TwCore::finished);
    core->start();
    startAskedRender(*core);
    ASSERT_TRUE(core->renderer()->isRunning());
    core->cancelRender();
    EXPECT_FALSE(core->renderer()->isRunning());
    // Several look-ups in a row still give one restart.
    core->findObjectOfNode(core->rootGraph());
    core->objectList();
    delay->store(0);
    ASSERT_TRUE(finished.wait(20000));
    QTest::qWait(200);
    EXPECT_EQ(finished.count(), 1);
    // The one finished() that came is the restarted render's, which succeeded.
    EXPECT_TRUE(core->renderer()->completedSucceeded());
    EXPECT_EQ(window.count(QStringLiteral("renderingFinished")), window.renderingFinishedCount);
}

TEST_F(TwCoreTest, ARestartAndARequestBeforeItMakeOneRender)
{
    auto delay = slowDown(*core, 0);
    addObject();
    waitForRenders(*core);
    delay->store(2);
    const int messagesBefore = window.count(QStringLiteral("imageViewSetMessage Rendering in Progress: 0%"));

    QSignalSpy finished(core.get(), &TwCore::finished);
    core->start();
    startAskedRender(*core);
    ASSERT_TRUE(core->renderer()->isRunning());
    core->cancelRender();
    delay->store(0);
    core->start();
    core->start();
    ASSERT_TRUE(finished.wait(20000));
    QTest::qWait(200);
    EXPECT_EQ(finished.count(), 1);
    // The render of the first start, then one for the restart and both later starts.
    EXPECT_EQ(window.count(QStringLiteral("imageViewSetMessage Rendering in Progress: 0%")),
              messagesBefore + 2);
}

TEST_F(TwCoreTest, SnapshotDuringRenderRestartsIt)
{
    auto delay = slowDown(*core, 0);
    KelNGObject* object = addObject();
    waitForRenders(*core);
    delay->store(2);

    QSignalSpy finished(core.get(), &TwCore::finished);
    core->start();
    startAskedRender(*core);
    ASSERT_TRUE(core->renderer()->isRunning());
    std::unique_ptr<QBuffer> copy(TwUtilities::storeObjectsToXML(core.get(), {object}));
    EXPECT_FALSE(copy->data().isEmpty());
    delay->store(0);
    ASSERT_TRUE(finished.wait(20000));
    QTest::qWait(150);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_TRUE(core->renderer()->completedSucceeded());
}

TEST_F(TwCoreTest, SelectionRules)
{
    QSignalSpy changed(core.get(), &TwCore::selectedObjectChanged);
    core->setSelectedObject(nullptr);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.last().at(0).value<KelNGObject*>(), nullptr);
    EXPECT_EQ(window.count(QStringLiteral("nodeGraphViewSetObject")), 0);

    KelNGObject* a = addObject();
    KelNGObject* b = addObject();
    KelNGObject* c = addObject();
    core->setSelectedObject(a);
    core->addToSelectedObjects(b);
    core->addToSelectedObjects(c);
    EXPECT_EQ(core->selectedObject(), a);
    EXPECT_EQ(core->selectedObjects(), (QList<KelNGObject*>{a, b, c}));

    changed.clear();
    core->unselectObject(b);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(core->selectedObjects(), (QList<KelNGObject*>{a, c}));

    window.calls.clear();
    core->setSelectedObject(nullptr);
    EXPECT_TRUE(core->selectedObjects().isEmpty());
    EXPECT_EQ(window.count(QStringLiteral("nodeGraphViewSetObject null")), 1);

    core->setSelectedObject(c);
    changed.clear();
    core->unselectObject(c);
    EXPECT_TRUE(core->selectedObjects().isEmpty());
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.last().at(0).value<KelNGObject*>(), nullptr);

    EXPECT_TRUE(core->selectedObjectsCanBeDeleted());
    core->setSelectedObject(a);
    core->addToSelectedObjects(b);
    b->setDeletable(false);
    EXPECT_FALSE(core->selectedObjectsCanBeDeleted());
}

TEST_F(TwCoreTest, ObjectsAreListedInInsertionOrderAndChained)
{
    KelNGObject* a = addObject();
    KelNGObject* b = addObject();
    ASSERT_EQ(core->objectList(), (QList<KelNGObject*>{a, b}));
    EXPECT_EQ(core->selectedObject(), b);
    EXPECT_TRUE(core->isModified());

    KelNodes::Node* source = core->rootGraph()->sourceNode();
    KelNodes::Node* sink = core->rootGraph()->destinationNode();
    EXPECT_TRUE(source->isConnectedTo(a->graph()));
    EXPECT_TRUE(a->graph()->isConnectedTo(b->graph()));
    EXPECT_TRUE(b->graph()->isConnectedTo(sink));
    EXPECT_FALSE(source->isConnectedTo(sink));
    EXPECT_GE(window.count(QStringLiteral("projectBrowserSortFilters")), 2);

    // A recorded index puts a returning object back in its place.
    VyxNodeGraph* effect = addEffect(core->rootGraph());
    core->setInsertionIndexFor(effect->uid(), 0);
    KelNGObject* c = core->addObjectFromNodeGraph(effect);
    EXPECT_EQ(core->objectList(), (QList<KelNGObject*>{c, a, b}));
    EXPECT_EQ(core->insertionIndexFor(c), -1);
    EXPECT_TRUE(source->isConnectedTo(c->graph()));
    EXPECT_TRUE(c->graph()->isConnectedTo(a->graph()));
    EXPECT_FALSE(source->isConnectedTo(a->graph()));

    core->clear();
    EXPECT_TRUE(core->objectList().isEmpty());
    EXPECT_TRUE(core->selectedObjects().isEmpty());
    EXPECT_TRUE(source->isConnectedTo(sink));
    EXPECT_EQ(core->rootGraph()->numNodes(), 2);
}

TEST_F(TwCoreTest, RemovingAnObjectGraphDropsTheObject)
{
    KelNGObject* a = addObject();
    KelNGObject* b = addObject();
    core->setSelectedObject(a);
    core->addToSelectedObjects(b);
    core->setHasProjectFile(true);
    core->setModified(false);
    window.calls.clear();

    // The graph goes through its parent; the object record itself is left behind.
    ASSERT_EQ(core->rootGraph()->removeNode(a->graph()), 0);
    EXPECT_EQ(core->objectList(), (QList<KelNGObject*>{b}));
    EXPECT_EQ(core->selectedObjects(), (QList<KelNGObject*>{b}));
    EXPECT_FALSE(core->hasProjectFile());
    EXPECT_TRUE(core->isModified());
    EXPECT_GE(window.count(QStringLiteral("nodeAboutToBeDeleted")), 1);
}

TEST_F(TwCoreTest, FindsObjectsByUuidAtAnyDepth)
{
    KelNGObject* top = addObject();
    VyxNodeGraph* inner = dynamic_cast<VyxNodeGraph*>(top->graph())->addSubGraph(-1);
    VyxNodeGraph* innermost = inner->addSubGraph(-1);
    auto* innerObject = new KelNGObject(inner);
    KelNGObject* innermostObject = KelNGObject::objectOf(innermost);
    ASSERT_NE(innermostObject, nullptr);

    EXPECT_EQ(core->findObjectOfUuid(top->uuid()), top);
    EXPECT_EQ(core->findObjectOfUuid(innermostObject->uuid()), innermostObject);
    EXPECT_EQ(core->findObjectOfUuid(QStringLiteral("{00000000-0000-0000-0000-000000000001}")), nullptr);

    KelNodes::Node* plain = innermost->addNode(QStringLiteral("generator.const"), -1);
    EXPECT_EQ(core->findObjectOfNode(plain), innermostObject);
    EXPECT_EQ(core->findObjectOfNode(inner), innerObject);
    EXPECT_EQ(core->findNode(plain->uid()), plain);
    EXPECT_EQ(core->findNode(0), core->rootGraph());
}

TEST_F(TwCoreTest, UnknownTemplateGivesNullButMarksTheProject)
{
    QSignalSpy modified(core.get(), &TwCore::modifiedStateChanged);
    EXPECT_EQ(core->addTemplateObject(QStringLiteral("{11111111-2222-3333-4444-555555555555}")),
              nullptr);
    EXPECT_TRUE(core->isModified());
    EXPECT_EQ(modified.count(), 1);
    EXPECT_TRUE(core->objectList().isEmpty());
    EXPECT_EQ(core->rootGraph()->numNodes(), 2);
}

TEST_F(TwCoreTest, SourceImageTakesTheFirstLayerAndStartsNoRender)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("source.png"));
    QImage rgb(5, 4, QImage::Format_RGB888);
    rgb.fill(QColor(10, 200, 30));
    ASSERT_TRUE(QImageWriter(path).write(rgb));
    KelNGObject* object = addObject();
    waitForRenders(*core);

    window.calls.clear();
    ASSERT_TRUE(core->setSourceImage(path));
    EXPECT_EQ(core->sourceImage()->size(), QSize(5, 4));
    EXPECT_TRUE(core->sourceImage()->format() == QImage::Format_RGB32
                || core->sourceImage()->format() == QImage::Format_ARGB32);
    EXPECT_EQ(qRed(core->sourceImage()->pixel(2, 2)), 10);
    EXPECT_EQ(object->effectGraph()->originalImage(), core->sourceImage());
    EXPECT_EQ(window.count(QStringLiteral("imageViewSetMessage")), 0);
    QTest::qWait(50);
    EXPECT_FALSE(core->renderer()->isRunning());

    const QImage before = *core->sourceImage();
    EXPECT_FALSE(core->setSourceImage(dir.filePath(QStringLiteral("missing.png"))));
    EXPECT_EQ(*core->sourceImage(), before);

    ASSERT_TRUE(core->setSourceImage(AppTest::testDataDir() + QStringLiteral("/layered.psd")));
    EXPECT_EQ(core->sourceImage()->size(), QSize(6, 4));
    EXPECT_EQ(core->sourceImage()->pixel(5, 3), qRgba(255, 0, 0, 255));
    ASSERT_TRUE(core->setSourceImage(AppTest::testDataDir() + QStringLiteral("/flat.psd")));
    EXPECT_EQ(core->sourceImage()->size(), QSize(8, 6));
}

TEST_F(TwCoreTest, CurrentGraphThatGoesAwayRendersTheSource)
{
    *core->sourceImage() = ramp(6, 5);
    KelNGObject* outer = addObject();
    VyxNodeGraph* inner = addEffect(dynamic_cast<VyxNodeGraph*>(outer->graph()));
    core->setCurrentGraph(inner);
    core->removeAndDeleteObject(outer);
    EXPECT_EQ(core->currentGraph(), nullptr);

    core->start();
    waitForRenders(*core);
    EXPECT_TRUE(core->renderer()->completedSucceeded());
    EXPECT_EQ(*core->resultImage(), *core->sourceImage());
    core->setCurrentGraph(core->rootGraph());
}

// Notes whether the core's render was running when the graph first told of a change.
class FirstChangeWatcher : public KelNodes::NodeSubscriber
{
public:
    explicit FirstChangeWatcher(TwCore* core) : m_core(core) {}
    void notify(KelNodes::Node*, Event) override
    {
        if (heard)
            return;
        heard = true;
        renderWasRunning = m_core->renderer()->isRunning();
    }
    bool heard = false;
    bool renderWasRunning = false;

private:
    TwCore* m_core;
};

TEST_F(TwCoreTest, InitObjectStopsTheRenderBeforeItSetsTheGraphUp)
{
    auto delay = slowDown(*core, 0);
    addObject();
    waitForRenders(*core);

    // A new filter graph, heard from before the root graph (and so the core) hears of it.
    auto* fresh = new VyxNodeGraph(nullptr);
    FirstChangeWatcher watcher(core.get());
    watcher.subscribe(fresh);
    ASSERT_NE(core->rootGraph()->addNode(fresh, -1), nullptr);
    QImage bootstrap = solid(1, 1, 0);
    ASSERT_EQ(fresh->setUp(&bootstrap), 0);
    fresh->setUp(nullptr);
    auto* object = new KelNGObject(fresh);
    waitForRenders(*core);
    watcher.heard = false;

    delay->store(2);
    core->start();
    startAskedRender(*core);
    ASSERT_TRUE(core->renderer()->isRunning());
    core->initObject(object);
    EXPECT_TRUE(watcher.heard);
    EXPECT_FALSE(watcher.renderWasRunning);
    delay->store(0);
    waitForRenders(*core);
    watcher.unsubscribe(fresh);
}

TEST(TwCoreWithoutWindow, RunsTheObjectStepsItself)
{
    TwCore core(nullptr);
    VyxNodeGraph* effect = addEffect(core.rootGraph());
    KelNGObject* object = core.addObjectFromNodeGraph(effect);
    EXPECT_EQ(core.objectList(), (QList<KelNGObject*>{object}));
    EXPECT_EQ(core.selectedObject(), object);
    core.queueObjectToBeRemoved(object);
    EXPECT_TRUE(core.objectList().isEmpty());
    EXPECT_TRUE(core.selectedObjects().isEmpty());
    EXPECT_EQ(core.rootGraph()->numNodes(), 2);
    waitForRenders(core);
}

} // namespace
