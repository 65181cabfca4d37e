#include "effects/math/NodeFlip.h"

#include "effects/NodeText.h"
#include "effects/SpanGather.h"

#include "params/GroupBoxParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterList.h"
#include "params/Rounding.h"

#include <QCoreApplication>
#include <QPoint>

#include <cmath>
#include <cstdlib>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeFlip::m_descriptor{
    QStringLiteral("operator.flip"), QUuid(QStringLiteral("9fdc9bc2-78b4-487a-8d1a-32d0b55c539f")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Flip")), QString(), &NodeFlip::create};

namespace {

// (side - 1) x |percent| / 100 in single precision; the quotient first.
float scaledSide(int side, int percent)
{
    const float fraction = static_cast<float>(std::abs(static_cast<long long>(percent))) / 100.0f;
    return static_cast<float>(side - 1) * fraction;
}

} // namespace

NodeFlip::NodeFlip(int id)
    : NodeOf(id, QStringLiteral("rgbIn"), "NodeFlip")
    , m_container(m_descriptor.typeId, QString(), this)
{
    addTerminal(QStringLiteral("rgbOut"), 0u, 5u);

    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        new NumGroupParameter<int>("flipHor", tr("Flip Horizontally:"), c, &m_flipHor, 1, 0, 1, 1, false, 5),
        new NumGroupParameter<int>("flipVert", tr("Flip Vertically:"), c, &m_flipVert, 1, 0, 1, 1, false, 5),
        new NumGroupParameter<int>("shiftHor", tr("Horizontal Shift:"), c, &m_shiftHor, 1, 0, 100, 0, true, 1),
        new NumGroupParameter<int>("shiftVer", tr("Vertical Shift:"), c, &m_shiftVer, 1, 0, 100, 0, true, 1),
    }});
    *c->helpItem() = HelpItem(tr(QT_TRANSLATE_NOOP("QObject", "Flip")),
                              tr("The node flips the image horizontally or/and vertically."));
}

NodeFlip::~NodeFlip() = default;

int NodeFlip::horizontalShift(int side, int percent)
{
    return static_cast<int>(roundHalfUp(static_cast<double>(scaledSide(side, percent))));
}

int NodeFlip::verticalShift(int side, int percent)
{
    return static_cast<int>(std::floor(scaledSide(side, percent)));
}

int NodeFlip::sourceCoordinate(int c, int side, int shift, bool flip)
{
    // Sums in 64 bits: side + c must not wrap for the widest images.
    const long long x = c;
    if (flip)
        return static_cast<int>(x < shift ? side + x - shift : side - 1LL - x + shift);
    return static_cast<int>(x > shift ? x - shift : shift - x);
}

void NodeFlip::onImageSize()
{
    m_shiftX = horizontalShift(m_imageWidth, m_shiftHor);
    m_shiftY = verticalShift(m_imageHeight, m_shiftVer);
}

unsigned int NodeFlip::getSample3(QPoint const& point) const
{
    if (!m_input)
        return 0x808080u;
    // Before any image size is known there is no mirror axis: the input passes unchanged.
    if (!hasImageSize())
        return m_input->getSample3(point);
    const int x = sourceCoordinate(point.x(), m_imageWidth, m_shiftX, m_flipHor != 0);
    const int y = sourceCoordinate(point.y(), m_imageHeight, m_shiftY, m_flipVert != 0);
    return m_input->getSample3(QPoint(x, y));
}

void NodeFlip::getSpan3(int y, int x, int count, unsigned int* out) const
{
    if (!m_input || !hasImageSize()) {
        Base3DGeneratorNode::getSpan3(y, x, count, out);
        return;
    }
    const int sy = sourceCoordinate(y, m_imageHeight, m_shiftY, m_flipVert != 0);
    const bool flip = m_flipHor != 0;
    SpanGather gather(*m_input, out);
    for (int i = 0; i < count; ++i)
        gather.add(i, QPoint(sourceCoordinate(x + i, m_imageWidth, m_shiftX, flip), sy));
    gather.finish();
}

} // namespace KelVyxNodes
