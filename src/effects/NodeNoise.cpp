#include "effects/NodeNoise.h"

#include "effects/ByteClamp.h"
#include "effects/NodeText.h"
#include "effects/NoiseFunctions.h"
#include "effects/VyxNodeGraph.h"
#include "effects/VyxTerminal.h"
#include "nodes/NodeSubscriber.h"
#include "params/GroupBoxParameter.h"
#include "params/HelpLink.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterCallback.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QImage>
#include <QPoint>
#include <QUrl>

#include <algorithm>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeNoise::m_descriptor{
    QStringLiteral("generator.noise"), QUuid(QStringLiteral("010616d2-04c6-17a6-1727-5732c20636f6")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Noise")), QString(), &NodeNoise::create};

namespace {

ListItem const typeItems[] = {
    {NodeNoise::Random, QStringLiteral("Random")},
    {NodeNoise::RandomFiltered, QStringLiteral("Random Filtered")},
    {NodeNoise::Perlin, QStringLiteral("Perlin")},
    {NodeNoise::Simplex, QStringLiteral("Simplex")},
    {NodeNoise::Musgrave, QStringLiteral("Musgrave")},
    {NodeNoise::CellularF1, QStringLiteral("Cellular F1")},
    {NodeNoise::CellularF2, QStringLiteral("Cellular F2")},
    {NodeNoise::ManhattanF1, QStringLiteral("Manhattan F1")},
    {NodeNoise::ManhattanF2, QStringLiteral("Manhattan F2")},
    {NodeNoise::Voronoi, QStringLiteral("Voronoi")},
    {NodeNoise::VoronoiF1F2, QStringLiteral("Voronoi F1F2")},
    {NodeNoise::VoronoiCracks, QStringLiteral("Voronoi Cracks")},
};

ListItem const outputItems[] = {
    {NodeNoise::OutputRgb, QStringLiteral("RGB")},
    {NodeNoise::OutputGrayscale, QStringLiteral("Grayscale")},
    {NodeNoise::OutputRed, QStringLiteral("R")},
    {NodeNoise::OutputGreen, QStringLiteral("G")},
    {NodeNoise::OutputBlue, QStringLiteral("B")},
};

char const* const helpText = QT_TRANSLATE_NOOP(
    "QObject",
    "Pseudo-random noise generator produces 1D or 3D noise.<br>The output of the node is calculated in the "
    "following way: Basis noise value (defined by <b>Noise Type</b>) is scaled by <b>Amplitude</b> and shifted "
    "by <b>Offset</b> while <b>Scale</b> defines spatial noise scale: <b>out</b> = <b>Amplitude</b> * "
    "noise(<b>x</b> * <b>ScaleX</b>, <b>y</b> * <b>ScaleY</b>, <b>z</b> * <b>ScaleZ</b>) + <b>Offset</b>; or "
    "<b>out</b> = <b>Amplitude</b> * noise(<b>u</b> * <b>ScaleU</b>, <b>v</b> * <b>ScaleV</b>) + "
    "<b>Offset</b>. Where (<b>x</b>, <b>y</b>, <b>z</b>) / (<b>u</b>, <b>v</b>) is the point which is being "
    "filtered.<br>The node can also generate fractal sums of noises: <b>Octaves</b> specify how many downsampled "
    "noise &quot;copies&quot; should be added together, <b>Increment</b> is a ratio of amplitudes of two "
    "successive terms in the fractal sum, and <b>Lacunarity</b> is a spatial scale ratio. Note that there's also "
    "an external node which provides some more options for fractal generation "
    "(<b>Material/Operator/Fractal</b>).");

void setEnabled(Parameter* parameter, bool enabled)
{
    if (enabled)
        parameter->setDisplayFlagOne(Parameter::DisplayEnabled);
    else
        parameter->setDisplayFlagZero(Parameter::DisplayEnabled);
}

} // namespace

NodeNoise::NodeNoise(int id)
    : NodeOf(id, QString(), QStringLiteral("out"))
    , m_container(m_descriptor.typeId, QString(), this)
{
    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        new ListParameter("type", tr("Noise Type:"), c, &m_type, typeItems, 12, Perlin, 5),
        m_outputParam = new ListParameter("output", tr("Output:"), c, &m_output, outputItems, 5, OutputRgb, 1),
        new NumGroupParameter<float>("amplitude", tr("Amplitude:"), c, &m_amplitude, 1, -10.0f, 10.0f, 1.0f, true, 1),
        new NumGroupParameter<float>("offset", tr("Offset:"), c, &m_offset, 1, -10.0f, 10.0f, 0.5f, true, 1),
        new NumGroupParameter<int>("seed", tr("Seed:"), c, &m_seed, 1, 0, 100, 0, true, 1),
        new GroupBoxParameter("scaleBox", tr("Scale ({scaleGlobal:0} : {scale:0}, {scale:1})"), c, 1),
        new NumGroupParameter<float>("scaleGlobal", tr("Scale:"), c, &m_scaleGlobal, 1, 0.01f, 50.0f, 1.0f, true, 5),
        new NumGroupParameter<float>("scale", tr("Scale:"), c, m_scale, 2, 0.01f, 50.0f, 1.0f, false, 5),
        new NumGroupParameter<int>("proportional", tr("Proportional to Image Size:"), c, &m_proportional, 1, 0, 1, 0, false, 1),
        new GroupBoxParameter("fractalBox", tr("Fractal ({octaves:0}, {increment:0}, {lacunarity:0})"), c, 1),
        new NumGroupParameter<int>("enableFrac", tr("Enable:"), c, &m_enableFrac, 1, 0, 1, 0, false, 1),
        m_octavesParam = new NumGroupParameter<float>("octaves", tr("Octaves:"), c, &m_octaves, 1, 1.0f, 15.0f, 3.0f, true, 1),
        m_incrementParam = new NumGroupParameter<float>("increment", tr("Increment:"), c, &m_increment, 1, 0.01f, 2.0f, 0.5f, true, 1),
        m_lacunarityParam = new NumGroupParameter<float>("lacunarity", tr("Lacunarity:"), c, &m_lacunarity, 1, 0.01f, 5.0f, 2.0f, true, 1),
    }});
    *c->helpItem() = HelpItem(
        tr(QT_TRANSLATE_NOOP("QObject", "Noise")), tr(helpText),
        {HelpLink(QStringLiteral("Perlin noise"), QUrl(QStringLiteral("https://en.wikipedia.org/wiki/Perlin_noise"))),
         HelpLink(QStringLiteral("Simplex noise"), QUrl(QStringLiteral("https://en.wikipedia.org/wiki/Simplex_noise"))),
         HelpLink(QStringLiteral("Lacunarity"), QUrl(QStringLiteral("https://en.wikipedia.org/wiki/Lacunarity")))});
    c->paramCallbacks().append(ParameterCallback{&paramChangeCallback<NodeNoise>, this});
    paramChanged(nullptr);
}

