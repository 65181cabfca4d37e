#include "effects/VyxNode.h"

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/NodeOriginalImage.h"
#include "effects/RenderStack.h"
#include "effects/SharedOutputMemo.h"
#include "effects/VyxNodeGraph.h"
#include "effects/VyxTerminal.h"
#include "params/StatusObserver.h"

#include <QImage>
#include <QPoint>

#include <algorithm>
#include <new>

namespace KelVyxNodes {

VyxNode::VyxNode(int id, QString const& name, VyxNodeGraph* graph)
    : m_graph(graph)
{
    // Node is a virtual base built by the most derived class; set its fields here so that node
    // classes need not name it.
    m_uid = id;
    m_name = name;
    m_parentGraph = graph;
}

VyxNode::~VyxNode() = default;

SharedOutputMemo const* VyxNode::sharedOutput(KelNodes::Terminal const* output, Base1DGenerator const* channel,
                                              Base3DGenerator const* colour) const
{
    SharedOutputMemo* memo = nullptr;
    for (SharedOutput& shared : m_sharedOutputs) {
        if (shared.output != output || (shared.memo->channelSource() == nullptr) != (channel == nullptr)
            || (shared.memo->colourSource() == nullptr) != (colour == nullptr))
            continue;
        // An output of the same kinds read from other generators (an effect's input after the
        // stack was rechained): the old memo is no longer read, and would pile up with every
        // rechaining.
        if (shared.memo->channelSource() != channel || shared.memo->colourSource() != colour)
            shared.memo = std::make_unique<SharedOutputMemo>(channel, colour);
        memo = shared.memo.get();
        break;
    }
    if (!memo) {
        m_sharedOutputs.push_back({output, std::make_unique<SharedOutputMemo>(channel, colour)});
        memo = m_sharedOutputs.back().memo.get();
    }
    QImage const* image = m_graph ? m_graph->originalImage() : nullptr;
    memo->startRender(image ? image->width() : 0, image ? image->height() : 0);
    return memo;
}

int VyxNode::sharedOutputCount() const
{
    return int(m_sharedOutputs.size());
}

Base1DGenerator const* VyxNode::toBase1DGenerator() const
{
    return nullptr;
}

Base3DGenerator const* VyxNode::toBase3DGenerator() const
{
    return nullptr;
}

int VyxNode::onFilterStart(KelUtils::StatusObserver* /*observer*/)
{
    return 0;
}

void VyxNode::onFilterStop(KelUtils::StatusObserver* /*observer*/)
{
}

void VyxNode::resolveInputs()
{
}

void VyxNode::setParentGraph(KelNodes::NodeGraph* graph)
{
    KelNodes::Node::setParentGraph(graph);
    m_graph = graph ? dynamic_cast<VyxNodeGraph*>(graph) : nullptr;
}

Base3DGenerator const* VyxNode::rgbGenerator() const
{
    return toBase3DGenerator();
}

Base1DGenerator const* VyxNode::grayscaleGenerator() const
{
    return toBase1DGenerator();
}

Base1DGenerator const* VyxNode::alphaGenerator() const
{
    if (!m_parentGraph)
        return nullptr;
    KelNodes::Node* source = m_parentGraph->findFirstNode(NodeOriginalImage::m_descriptor.typeUuid, true);
    auto* effect = dynamic_cast<VyxNode*>(source);
    return effect ? effect->toBase1DGenerator() : nullptr;
}

VyxTerminal* VyxNode::addTerminal(QString const& name, unsigned int inputMask,
                                  unsigned int outputMask, KelUtils::HelpItem const& help)
{
    auto* terminal = new VyxTerminal(this, name, inputMask, outputMask, help);
    KelNodes::Node::addTerminal(terminal);
    return terminal;
}

int VyxNode::getPreview(QImage* image) const
{
    return samplePreview(image, nullptr);
}

void VyxNode::setPreviewWanted(int width, int height)
{
    std::lock_guard<std::mutex> lock(m_previewMutex);
    m_previewWidth = std::max(width, 0);
    m_previewHeight = std::max(height, 0);
}

bool VyxNode::previewWanted() const
{
    std::lock_guard<std::mutex> lock(m_previewMutex);
    return m_previewWidth > 0 && m_previewHeight > 0 && previewIsSampled();
}

int VyxNode::shownPreview(QImage* image) const
{
    if (!previewIsSampled())
        return getPreview(image);
    if (!image)
        return getPreview(nullptr);
    std::lock_guard<std::mutex> lock(m_previewMutex);
    if (m_keptPreview.isNull())
        return -1;
    *image = m_keptPreview;
    return 0;
}

bool VyxNode::offersPreview() const
{
    if (!previewIsSampled())
        return getPreview(nullptr) >= 0;
    // Picture and rectangle are set up on the window's thread.
    if (!m_graph || !m_graph->originalImage() || m_graph->renderRect().isEmpty())
        return false;
    return rgbGenerator() || grayscaleGenerator() || alphaGenerator();
}

bool VyxNode::shownPreviewIsCurrent() const
{
    if (!previewIsSampled())
        return true;
    const unsigned long long serial = m_graph ? m_graph->renderSerial() : 0;
    std::lock_guard<std::mutex> lock(m_previewMutex);
    return !m_keptPreview.isNull() && m_keptPreviewSerial == serial;
}

bool VyxNode::makeRenderPreview(KelUtils::StatusObserver* observer) const
{
    int width = 0;
    int height = 0;
    {
        std::lock_guard<std::mutex> lock(m_previewMutex);
        width = m_previewWidth;
        height = m_previewHeight;
    }
    if (width <= 0 || height <= 0 || !previewIsSampled())
        return false;
    // As the view would have asked for it: a transparent picture of the wanted size.
    QImage image(width, height, QImage::Format_ARGB32);
    if (image.isNull())
        return false;
    image.fill(Qt::transparent);
    if (samplePreview(&image, observer) < 0)
        return false;
    const unsigned long long serial = m_graph ? m_graph->renderSerial() : 0;
    std::lock_guard<std::mutex> lock(m_previewMutex);
    m_keptPreview = image;
    m_keptPreviewSerial = serial;
    return true;
}

int VyxNode::samplePreview(QImage* image, KelUtils::StatusObserver* observer) const
{
    if (!m_graph || !m_graph->originalImage())
        return -1;
    const QRect rect = m_graph->renderRect();
    if (rect.left() > rect.right() || rect.top() > rect.bottom())
        return -1;

    Base3DGenerator const* rgb = rgbGenerator();
    Base1DGenerator const* gray = grayscaleGenerator();
    Base1DGenerator const* alpha = alphaGenerator();
    if (!rgb && !gray && !alpha)
        return -1;
    if (!image)
        return 0;
    if (!rgb && !gray)
        gray = alpha;

    const int w = rect.width();
    const int h = rect.height();
    int pw = std::min(w, image->width());
    int ph = std::min(h, image->height());
    // Keep the rectangle's aspect ratio (64-bit products: big pictures must not overflow).
    if (qint64(ph) * w > qint64(pw) * h)
        ph = int(qint64(pw) * h / w);
    else if (qint64(pw) * h > qint64(ph) * w)
        pw = int(qint64(ph) * w / h);
    if (pw <= 0 || ph <= 0)
        return -1;
    if (image->width() != pw || image->height() != ph) {
        QImage::Format format = image->format();
        if (format == QImage::Format_Invalid)
            format = QImage::Format_ARGB32;
        *image = QImage(pw, ph, format);
        if (image->isNull())
            return -1;
    }

    QImage const* original = m_graph->originalImage();
    unsigned char const* mask = m_graph->selectionMask();
    const int imageWidth = original->width();
    const float stepY = float(h) / float(ph);
    const float stepX = float(w) / float(pw);
    QPoint point;
    // A graph too deep for the thread's stack gives no preview rather than overflowing it.
    try {
        RenderStack::Guard guard;
        for (int r = 0; r < ph; ++r) {
            if (observer && r > 0 && observer->cancelationRequested())
                return -1;
            int sy = int((float(r) + 0.5f) * stepY + 0.5f);
            sy = std::clamp(sy, 0, h - 1);
            point.setY(rect.top() + sy);
            for (int c = 0; c < pw; ++c) {
                int sx = int((float(c) + 0.5f) * stepX + 0.5f);
                sx = std::clamp(sx, 0, w - 1);
                point.setX(rect.left() + sx);
                unsigned int colour = rgb ? (rgb->getSample3(point) & 0xFFFFFFu)
                                          : (gray->getSample(point) & 0xFFu) * 0x010101u;
                const unsigned int a = alpha ? (alpha->getSample(point) & 0xFFu) : 255u;
                if (mask) {
                    const unsigned int m = mask[qsizetype(point.y()) * imageWidth + point.x()];
                    const unsigned int bg = ((c / 4) % 2 == (r / 4) % 2) ? 128u : 255u;
                    unsigned int blended = 0;
                    for (int shift = 0; shift <= 16; shift += 8) {
                        const unsigned int ch = (colour >> shift) & 0xFFu;
                        blended |= ((ch * m + bg * (255u - m) + 128u) / 255u) << shift;
                    }
                    colour = blended;
                }
                image->setPixel(c, r, (a << 24) | colour);
            }
        }
    } catch (RenderStack::TooDeep const&) {
        return -1;
    } catch (std::bad_alloc const&) {
        return -1;
    }
    return 0;
}

} // namespace KelVyxNodes
