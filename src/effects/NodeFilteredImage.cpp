#include "effects/NodeFilteredImage.h"

#include "effects/ClassicColor.h"
#include "effects/GeneratorLookup.h"
#include "effects/NodeOriginalImage.h"
#include "effects/SpanBuffer.h"
#include "effects/NodeValueUtils.h"
#include "effects/ParallelRows.h"
#include "effects/RenderStages.h"
#include "effects/RowSweepHint.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/Terminal.h"
#include "params/StatusObserver.h"

#include <QCoreApplication>
#include <QDebug>
#include <QObject>
#include <QPoint>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>

namespace KelVyxNodes {

KelNodes::NodeDescriptor NodeFilteredImage::m_descriptor{
    QStringLiteral("filtimage"), QUuid(QStringLiteral("01be3c9a-497b-4146-9198-810f0e4e0d0e")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Filtered Image")), QString(),
    &NodeFilteredImage::create};

namespace {

const QString kRgb = QStringLiteral("rgb");

enum BlendMode {
    Normal = 0,
    Multiply = 2,
    ColorBurn = 3,
    LinearBurn = 4,
    Screen = 6,
    ColorDodge = 7,
    LinearDodge = 8,
    Difference = 14
};

unsigned int channelValue(unsigned int colour, int shift)
{
    return (colour >> shift) & 0xFFu;
}

// One table per mode and opacity for the process (at most 101 for each of the eight modes, and
// one for every other id, which all give the effect's colour), made on first use.
std::shared_ptr<BytePairTable const> sharedBlendTable(int mode, int opacity)
{
    static std::mutex lock;
    static std::map<std::pair<int, int>, std::shared_ptr<BytePairTable const>> tables;
    const bool known = mode == Normal || mode == Multiply || mode == ColorBurn || mode == LinearBurn
                       || mode == Screen || mode == ColorDodge || mode == LinearDodge || mode == Difference;
    const std::pair<int, int> key(known ? mode : -1, known ? opacity : 0);
    std::lock_guard<std::mutex> guard(lock);
    std::shared_ptr<BytePairTable const>& table = tables[key];
    if (!table)
        table = std::make_shared<BytePairTable const>([mode, opacity](unsigned int original, unsigned int effect) {
            return NodeFilteredImage::blendColour(mode, effect * 0x010101u, original * 0x010101u, opacity) & 0xFFu;
        });
    return table;
}

} // namespace

NodeFilteredImage::NodeFilteredImage(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    addTerminal(kRgb, 4, 0);
    addTerminal(QStringLiteral("alpha"), 2, 0);
    m_container.helpItem()->title = QCoreApplication::translate("QObject", "Filtered Image");
    m_container.helpItem()->text = QObject::tr(
        "The node represents the resulting image or the input of the next filter or effect (if any).");
}

NodeFilteredImage::~NodeFilteredImage() = default;

int NodeFilteredImage::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (KelNodes::Node::onConnect(own, peer) < 0)
        return -1;
    if (!own)
        return 0;
    if (own->name() == kRgb) {
        getGeneratorInterface(&m_inputColour, peer);
        m_activeColour = m_inputColour;
    } else {
        getGeneratorInterface(&m_inputAlpha, peer);
        m_activeAlpha = m_inputAlpha;
    }
    return 0;
}

void NodeFilteredImage::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own && own->name() == kRgb) {
        m_inputColour = nullptr;
        m_activeColour = nullptr;
    } else if (own) {
        m_inputAlpha = nullptr;
        m_activeAlpha = nullptr;
    }
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeFilteredImage::resolveInputs()
{
    // The colour read is noted on its own first, to tell what repeating it costs.
    RenderStages* stages = RenderStages::resolving();
    PullRecord colourRead;
    PullRecord* own = stages ? stages->swapTarget(&colourRead) : nullptr;
    m_inputColour = linkedGenerator3D(terminal(0));
    if (stages) {
        stages->swapTarget(own);
        if (own)
            own->merge(colourRead, 0);
    }
    m_colourReadKeepsRows = stages && colourRead.keepsRows;
    m_inputAlpha = linkedGenerator1D(terminal(1));
}

