#include "effects/color/NodeLogarithmicCorrection.h"

#include "effects/ClassicColor.h"
#include "effects/GeneratorLookup.h"
#include "effects/NodeText.h"
#include "effects/NodeValueUtils.h"
#include "effects/VyxTerminal.h"
#include "params/GroupBoxParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPoint>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeLogarithmicCorrection::m_descriptor{
    QStringLiteral("operator.logarithmicCorrection"),
    QUuid(QStringLiteral("00ac9fc2-78dd-457a-8d1a-00d1b77c43fa")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Logarithmic Correction")), QString(),
    &NodeLogarithmicCorrection::create};

NodeLogarithmicCorrection::NodeLogarithmicCorrection(int id, QString const& name, VyxNodeGraph* graph)
    : NodeOf(id, name, graph)
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_inTerminal = addTerminal(QStringLiteral("rgbIn"), 4u, 0u);
    addTerminal(QStringLiteral("rgbOut"), 0u, 5u);

    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        new NumGroupParameter<int>("Filter Value", tr("Value:"), c, &m_filterValue, 1, 1, 100, 10, true, 5),
    }});
    *c->helpItem() = HelpItem(tr(QT_TRANSLATE_NOOP("QObject", "Logarithmic Correction")),
                              tr("The node performs logarithmic image correction."));
}

NodeLogarithmicCorrection::~NodeLogarithmicCorrection() = default;

int NodeLogarithmicCorrection::onFilterStart(StatusObserver* /*observer*/)
{
    m_memo.startRender();
    return 0;
}

unsigned int NodeLogarithmicCorrection::correct(unsigned int rgb, int filterValue)
{
    // Converted once each way: every read of the colour in the other model converts it again.
    const ClassicColor::HslWords words = ClassicColor::hslWordsOf(rgb);
    return ClassicColor::rgbWithHslLightness(rgb, words, lightnessFor(ClassicColor::lightnessFOf(words), filterValue));
}

double NodeLogarithmicCorrection::lightnessFor(double lightness, int filterValue)
{
    const double factor = filterValue / 10.0;
    // log(x, 10) with the logarithm of the base taken once: the same quotient. Taken at run
    // time, as log(x, 10) takes it, not folded by the compiler.
    static const double logOfTen = [] {
        volatile double ten = 10.0;
        return std::log(ten);
    }();
    double corrected = std::log(lightness + 1.0) / logOfTen * factor;
    corrected = std::min(1.0, corrected);
    corrected = std::max(0.0, corrected);
    return corrected;
}

unsigned int NodeLogarithmicCorrection::getSample3(QPoint const& point) const
{
    if (!m_input)
        return 0x808080u;
    return correct(m_input->getSample3(point), m_filterValue);
}

void NodeLogarithmicCorrection::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!m_input) {
        std::fill(out, out + count, 0x808080u);
        return;
    }
    m_input->getSpan3(y, x, count, out);
    const int filterValue = m_filterValue;
    LightnessMemo& memo = m_memo.local([](LightnessMemo& m) { std::fill(std::begin(m.key), std::end(m.key), 0u); });
    // Runs converted in passes (to HSL, the lightnesses, back), with nothing kept between the
    // passes but the words.
    constexpr int kRun = 64;
    ClassicColor::HslWords words[kRun];
    double lightnesses[kRun];
    for (int start = 0; start < count; start += kRun) {
        const int n = std::min(kRun, count - start);
        ClassicColor::hslWordsOf(out + start, words, n);
        for (int i = 0; i < n; ++i) {
            // A picture's pixels have few lightness words (about one per sum of the largest
            // and the smallest byte): each one's logarithm is taken once per thread and render.
            const unsigned short lightness = words[i].lightness;
            const int slot = lightness >> 7;
            if (memo.key[slot] != lightness + 1u) {
                memo.key[slot] = lightness + 1u;
                memo.value[slot] = lightnessFor(ClassicColor::lightnessFOf(words[i]), filterValue);
            }
            lightnesses[i] = memo.value[slot];
        }
        ClassicColor::rgbWithHslLightness(out + start, words, lightnesses, n);
    }
}

int NodeLogarithmicCorrection::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("rgbIn"))
        getGeneratorInterface(&m_input, peer);
    return KelNodes::Node::onConnect(own, peer);
}

void NodeLogarithmicCorrection::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own->name() == QLatin1String("rgbIn"))
        m_input = nullptr;
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeLogarithmicCorrection::resolveInputs()
{
    m_input = linkedGenerator3D(m_inTerminal);
}

} // namespace KelVyxNodes
