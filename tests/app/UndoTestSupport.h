#pragma once

// A core with a recording window and small effect objects for the undo tests.

#include "AppTestSupport.h"

#include "app/KelNGObject.h"
#include "app/Renderer.h"
#include "app/TwCore.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/NodeGraph.h"

#include <QCoreApplication>
#include <QUndoStack>

#include <gtest/gtest.h>

#include <memory>

namespace UndoTest {

inline QString const RenderStarted = QStringLiteral("imageViewSetMessage Rendering in Progress: 0%");

class UndoFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        core = std::make_unique<TwCore>(&window);
        window.setCore(core.get());
    }

    void TearDown() override
    {
        settle();
        core->undoStack()->clear();
        core->clear();
        core.reset();
    }

    // Lets running renders and posted restarts end.
    void settle()
    {
        for (int i = 0; i < 50; ++i) {
            // A render asked for starts from the event loop, and one that started there may end before
            // the check: at rest once a round that began with nothing pending (every end already
            // posted) delivered everything and left nothing pending.
            const bool idle = !core->isRenderPending();
            core->renderer()->wait(10000);
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            if (idle && !core->isRenderPending())
                return;
        }
    }

    KelVyxNodes::VyxNodeGraph* root() const { return core->rootGraph(); }

    // A new top-level object whose graph is named `name` and holds source -> blur -> destination.
    KelNGObject* addObject(QString const& name, int radius = 4)
    {
        KelVyxNodes::VyxNodeGraph* graph = root()->addSubGraph(-1);
        graph->setName(name);
        graph->setUp(core->sourceImage(), nullptr, nullptr, false);
        KelNodes::Node* blur = graph->addNode(QStringLiteral("operator.blur"), -1);
        blur->paramContainer()->setIntParam(QStringLiteral("radius"), radius);
        graph->sourceNode()->connect(QStringLiteral("rgb"), blur, QStringLiteral("in"));
        blur->connect(QStringLiteral("out"), graph->destinationNode(), QStringLiteral("rgb"));
        KelNGObject* object = core->addObjectFromNodeGraph(graph);
        settle();
        return object;
    }

    // A sub-graph with its own object inside `parent`'s graph.
    KelNGObject* addInnerObject(KelNGObject* parent, QString const& name)
    {
        auto* outer = dynamic_cast<KelVyxNodes::VyxNodeGraph*>(parent->graph());
        KelVyxNodes::VyxNodeGraph* graph = outer->addSubGraph(-1);
        graph->setName(name);
        graph->setUp(core->sourceImage(), nullptr, nullptr, false);
        graph->addNode(QStringLiteral("operator.sharpen"), -1);
        return new KelNGObject(graph);
    }

    static KelNodes::Node* blurOf(KelNGObject* object)
    {
        for (KelNodes::Node* node : object->graph()->nodes()) {
            if (node->descriptor() && node->descriptor()->typeId == QLatin1String("operator.blur"))
                return node;
        }
        return nullptr;
    }

    // How many nodes below the root graph carry the uid.
    int countUid(int uid) const
    {
        int count = 0;
        countUid(root(), uid, count);
        return count;
    }

    static void countUid(KelNodes::NodeGraph const* graph, int uid, int& count)
    {
        for (KelNodes::Node* node : graph->nodes()) {
            if (node->uid() == uid)
                ++count;
            if (KelNodes::NodeGraph const* sub = node->toNodeGraph())
                countUid(sub, uid, count);
        }
    }

    // Uids of the object list's graphs, in order.
    QList<int> objectUids()
    {
        QList<int> uids;
        for (KelNGObject* object : core->objectList())
            uids << object->graph()->uid();
        return uids;
    }

    // Renders started, the one asked for included: it waits in the event loop until the change
    // that asked for it has returned.
    int rendersStarted() const
    {
        QCoreApplication::sendPostedEvents(core.get(), QEvent::MetaCall);
        return window.count(RenderStarted);
    }

    AppTest::RecordingMainWindow window;
    std::unique_ptr<TwCore> core;
};

} // namespace UndoTest
