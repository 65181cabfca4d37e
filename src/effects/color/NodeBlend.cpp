#include "effects/color/NodeBlend.h"

#include "effects/Base1DGenerator.h"
#include "effects/GeneratorLookup.h"
#include "effects/LinearColorBytes.h"
#include "effects/NodeText.h"
#include "effects/color/BlendFormulas.h"
#include "effects/SpanBuffer.h"
#include "params/ColorParameter.h"
#include "params/GroupBoxParameter.h"
#include "params/ListItem.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterCallback.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QList>
#include <QPoint>

#include <algorithm>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeBlend::m_descriptor{
    QStringLiteral("operator.blend"), QUuid(QStringLiteral("2111d67d-216c-4efa-9c25-481184bec8cf")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Blend")), QString(), &NodeBlend::create};

namespace {

QList<ListItem> blendModeItems()
{
    QList<ListItem> items;
    for (int mode = 0; mode < BlendFormulas::ModeCount; ++mode)
        items.append(ListItem{mode, QString::fromLatin1(BlendFormulas::itemName(mode))});
    return items;
}

} // namespace

NodeBlend::NodeBlend(int uid)
    : NodeOf(uid)
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_foregroundTerminal = addTerminal(QStringLiteral("foreground"), 4u, 0u);
    m_backgroundTerminal = addTerminal(QStringLiteral("background"), 4u, 0u);
    m_opacityTerminal = addTerminal(QStringLiteral("opacity"), 2u, 0u);
    addTerminal(QStringLiteral("rgb"), 0u, 5u);

    const QList<ListItem> items = blendModeItems();
    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        m_foregroundParam = new ColorParameter("Foreground", tr("Foreground:"), c, &m_foreground, 5),
        m_backgroundParam = new ColorParameter("Background", tr("Background:"), c, &m_background, 5),
        m_opacityParam = new NumGroupParameter<int>("Opacity", tr("Opacity:"), c, &m_opacity, 1, 0, 100, 100, true, 5),
        new ListParameter("mode", tr("Mode:"), c, &m_mode, items.constData(), int(items.size()),
                          BlendFormulas::Normal, 5),
    }});
    *c->helpItem() = HelpItem(
        tr(QT_TRANSLATE_NOOP("QObject", "Blend")),
        tr("The node blends two input images together according to the blend mode and opacity "
           "specified.Both background/foreground and opacity can be hard-coded or generated "
           "externally with other nodes."));

    m_background = Color(0.0f, 0.0f, 0.0f, 1.0f);
    m_foreground = Color(0.0f, 0.0f, 0.0f, 1.0f);
    c->paramCallbacks().append(ParameterCallback{&paramChangeCallback<NodeBlend>, this});
    refreshOpenInputs();
}

NodeBlend::~NodeBlend() = default;

unsigned int NodeBlend::getSample3(QPoint const& point) const
{
    const unsigned int fg = m_foregroundSource ? m_foregroundSource->getSample3(point) : m_foregroundRgb;
    const unsigned int bg = m_backgroundSource ? m_backgroundSource->getSample3(point) : m_backgroundRgb;
    const unsigned char opacity = m_opacitySource ? static_cast<unsigned char>(m_opacitySource->getSample(point))
                                                  : m_opacityByte;
    return BlendFormulas::blend(m_mode, bg, fg, opacity) & 0xFFFFFFu;
}

void NodeBlend::paramChanged(Parameter* /*changed*/)
{
    refreshOpenInputs();
}

int NodeBlend::onFilterStart(StatusObserver* /*observer*/)
{
    // Normally a no-op: changes made while the container's signals were blocked reach
    // paramChanged only later.
    refreshOpenInputs();
    m_useTable = !m_opacitySource && BlendFormulas::perChannel(m_mode);
    if (m_useTable && (m_tableMode != m_mode || m_tableOpacity != m_opacityByte || m_table.isEmpty())) {
        const int mode = m_mode;
        const unsigned char opacity = m_opacityByte;
        m_table.fill([mode, opacity](unsigned int b, unsigned int f) {
            return BlendFormulas::blend(mode, b * 0x010101u, f * 0x010101u, opacity) & 0xFFu;
        });
        m_tableMode = m_mode;
        m_tableOpacity = m_opacityByte;
    }
    return 0;
}

void NodeBlend::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!m_useTable) {
        Base3DGenerator::getSpan3(y, x, count, out);
        return;
    }
    SpanBuffer background(count);
    if (m_foregroundSource)
        m_foregroundSource->getSpan3(y, x, count, out);
    else
        std::fill(out, out + count, m_foregroundRgb);
    if (m_backgroundSource)
        m_backgroundSource->getSpan3(y, x, count, background.data());
    else
        std::fill(background.data(), background.data() + count, m_backgroundRgb);
    m_table.perChannelSpan(background.data(), out, count);
}

void NodeBlend::refreshOpenInputs()
{
    // Written only when different: a preview may be sampling on another thread.
    const unsigned int fg = linearColorToRgb(m_foreground);
    if (m_foregroundRgb != fg)
        m_foregroundRgb = fg;
    const unsigned int bg = linearColorToRgb(m_background);
    if (m_backgroundRgb != bg)
        m_backgroundRgb = bg;
    const unsigned char opacity = BlendFormulas::opacityByte(m_opacity);
    if (m_opacityByte != opacity)
        m_opacityByte = opacity;
}

void NodeBlend::resolveInputs()
{
    m_foregroundSource = linkedGenerator3D(m_foregroundTerminal);
    m_backgroundSource = linkedGenerator3D(m_backgroundTerminal);
    m_opacitySource = linkedGenerator1D(m_opacityTerminal);
}

// A linked input disables the editor of what it replaces whether or not the peer offered an
// interface.
int NodeBlend::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    const QString& name = own->name();
    if (name == QLatin1String("foreground")) {
        getGeneratorInterface(&m_foregroundSource, peer);
        m_foregroundParam->setDisplayFlagZero(Parameter::DisplayEnabled);
    } else if (name == QLatin1String("background")) {
        getGeneratorInterface(&m_backgroundSource, peer);
        m_backgroundParam->setDisplayFlagZero(Parameter::DisplayEnabled);
    } else if (name == QLatin1String("opacity")) {
        getGeneratorInterface(&m_opacitySource, peer);
        m_opacityParam->setDisplayFlagZero(Parameter::DisplayEnabled);
    }
    return KelNodes::Node::onConnect(own, peer);
}

void NodeBlend::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    const QString& name = own->name();
    if (name == QLatin1String("foreground")) {
        m_foregroundSource = nullptr;
        m_foregroundParam->setDisplayFlagOne(Parameter::DisplayEnabled);
    } else if (name == QLatin1String("background")) {
        m_backgroundSource = nullptr;
        m_backgroundParam->setDisplayFlagOne(Parameter::DisplayEnabled);
    } else if (name == QLatin1String("opacity")) {
        m_opacitySource = nullptr;
        m_opacityParam->setDisplayFlagOne(Parameter::DisplayEnabled);
    }
    KelNodes::Node::onDisconnect(own, peer);
}

} // namespace KelVyxNodes
