// Walks over a chain of nodes as long as a stack of many effects: levels, the upstream list and
// the question whether a node is among those stored run on a thread of 256 KiB of stack, where a
// recursion as deep as the chain would fail, and agree with what the chain's order gives.

#include "TestNodes.h"

#include "nodes/LinkBatch.h"

#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace KelNodes;

namespace {

void onSmallStack(std::function<void()> work)
{
    std::unique_ptr<QThread> thread(QThread::create(std::move(work)));
    thread->setStackSize(256 * 1024);
    thread->start();
    thread->wait();
}

TEST(DeepChain, LevelsAndUpstreamOfAChainAsLongAsAStackOfManyEffects)
{
    for (int length : {1, 2, 100, 20000}) {
        SCOPED_TRACE(length);
        bool levelsRight = false;
        bool upstreamRight = false;
        bool listedRight = false;
        onSmallStack([&] {
            TestGraph graph;
            QList<TestNode*> nodes;
            // Added last first, so that the list is out of level order and the sort has work.
            for (int i = 0; i < length; ++i)
                nodes.prepend((new TestNode)->withIo());
            for (int i = length - 1; i >= 0; --i)
                graph.addNode(nodes.at(i), -1);
            LinkBatch links;
            for (int i = 0; i + 1 < length; ++i)
                links.add(nodes.at(i + 1), QStringLiteral("in"), nodes.at(i), QStringLiteral("out"));
            links.connectAll();

            levelsRight = nodes.last()->getLevel(true) == length - 1;
            graph.sortNodes();
            for (int i = 0; i < length && levelsRight; ++i)
                levelsRight = graph.nodes().at(i) == nodes.at(i) && nodes.at(i)->getLevel(false) == i;

            const QList<Node*> upstream = nodes.last()->getSubNodes(true);
            upstreamRight = upstream.size() == length - 1;
            for (int i = 0; i < upstream.size() && upstreamRight; ++i)
                upstreamRight = upstream.at(i) == nodes.at(length - 2 - i);

            const QList<Node*> stored{&graph};
            const Node::ListIndex index(stored);
            listedRight = nodes.first()->isInList(stored) && !graph.isInList({nodes.first()});
        });
        EXPECT_TRUE(levelsRight);
        EXPECT_TRUE(upstreamRight);
        EXPECT_TRUE(listedRight);
    }
}

} // namespace
