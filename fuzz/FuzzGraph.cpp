// A graph document into a fresh effect graph with every built-in node type; a document that
// loads is set up on a small picture and rendered once.

#include "FuzzSupport.h"

#include "effects/NodeTypeRegistry.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/GraphHooks.h"
#include "io/XmlDocumentDepth.h"

#include <QDomDocument>
#include <QImage>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::start(argc, argv, false);
    // Built-in types only: no library from disk joins the run.
    KelVyxNodes::NodeTypeRegistry::setPluginFolder(QString());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    QDomDocument document;
    if (!KelUtils::setXmlContent(document, FuzzSupport::bytes(data, size)))
        return 0;
    KelVyxNodes::VyxNodeGraph graph;
    graph.setRenderThreadCount(1);
    const bool keepUids = size % 2 == 0;
    graph.load(document.documentElement(), keepUids, KelNodes::LoadAllConnections);

    QImage picture(7, 5, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgba(x * 36, y * 50, (x ^ y) * 30, 128 + x * 16));
    if (graph.setUp(&picture) == 0)
        graph.filter(nullptr);
    // The objects of a project are the top-level effects: each renders on its own too.
    for (KelNodes::Node* node : graph.nodes()) {
        if (auto* effect = dynamic_cast<KelVyxNodes::VyxNodeGraph*>(node))
            effect->filter(nullptr);
    }
    graph.setUp(nullptr);
    delete graph.store(graph.nodes(), false, true, false);
    return 0;
}
