#include "effects/math/NodeChecker.h"

#include "effects/GeneratorLookup.h"
#include "effects/LinearColorBytes.h"
#include "effects/NodeText.h"
#include "effects/SpanBuffer.h"
#include "effects/SpanGather.h"
#include "effects/VyxNodeGraph.h"
#include "effects/VyxTerminal.h"
#include "params/ColorParameter.h"
#include "params/GroupBoxParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterCallback.h"
#include "params/ParameterList.h"
#include "params/StatusObserver.h"

#include <QCoreApplication>
#include <QDebug>

#include <algorithm>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeChecker::m_descriptor{
    QStringLiteral("operator.checker"), QUuid(QStringLiteral("f5d8218a-2622-43da-b712-674d09401130")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Checker")), QString(), &NodeChecker::create};

namespace {

// A side divided by a count, truncated; 0 (unused) on an undivided axis.
int cellSize(int side, int count)
{
    return count > 0 ? static_cast<int>(static_cast<double>(side) / static_cast<double>(count)) : 0;
}

} // namespace

NodeChecker::NodeChecker(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
{
    m_color1Terminal = addTerminal(QStringLiteral("color1"), 4u, 0u);
    m_color2Terminal = addTerminal(QStringLiteral("color2"), 4u, 0u);
    addTerminal(QStringLiteral("rgb"), 0u, 5u);

    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        m_colour1Param = new ColorParameter("Color1", tr("Color 1:"), c, &m_colour1, 5),
        m_colour2Param = new ColorParameter("Color2", tr("Color 2:"), c, &m_colour2, 5),
        new NumGroupParameter<int>("Repeat H", tr("Checks In Line:"), c, &m_perLine, 1, 0, 100, 8, true, 5),
        new NumGroupParameter<int>("Repeat V", tr("Checks In Column:"), c, &m_perColumn, 1, 0, 100, 8, true, 5),
        m_solidFillParam = new NumGroupParameter<int>("Solid fill", tr("Solid Fill:"), c, &m_solidFill, 1, 0, 1, 0, false, 5),
        new NumGroupParameter<int>("Proportional", tr("Ignore Aspect Ratio:"), c, &m_proportional, 1, 0, 1, 1, false, 1),
    }});
    // Only a linked input can be sampled at cell centres.
    m_solidFillParam->setDisplayFlagZero(Parameter::DisplayEnabled);
    m_colour1 = Color(1.0f, 1.0f, 1.0f, 1.0f);
    m_colour2 = Color(0.0f, 0.0f, 0.0f, 1.0f);
    *c->helpItem() = HelpItem(
        tr(QT_TRANSLATE_NOOP("QObject", "Checker")),
        tr("The node generates the checker-board pattern alternating <b>Color 1</b> and <b>Color "
           "2</b>. These colors can also be generated with some other external nodes, in this case "
           "<b>Solid Fill</b> can be used to create pixelation effect."));
    c->paramCallbacks().append(ParameterCallback{&paramChangeCallback<NodeChecker>, this});
    refreshPacked();
}

NodeChecker::~NodeChecker() = default;

void NodeChecker::refreshPacked()
{
    // Written only when different: a preview may be sampling meanwhile.
    const unsigned int p1 = linearColorToRgb(m_colour1);
    const unsigned int p2 = linearColorToRgb(m_colour2);
    if (m_packed1 != p1)
        m_packed1 = p1;
    if (m_packed2 != p2)
        m_packed2 = p2;
}

void NodeChecker::paramChanged(Parameter* /*changed*/)
{
    refreshPacked();
}

int NodeChecker::onFilterStart(StatusObserver* observer)
{
    // Changes made while the container's signals were blocked reach paramChanged only later.
    refreshPacked();
    QImage const* image = m_graph ? m_graph->originalImage() : nullptr;
    if (!image || image->isNull()) {
        qDebug() << "NodeChecker error: no image";
        m_imageWidth = m_imageHeight = -1;
        m_cellWidth = m_cellHeight = -1;
        return 0;
    }
    m_imageWidth = image->width();
    m_imageHeight = image->height();
    const int shorter = std::min(m_imageWidth, m_imageHeight);
    m_cellWidth = cellSize(m_proportional ? m_imageWidth : shorter, m_perLine);
    m_cellHeight = cellSize(m_proportional ? m_imageHeight : shorter, m_perColumn);
    if (observer && observer->cancelationRequested())
        return -1;
    return 0;
}