NodeNoise::~NodeNoise() = default;

NoiseFunction2D NodeNoise::basisFunction(int type)
{
    switch (type) {
    case Random: return &randomNoise2D;
    case RandomFiltered: return &randomNoiseFiltered2D;
    case Perlin: return &perlinNoise2D;
    case Simplex: return &simplexNoise2D;
    case Musgrave: return &musgraveNoise2D;
    case CellularF1: return &worleyF1Noise2D;
    case CellularF2: return &worleyF2Noise2D;
    case ManhattanF1: return &manhattanF1Noise2D;
    case ManhattanF2: return &manhattanF2Noise2D;
    case Voronoi: return &voronoiNoise2D;
    case VoronoiF1F2: return &voronoiF1F2Noise2D;
    case VoronoiCracks: return &voronoiCracksNoise2D;
    default: return &perlinNoise2D;
    }
}

void NodeNoise::updateScales()
{
    float unit = 0.01f;
    VyxNodeGraph const* graph = effectGraph();
    QImage const* image = graph ? graph->originalImage() : nullptr;
    if (m_proportional && image && !image->isNull())
        unit = 5.0f / static_cast<float>(std::max(image->width(), image->height()));
    m_scaleX = m_scaleGlobal * m_scale[0] * unit;
    m_scaleY = m_scaleGlobal * m_scale[1] * unit;
}