int NodeFilteredImage::onFilterStart(KelUtils::StatusObserver* observer)
{
    KelNodes::Terminal const* rgb = terminal(0);
    if (!rgb || rgb->numConnections() == 0) {
        const QString reason = QStringLiteral("the input RGB terminal is not connected, therefore the "
                                              "filtered image cannot be produced");
        qDebug().noquote() << "NodeFilteredImage error:" << reason;
        if (observer)
            observer->failed(reason);
        return -1;
    }
    NodeOriginalImage* source = m_graph ? m_graph->sourceNode() : nullptr;
    m_originalColour = source ? source->toBase3DGenerator() : nullptr;
    m_originalAlpha = source ? source->toBase1DGenerator() : nullptr;

    // A hidden effect is as if it were not there: its input passes unblended, whatever its blend
    // mode and opacity (blending the input with itself would still change it).
    m_bypassed = m_graph && m_graph->disableSetting() != 0;
    m_activeColour = m_bypassed ? m_originalColour : m_inputColour;
    m_activeAlpha = m_bypassed ? m_originalAlpha : m_inputAlpha;
    // A stored opacity outside its range would carry into the neighbouring channel.
    m_opacityValue = m_graph ? std::clamp(m_graph->opacitySetting(), 0, 100) : 100;
    m_blendModeValue = m_graph ? m_graph->blendModeSetting() : 0;
    // Every channel of blendColour depends only on the same channel of the two colours.
    if (!passesEffectUnblended() && !blendTableCurrent()) {
        m_blendTable = sharedBlendTable(m_blendModeValue, m_opacityValue);
        m_tableMode = m_blendModeValue;
        m_tableOpacity = m_opacityValue;
    }
    return 0;
}

unsigned int NodeFilteredImage::blendColour(int mode, unsigned int f, unsigned int o, int opacity)
{
    const unsigned int op = unsigned(std::clamp(opacity, 0, 100));
    unsigned int product = 0; // Multiply / Screen: whole-colour result of the colour class
    switch (mode) {
    case Normal:
    case ColorBurn:
    case LinearBurn:
    case ColorDodge:
    case LinearDodge:
    case Difference:
        break;
    case Multiply: {
        const ClassicColor fc(f);
        const ClassicColor oc(o);
        ClassicColor m;
        m.setRgbF(fc.redF() * oc.redF(), fc.greenF() * oc.greenF(), fc.blueF() * oc.blueF(), 1.0);
        product = m.rgb();
        break;
    }
    case Screen: {
        const ClassicColor fc(f);
        const ClassicColor oc(o);
        ClassicColor m;
        m.setRedF(1.0 - (1.0 - fc.redF()) * (1.0 - oc.redF()));
        m.setGreenF(1.0 - (1.0 - fc.greenF()) * (1.0 - oc.greenF()));
        m.setBlueF(1.0 - (1.0 - fc.blueF()) * (1.0 - oc.blueF()));
        product = m.rgb();
        break;
    }
    default:
        return f & 0xFFFFFFu;
    }

    unsigned int result = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const unsigned int fv = channelValue(f, shift);
        const unsigned int ov = channelValue(o, shift);
        unsigned int m = 0;
        switch (mode) {
        case Normal:
            m = fv;
            break;
        case Multiply:
        case Screen:
            m = channelValue(product, shift);
            break;
        case ColorBurn:
            m = linearCorrectionOneChannel((unsigned char)ov, 255, (unsigned char)(255 - fv));
            break;
        case LinearBurn: {
            const int sum = int(ov) + int(fv) - 255;
            m = sum > 0 ? unsigned(sum) : 0u;
            break;
        }
        case ColorDodge: {
            const unsigned char d = fv == 255 ? 1 : (unsigned char)(255 - fv);
            m = linearCorrectionOneChannel((unsigned char)ov, d, 0);
            break;
        }
        case LinearDodge:
            m = ov + fv < 255 ? ov + fv : 255u;
            break;
        case Difference:
            m = unsigned(std::abs(int(ov) - int(fv)));
            break;
        default:
            break;
        }
        result |= ((ov * (100 - op) + m * op + 50) / 100) << shift;
    }
    return result;
}

bool NodeFilteredImage::passesEffectUnblended() const
{
    return m_bypassed || (m_blendModeValue == Normal && m_opacityValue >= 100);
}

bool NodeFilteredImage::blendTableCurrent() const
{
    return m_blendTable && m_tableMode == m_blendModeValue && m_tableOpacity == m_opacityValue;
}

