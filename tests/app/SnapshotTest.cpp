#include "AppTestSupport.h"
#include "CoreTestGraphs.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "app/TwUtilities.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDomDocument>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

using namespace CoreTest;
using KelVyxNodes::VyxNodeGraph;

namespace {

QSet<int> uidsBelow(KelNodes::NodeGraph* graph)
{
    QSet<int> uids;
    for (KelNodes::Node* node : graph->nodes()) {
        uids.insert(node->uid());
        if (KelNodes::NodeGraph* sub = node->toNodeGraph())
            uids.unite(uidsBelow(sub));
    }
    return uids;
}

class SnapshotTest : public ::testing::Test
{
protected:
    SnapshotTest()
    {
        core = std::make_unique<TwCore>(&window);
        window.setCore(core.get());
    }
    ~SnapshotTest() override
    {
        core->clear();
        waitForRenders(*core, 50);
        core.reset();
    }

    KelNGObject* addObject()
    {
        return core->addObjectFromNodeGraph(addEffect(core->rootGraph()));
    }

    QDomDocument parse(QBuffer const& buffer)
    {
        QDomDocument document;
        EXPECT_TRUE(document.setContent(buffer.data()));
        return document;
    }

    AppTest::RecordingMainWindow window;
    std::unique_ptr<TwCore> core;
};

TEST_F(SnapshotTest, ASecondSnapshotReplacesALongerOne)
{
    KelNGObject* a = addObject();
    KelNGObject* b = addObject();
    QBuffer buffer;
    TwUtilities::storeObjectsToXML(core.get(), {a, b}, &buffer);
    const QByteArray longer = buffer.data();
    buffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(TwUtilities::storeObjectToXML(core.get(), a, &buffer), &buffer);
    EXPECT_LT(buffer.data().size(), longer.size());
    QDomDocument document = parse(buffer);
    EXPECT_EQ(document.documentElement().firstChildElement(QStringLiteral("nodes")).childNodes().size(), 1);
}

TEST_F(SnapshotTest, KeptUidsBringObjectsBackWithTheirEditorState)
{
    KelNGObject* a = addObject();
    KelNGObject* b = addObject();
    KelNodes::Node* inner = a->graph()->nodes().last();
    inner->paramContainer()->auxData().insert(QStringLiteral("posX"), 12.5);
    b->graph()->paramContainer()->auxData().insert(QStringLiteral("posY"), 3.0);
    const int uidA = a->graph()->uid();
    const int uidB = b->graph()->uid();
    const int innerUid = inner->uid();
    const QSet<int> uidsA = uidsBelow(a->graph());

    std::unique_ptr<QBuffer> buffer(TwUtilities::storeObjectsToXML(core.get(), {a, b}));
    core->clear();
    ASSERT_EQ(core->rootGraph()->findNode(uidA, true), nullptr);

    window.calls.clear();
    EXPECT_EQ(TwUtilities::loadObjectFromBuffer(core.get(), core->rootGraph(), buffer.get(), true), 0);
    QList<KelNGObject*> const objects = core->objectList();
    ASSERT_EQ(objects.size(), 2);
    EXPECT_EQ(objects.at(0)->graph()->uid(), uidA);
    EXPECT_EQ(objects.at(1)->graph()->uid(), uidB);
    EXPECT_EQ(uidsBelow(objects.at(0)->graph()), uidsA);
    EXPECT_EQ(core->selectedObject(), objects.at(1));
    KelNodes::Node* restored = core->findNode(innerUid);
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(restored->paramContainer()->auxData().value(QStringLiteral("posX")).toDouble(), 12.5);
    EXPECT_EQ(objects.at(1)->graph()->paramContainer()->auxData().value(QStringLiteral("posY")).toDouble(),
              3.0);
    EXPECT_GE(window.count(QStringLiteral("objectEditorAdjustUI")), 1);
    // Chained again: source -> a -> b -> sink.
    EXPECT_TRUE(core->rootGraph()->sourceNode()->isConnectedTo(objects.at(0)->graph()));
    EXPECT_TRUE(objects.at(0)->graph()->isConnectedTo(objects.at(1)->graph()));
}

TEST_F(SnapshotTest, NewUidsMakeIndependentCopies)
{
    KelNGObject* a = addObject();
    const QSet<int> original = uidsBelow(a->graph()) + QSet<int>{a->graph()->uid()};
    std::unique_ptr<QBuffer> buffer(TwUtilities::storeObjectsToXML(core.get(), {a}));
    TwUtilities::loadObjectFromBuffer(core.get(), core->rootGraph(), buffer.get(), false);
    TwUtilities::loadObjectFromBuffer(core.get(), core->rootGraph(), buffer.get(), false);
    QList<KelNGObject*> const objects = core->objectList();
    ASSERT_EQ(objects.size(), 3);
    QSet<int> seen = original;
    for (int i = 1; i < 3; ++i) {
        QSet<int> copy = uidsBelow(objects.at(i)->graph()) + QSet<int>{objects.at(i)->graph()->uid()};
        EXPECT_FALSE(seen.intersects(copy)) << i;
        seen.unite(copy);
        EXPECT_NE(objects.at(i)->uuid(), a->uuid());
    }
}

TEST_F(SnapshotTest, UnparsableBufferLoadsNothingButRefreshesThePanels)
{
    addObject();
    QBuffer buffer;
    buffer.setData("<graph><nodes>");
    const int nodes = core->rootGraph()->numNodes();
    window.calls.clear();
    EXPECT_EQ(TwUtilities::loadObjectFromBuffer(core.get(), core->rootGraph(), &buffer, true), -2);
    EXPECT_EQ(core->rootGraph()->numNodes(), nodes);
    EXPECT_EQ(window.count(QStringLiteral("objectEditorAdjustUI")), 1);
}

TEST_F(SnapshotTest, InnerGraphRestoredInsideItsOwnerGetsItsObjectBack)
{
    KelNGObject* outer = addObject();
    VyxNodeGraph* inner = dynamic_cast<VyxNodeGraph*>(outer->graph())->addSubGraph(-1);
    auto* innerObject = new KelNGObject(inner);
    const int innerUid = inner->uid();
    std::unique_ptr<QBuffer> buffer(TwUtilities::storeObjectToXML(core.get(), innerObject));
    delete innerObject;
    ASSERT_EQ(core->findNode(innerUid), nullptr);

    TwUtilities::loadObjectFromBuffer(core.get(), outer->graph(), buffer.get(), true);
    KelNodes::Node* restored = core->findNode(innerUid);
    ASSERT_NE(restored, nullptr);
    KelNGObject* restoredObject = KelNGObject::objectOf(restored->toNodeGraph());
    ASSERT_NE(restoredObject, nullptr);
    EXPECT_EQ(restoredObject->getRootObject(), outer);
    EXPECT_EQ(outer->getChildObjectList(true), (QList<KelNGObject*>{restoredObject}));
    EXPECT_EQ(core->objectList(), (QList<KelNGObject*>{outer}));
}

TEST_F(SnapshotTest, MovingNodesBetweenObjects)
{
    KelNGObject* a = addObject();
    KelNGObject* b = addObject();
    KelNodes::Node* plain = core->rootGraph()->addNode(QStringLiteral("generator.const"), -1);
    ASSERT_NE(plain, nullptr);
    b->setGraphChanged(false);

    TwUtilities::moveNodeToNodeGraph(core.get(), plain, b->graph());
    EXPECT_EQ(plain->parentGraph(), b->graph());
    EXPECT_TRUE(b->graphChanged());

    // A plain node dropped on a node of another object goes into that object's graph.
    KelNodes::Node* target = a->graph()->nodes().last();
    TwUtilities::moveNodeToNodeGraph(core.get(), plain, target);
    EXPECT_EQ(plain->parentGraph(), a->graph());

    // An object's graph moved into another object loses its panel rows and leaves the list.
    // (Unchained first: a graph that would feed itself cannot move.)
    a->graph()->disconnect(b->graph());
    QTreeWidget tree;
    b->projectBrowserItem = new QTreeWidgetItem(&tree);
    TwUtilities::moveNodeToNodeGraph(core.get(), b->graph(), a->graph());
    EXPECT_EQ(b->graph()->parentGraph(), a->graph());
    EXPECT_EQ(b->projectBrowserItem, nullptr);
    EXPECT_EQ(core->objectList(), (QList<KelNGObject*>{a}));
    EXPECT_EQ(a->getChildObjectList(false), (QList<KelNGObject*>{b}));

    // A move into the node's own descendant is refused and changes nothing.
    a->projectBrowserItem = new QTreeWidgetItem(&tree);
    TwUtilities::moveNodeToNodeGraph(core.get(), a->graph(), b->graph());
    EXPECT_EQ(a->graph()->parentGraph(), core->rootGraph());
    EXPECT_NE(a->projectBrowserItem, nullptr);
    delete a->projectBrowserItem;
    a->projectBrowserItem = nullptr;

    // Back at the top level; the caller lists it again.
    TwUtilities::moveNodeToNodeGraph(core.get(), b->graph(), core->rootGraph());
    EXPECT_EQ(b->graph()->parentGraph(), core->rootGraph());
    EXPECT_TRUE(a->getChildObjectList(false).isEmpty());
    EXPECT_EQ(core->objectList(), (QList<KelNGObject*>{a}));
    core->setInsertionIndexFor(b->graph()->uid(), 0);
    core->objectAddedToGraph(b);
    EXPECT_EQ(core->objectList(), (QList<KelNGObject*>{b, a}));
}

} // namespace
