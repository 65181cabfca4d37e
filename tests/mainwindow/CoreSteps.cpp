#include "CoreSteps.h"

#include "app/KelNGObject.h"
#include "app/Renderer.h"
#include "app/TwCore.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/NodeGraph.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace CoreSteps {

void settle(TwCore* core)
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

KelNGObject* addInversion(TwCore* core, QString const& name)
{
    core->cancelRender();
    KelVyxNodes::VyxNodeGraph* graph = core->rootGraph()->addSubGraph(-1);
    graph->setName(name);
    graph->setUp(core->sourceImage(), nullptr, nullptr, false);
    KelNodes::Node* inversion = graph->addNode(QStringLiteral("operator.inversion"), -1);
    EXPECT_NE(inversion, nullptr);
    if (inversion) {
        graph->sourceNode()->connect(QStringLiteral("rgb"), inversion, QStringLiteral("inRgb"));
        inversion->connect(QStringLiteral("outRgb"), graph->destinationNode(), QStringLiteral("rgb"));
    }
    KelNGObject* object = core->addObjectFromNodeGraph(graph);
    settle(core);
    return object;
}

QStringList objectNames(TwCore* core)
{
    QStringList names;
    for (KelNGObject* object : core->objectList())
        names << object->graph()->name();
    return names;
}

} // namespace CoreSteps