unsigned int NodeFilteredImage::getSample3(QPoint const& point) const
{
    if (!m_originalColour)
        return 0x808080u;
    if (m_bypassed)
        return m_originalColour->getSample3(point) & 0xFFFFFFu;
    const unsigned int f = m_activeColour ? m_activeColour->getSample3(point) : 0u;
    const unsigned int o = m_originalColour->getSample3(point);
    return blendColour(m_blendModeValue, f, o, m_opacityValue);
}

unsigned int NodeFilteredImage::getSample(QPoint const& point) const
{
    // An effect without an alpha link keeps the alpha of its input rather than turning it
    // transparent (the row loop likewise treats a missing alpha as opaque).
    unsigned int a = 255;
    if (m_activeAlpha)
        a = m_activeAlpha->getSample(point) & 0xFFu;
    else if (m_originalAlpha)
        a = m_originalAlpha->getSample(point) & 0xFFu;
    if (m_bypassed || m_opacityValue >= 100 || !m_originalAlpha)
        return a;
    const unsigned int op = unsigned(std::max(m_opacityValue, 0));
    const unsigned int oa = m_originalAlpha->getSample(point) & 0xFFu;
    return (a * op + oa * (100 - op) + 50) / 100;
}

void NodeFilteredImage::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!m_originalColour) {
        std::fill(out, out + count, 0x808080u);
        return;
    }
    if (m_activeColour)
        m_activeColour->getSpan3(y, x, count, out);
    else
        std::fill(out, out + count, 0u);
    if (passesEffectUnblended()) {
        for (int i = 0; i < count; ++i)
            out[i] &= 0xFFFFFFu;
        return;
    }
    SpanBuffer original(count);
    m_originalColour->getSpan3(y, x, count, original.data());
    if (blendTableCurrent()) {
        m_blendTable->perChannelSpan(original.data(), out, count);
        return;
    }
    for (int i = 0; i < count; ++i)
        out[i] = blendColour(m_blendModeValue, out[i], original[i], m_opacityValue);
}

void NodeFilteredImage::getSpan(int y, int x, int count, unsigned int* out) const
{
    if (m_activeAlpha)
        m_activeAlpha->getSpan(y, x, count, out);
    else if (m_originalAlpha)
        m_originalAlpha->getSpan(y, x, count, out);
    else
        std::fill(out, out + count, 255u);
    if (m_bypassed || m_opacityValue >= 100 || !m_originalAlpha) {
        for (int i = 0; i < count; ++i)
            out[i] &= 0xFFu;
        return;
    }
    const unsigned int op = unsigned(std::max(m_opacityValue, 0));
    SpanBuffer original(count);
    m_originalAlpha->getSpan(y, x, count, original.data());
    for (int i = 0; i < count; ++i)
        out[i] = ((out[i] & 0xFFu) * op + (original[i] & 0xFFu) * (100 - op) + 50) / 100;
}

