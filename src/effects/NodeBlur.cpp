#include "effects/NodeBlur.h"

#include "effects/NodeText.h"
#include "effects/VyxNodeGraph.h"
#include "params/GroupBoxParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterList.h"

#include <QCoreApplication>

#include <algorithm>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeBlur::m_descriptor{
    QStringLiteral("operator.blur"), QUuid(QStringLiteral("0101b22f-5696-4cc7-83b8-7980aa6c078e")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Blur")), QString(), &NodeBlur::create};

NodeBlur::NodeBlur(int id)
    : NodeOf(id, QStringLiteral("in"), QStringLiteral("out"))
    , m_container(m_descriptor.typeId, QString(), this)
{
    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        new NumGroupParameter<int>("radius", tr("Radius:"), c, &m_radius, 1, 0, 50, 4, true, 5),
    }});
    *c->helpItem() = HelpItem(tr(QT_TRANSLATE_NOOP("QObject", "Blur")),
                              tr("The node blurs the input by averaging every point with its "
                                 "neighbours within the radius."));
    m_renderRadius = m_radius;
}

NodeBlur::~NodeBlur() = default;

int NodeBlur::onFilterStart(StatusObserver* /*observer*/)
{
    QImage const* image = m_graph ? m_graph->originalImage() : nullptr;
    if (!image)
        return -1;
    m_imageWidth = image->width();
    m_imageHeight = image->height();
    m_mask = m_graph->selectionMask();
    m_renderRadius = m_radius;
    m_rows1D.startRender();
    m_rows3D.startRender();
    return 0;
}

BoxBlurRows::Setup NodeBlur::setup(bool colour) const
{
    BoxBlurRows::Setup s;
    s.width = m_imageWidth;
    s.height = m_imageHeight;
    s.radius = m_renderRadius;
    s.mask = m_mask;
    if (colour)
        s.colour = m_upstream3D;
    else
        s.channel = m_upstream1D;
    return s;
}

BoxBlurRows& NodeBlur::rows(PerRenderThreadState<BoxBlurRows> const& state, bool colour) const
{
    BoxBlurRows& blur = state.local([&](BoxBlurRows& b) { b.reset(setup(colour)); });
    // A link changed after the render (a preview reads on): start over from the new input.
    if (!blur.sameInput(m_upstream1D, m_upstream3D, colour))
        blur.reset(setup(colour));
    return blur;
}

unsigned int NodeBlur::getSample(QPoint const& point) const
{
    if (!m_upstream1D)
        return 128;
    if (m_renderRadius <= 0 || m_imageWidth <= 0 || m_imageHeight <= 0)
        return m_upstream1D->getSample(point) & 0xFFu;
    return rows(m_rows1D, false).sample(point.x(), point.y());
}

unsigned int NodeBlur::getSample3(QPoint const& point) const
{
    if (!m_upstream3D)
        return 0x808080u;
    if (m_renderRadius <= 0 || m_imageWidth <= 0 || m_imageHeight <= 0)
        return m_upstream3D->getSample3(point);
    return rows(m_rows3D, true).sample(point.x(), point.y());
}

void NodeBlur::getSpan(int y, int x, int count, unsigned int* out) const
{
    if (!m_upstream1D || m_renderRadius <= 0 || m_imageWidth <= 0 || m_imageHeight <= 0) {
        BaseGeneratorNode::getSpan(y, x, count, out);
        return;
    }
    rows(m_rows1D, false).sampleSpan(y, x, count, out);
}

void NodeBlur::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!m_upstream3D || m_renderRadius <= 0 || m_imageWidth <= 0 || m_imageHeight <= 0) {
        BaseGeneratorNode::getSpan3(y, x, count, out);
        return;
    }
    rows(m_rows3D, true).sampleSpan(y, x, count, out);
}

} // namespace KelVyxNodes