int NodeChecker::cellCentre(int coordinate, int cell, int side)
{
    if (cell <= 0)
        return 0;
    // In 64 bits: the centre of a cell near the int limit lies beyond it.
    const long long x = coordinate;
    const long long centre = x - x % cell + cell / 2;
    return static_cast<int>(std::max<long long>(std::min<long long>(centre, side - 1), 0));
}

bool NodeChecker::hasCells() const
{
    if (m_imageWidth < 1 || m_imageHeight < 1)
        return false;
    // More cells than pixels: no cell to show.
    return !((m_perLine > 0 && m_cellWidth <= 0) || (m_perColumn > 0 && m_cellHeight <= 0));
}

bool NodeChecker::inFirstCell(QPoint const& point) const
{
    const int i = m_perLine > 0 ? point.x() / m_cellWidth : 0;
    const int j = m_perColumn > 0 ? point.y() / m_cellHeight : 0;
    return ((i ^ j) & 1) == 0;
}

QPoint NodeChecker::readPoint(QPoint const& point) const
{
    if (!m_solidFill)
        return point;
    return QPoint(cellCentre(point.x(), m_perLine > 0 ? m_cellWidth : 0, m_imageWidth),
                  cellCentre(point.y(), m_perColumn > 0 ? m_cellHeight : 0, m_imageHeight));
}

unsigned int NodeChecker::getSample3(QPoint const& point) const
{
    if (!hasCells())
        return 0x808080u;
    const QPoint at = readPoint(point);
    const unsigned int c1 = m_input1 ? m_input1->getSample3(at) : m_packed1;
    const unsigned int c2 = m_input2 ? m_input2->getSample3(at) : m_packed2;
    return (inFirstCell(point) ? c1 : c2) & 0xFFFFFFu;
}

void NodeChecker::colourSpan(Base3DGenerator const* input, unsigned int packed, int y, int x, int count,
                             unsigned int* out) const
{
    if (!input) {
        std::fill(out, out + count, packed);
    } else if (!m_solidFill) {
        input->getSpan3(y, x, count, out);
    } else {
        SpanGather gather(*input, out);
        for (int i = 0; i < count; ++i)
            gather.add(i, readPoint(QPoint(x + i, y)));
        gather.finish();
    }
}

void NodeChecker::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!hasCells()) {
        std::fill(out, out + count, 0x808080u);
        return;
    }
    SpanBuffer second(count);
    colourSpan(m_input1, m_packed1, y, x, count, out);
    colourSpan(m_input2, m_packed2, y, x, count, second.data());
    for (int i = 0; i < count; ++i)
        out[i] = (inFirstCell(QPoint(x + i, y)) ? out[i] : second[i]) & 0xFFFFFFu;
}

int NodeChecker::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    // The parameter is greyed out even when the peer offers no colour: the link replaces it.
    if (own == m_color1Terminal) {
        getGeneratorInterface(&m_input1, peer);
        m_colour1Param->setDisplayFlagZero(Parameter::DisplayEnabled);
    } else if (own == m_color2Terminal) {
        getGeneratorInterface(&m_input2, peer);
        m_colour2Param->setDisplayFlagZero(Parameter::DisplayEnabled);
    }
    if (m_input1 || m_input2)
        m_solidFillParam->setDisplayFlagOne(Parameter::DisplayEnabled);
    return KelNodes::Node::onConnect(own, peer);
}

void NodeChecker::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (own == m_color1Terminal) {
        m_input1 = nullptr;
        m_colour1Param->setDisplayFlagOne(Parameter::DisplayEnabled);
    } else if (own == m_color2Terminal) {
        m_input2 = nullptr;
        m_colour2Param->setDisplayFlagOne(Parameter::DisplayEnabled);
    }
    if (!m_input1 && !m_input2)
        m_solidFillParam->setDisplayFlagZero(Parameter::DisplayEnabled);
    KelNodes::Node::onDisconnect(own, peer);
}

void NodeChecker::resolveInputs()
{
    m_input1 = linkedGenerator3D(m_color1Terminal);
    m_input2 = linkedGenerator3D(m_color2Terminal);
}

} // namespace KelVyxNodes