int NodeFilteredImage::filter(KelUtils::StatusObserver* observer)
{
    if (!m_graph) {
        qDebug() << "NodeFilteredImage error: the node does not belong to an effect graph";
        return -1;
    }
    const QRect rect = m_graph->renderRect();
    const int width = rect.right() - rect.left() + 1;
    const int height = rect.bottom() - rect.top() + 1;
    if (width <= 0 || height <= 0) {
        qDebug() << "NodeFilteredImage error: the render rectangle is empty, nothing to filter";
        return -1;
    }
    // The last result may still be held (on show): writing into it would copy all of it first,
    // for pixels that are all written anew. It is set aside, and the render writes into the
    // result before it, which its holders have let go of by now, or else into a new picture.
    const auto fits = [width, height](QImage const& image) {
        return image.width() == width && image.height() == height && image.format() == QImage::Format_ARGB32;
    };
    if (m_image.isDetached())
        m_spare = QImage();
    else
        std::swap(m_image, m_spare);
    // A result of another size is never written into again: kept, it would hold a large
    // picture's memory for as long as smaller ones follow it (its holders let go of theirs).
    if (!fits(m_spare))
        m_spare = QImage();
    if (!m_image.isDetached() || !fits(m_image)) {
        m_image = QImage();
        m_image = QImage(width, height, QImage::Format_ARGB32);
        if (m_image.isNull()) {
            qDebug() << "NodeFilteredImage error: failed to allocate destination image of resolution"
                     << width << "x" << height;
            if (observer)
                observer->failed(QStringLiteral("there is not enough memory for a filtered image of %1 x %2 pixels")
                                     .arg(width)
                                     .arg(height));
            return -1;
        }
    }
    if (!m_activeColour) {
        KelNodes::Terminal const* rgb = terminal(0);
        KelNodes::Node const* linked = rgb ? rgb->connectedToHost(0) : nullptr;
        const QString name = linked ? linked->displayName() : QString();
        qDebug() << "NodeFilteredImage error:" << name << "failed to provide generation interface";
        return -1;
    }

    if (observer)
        observer->operationStarted(1.0);
    QImage const* original = m_graph->originalImage();
    // The mask covers the whole image; without an image its size is unknown, so it is ignored.
    unsigned char const* mask = original ? m_graph->selectionMask() : nullptr;
    const qsizetype maskStride = original ? original->width() : 0;
    // Row pointers come from one detach here, never from scanLine() on the workers (an image
    // shared with an earlier result would be copied under their feet).
    uchar* bits = m_image.bits();
    const qsizetype bytesPerLine = m_image.bytesPerLine();
    Base3DGenerator const* colourSource = m_activeColour;
    Base1DGenerator const* alphaSource = m_activeAlpha;

    // The source's picture itself, unchanged: rows are copied instead of asked pixel by pixel
    // (the bytes are the same).
    NodeOriginalImage const* source = m_graph->sourceNode();
    const bool copyRows = source && colourSource == source->toBase3DGenerator()
                          && source->imageRow(rect.top()) && source->imageRow(rect.bottom())
                          && rect.left() >= 0 && rect.right() < source->imageWidth()
                          && (!alphaSource
                              || (alphaSource == source->toBase1DGenerator() && !source->upstream1D()));
    const bool copyAlpha = copyRows && alphaSource && source->readsImageAlpha();

    auto renderRow = [&](int r, int /*worker*/) {
        auto* line = reinterpret_cast<QRgb*>(bits + qsizetype(r) * bytesPerLine);
        const int y = rect.top() + r;
        unsigned char const* maskRow = mask ? mask + qsizetype(y) * maskStride : nullptr;
        if (copyRows) {
            unsigned int const* from = source->imageRow(y) + rect.left();
            if (copyAlpha && !maskRow) {
                std::memcpy(line, from, std::size_t(width) * sizeof(QRgb));
                return;
            }
            for (int c = 0; c < width; ++c) {
                if (maskRow && maskRow[rect.left() + c] == 0)
                    line[c] = 0x00808080u;
                else
                    line[c] = copyAlpha ? from[c] : 0xFF000000u | (from[c] & 0x00FFFFFFu);
            }
            return;
        }
        RowSweepHint::Row sweep(y);
        SpanBuffer alpha(SpanBuffer::kInline);
        // Runs of selected points, each asked for in one span of colour and one of alpha.
        int c = 0;
        while (c < width) {
            if (maskRow && maskRow[rect.left() + c] == 0) {
                line[c++] = 0x00808080u;
                continue;
            }
            int end = c + 1;
            const int limit = std::min(width, c + SpanBuffer::kInline);
            while (end < limit && !(maskRow && maskRow[rect.left() + end] == 0))
                ++end;
            const int x = rect.left() + c;
            unsigned int* run = reinterpret_cast<unsigned int*>(line + c);
            colourSource->getSpan3(y, x, end - c, run);
            if (alphaSource) {
                alphaSource->getSpan(y, x, end - c, alpha.data());
                // The top byte of a colour sample is not ours to trust (plug-ins): keep alpha clean.
                for (int i = c; i < end; ++i)
                    line[i] = ((alpha[i - c] & 0xFFu) << 24) | (line[i] & 0x00FFFFFFu);
            } else {
                for (int i = c; i < end; ++i)
                    line[i] = 0xFF000000u | (line[i] & 0x00FFFFFFu);
            }
            c = end;
        }
    };
    if (ParallelRows::run(height, m_graph->renderThreads(), renderRow, observer, true) < 0)
        return -1;
    if (observer)
        observer->completed();
    return 0;
}

} // namespace KelVyxNodes
