#include "app/TwIconRender.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/TwCore.h"
#include "effects/RenderStack.h"
#include "effects/VyxNodeGraph.h"
#include "style/KelStyleConfig.h"

#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QThread>

#include <memory>

namespace {

// Whether `inner` is `outer` or lies inside it at any depth.
bool liesInside(KelNodes::NodeGraph const* inner, KelNodes::NodeGraph const* outer)
{
    for (KelNodes::NodeGraph const* graph = inner; graph; graph = graph->parentGraph()) {
        if (graph == outer)
            return true;
    }
    return false;
}

} // namespace

TwIconRender::TwIconRender(QSize size, TwCore* core)
    : m_iconSize(size)
    , m_core(core)
{
    const QPixmap preview = KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("preview"));
    m_sampleImage = new QImage(preview.toImage().convertToFormat(QImage::Format_ARGB32));
}

TwIconRender::~TwIconRender()
{
    delete m_sampleImage;
}

namespace {

// On a thread of the render threads' stack, not the GUI thread's (whose size the user's limits
// decide); the caller waits, as it did when it rendered itself.
int filterOnRenderStack(KelVyxNodes::VyxNodeGraph* graph)
{
    int result = -1;
    std::unique_ptr<QThread> thread(QThread::create([graph, &result] { result = graph->filter(nullptr); }));
    thread->setStackSize(uint(KelVyxNodes::RenderStack::kThreadBytes));
    thread->start();
    thread->wait();
    return result;
}

} // namespace

QImage* TwIconRender::renderIconFor(KelTemplate* objectTemplate, bool storeIcon)
{
    KelNGObject* instance = objectTemplate ? objectTemplate->objectInstance() : nullptr;
    KelVyxNodes::VyxNodeGraph* graph = instance ? instance->effectGraph() : nullptr;
    if (!graph)
        return m_sampleImage;

    // The render thread may be filtering this graph, or a graph around it or inside it: stop it
    // first. The core restarts a render it stopped once control is back in the event loop, by
    // which time this graph is set up with its own source again. Other graphs render beside us.
    if (m_core) {
        KelVyxNodes::VyxNodeGraph* current = m_core->currentGraph();
        if (current && (liesInside(graph, current) || liesInside(current, graph)))
            m_core->cancelRender();
    }

    QImage const* previousSource = graph->originalImage();
    unsigned char const* previousMask = graph->selectionMask();
    const QRect previousRect = graph->renderRect();

    if (graph->setUp(m_sampleImage, nullptr, nullptr, true) == 0 && filterOnRenderStack(graph) >= 0
        && storeIcon) {
        objectTemplate->setObjectIcon(QPixmap::fromImage(graph->resultImage()), true);
    }

    // Back to the picture the graph showed before, so that its output belongs to that source.
    graph->setUp(previousSource, previousMask, previousSource ? &previousRect : nullptr, true);
    filterOnRenderStack(graph);
    return m_sampleImage;
}