int NodeNoise::onFilterStart(KelUtils::StatusObserver* /*observer*/)
{
    updateScales();
    return 0;
}

unsigned int NodeNoise::noiseByte(QPoint const& point, unsigned int seed) const
{
    const float x = static_cast<float>(point.x()) * m_scaleX;
    const float y = static_cast<float>(point.y()) * m_scaleY;
    const float n = m_enableFrac ? fractalNoiseAdd2D(x, y, m_basis, m_octaves, m_increment, m_lacunarity, seed)
                                 : m_basis(x, y, seed);
    const float value = (n * m_amplitude + m_offset) * 255.0f + 0.5f;
    return static_cast<unsigned int>(byteClamp(value));
}

unsigned int NodeNoise::getSample(QPoint const& point) const
{
    return noiseByte(point, static_cast<unsigned int>(m_seed));
}

unsigned int NodeNoise::getSample3(QPoint const& point) const
{
    const unsigned int seed = static_cast<unsigned int>(m_seed);
    switch (m_output) {
    case OutputRgb:
        return noiseByte(point, seed) << 16 | noiseByte(point, seed + 1u) << 8 | noiseByte(point, seed + 2u);
    case OutputGrayscale:
        return noiseByte(point, seed) * 0x010101u;
    case OutputRed:
        return noiseByte(point, seed) << 16;
    case OutputGreen:
        return noiseByte(point, seed) << 8;
    case OutputBlue:
        return noiseByte(point, seed);
    default:
        return 0u;
    }
}

// Every point costs its noise; a span saves the calls between nodes.
void NodeNoise::getSpan(int y, int x, int count, unsigned int* out) const
{
    QPoint point(x, y);
    for (int i = 0; i < count; ++i) {
        point.setX(x + i);
        out[i] = NodeNoise::getSample(point);
    }
}

void NodeNoise::getSpan3(int y, int x, int count, unsigned int* out) const
{
    QPoint point(x, y);
    for (int i = 0; i < count; ++i) {
        point.setX(x + i);
        out[i] = NodeNoise::getSample3(point);
    }
}

void NodeNoise::paramChanged(Parameter* changed)
{
    const QString key = changed ? changed->name() : QString();
    if (!changed || key == QLatin1String("type"))
        m_basis = basisFunction(m_type);
    if (!changed || key == QLatin1String("enableFrac")) {
        const bool fractal = m_enableFrac != 0;
        setEnabled(m_octavesParam, fractal);
        setEnabled(m_incrementParam, fractal);
        setEnabled(m_lacunarityParam, fractal);
    }
    if (!changed || key == QLatin1String("scale") || key == QLatin1String("scaleGlobal")
        || key == QLatin1String("proportional"))
        updateScales();
    if (changed)
        sendNotification(KelNodes::NodeSubscriber::SetUp);
}

int NodeNoise::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    const int result = BaseGeneratorNode::onConnect(own, peer);
    if (result < 0)
        return result;
    updateOutputState();
    return result;
}

void NodeNoise::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    BaseGeneratorNode::onDisconnect(own, peer);
    updateOutputState();
}

void NodeNoise::kindsSettled()
{
    updateOutputState();
}

void NodeNoise::updateOutputState()
{
    setEnabled(m_outputParam, m_outputTerminal && (m_outputTerminal->outputMask() & 4u) != 0);
}

} // namespace KelVyxNodes
