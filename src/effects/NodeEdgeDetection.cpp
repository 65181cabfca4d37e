#include "effects/NodeEdgeDetection.h"

#include "effects/NodeText.h"
#include "params/ListItem.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"

#include <QCoreApplication>

namespace KelVyxNodes {

using KelUtils::NumGroupParameter;

KelNodes::NodeDescriptor NodeEdgeDetection::m_descriptor{
    QStringLiteral("operator.edgedetection"),
    QUuid(QStringLiteral("b4bc225d-5bfc-4283-a815-0bada95eff01")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Edge Detection")), QString(),
    &NodeEdgeDetection::create};

namespace {

constexpr float kHorizontal[25] = {
     0,  0, 0,  0,  0,
     0,  0, 0,  0,  0,
    -1, -2, 6, -2, -1,
     0,  0, 0,  0,  0,
     0,  0, 0,  0,  0,
};

constexpr float kVertical[25] = {
    0, 0, -1, 0, 0,
    0, 0, -2, 0, 0,
    0, 0,  6, 0, 0,
    0, 0, -2, 0, 0,
    0, 0, -1, 0, 0,
};

constexpr float kDiagonal[25] = {
    -1,  0, 0,  0,  0,
     0, -2, 0,  0,  0,
     0,  0, 6,  0,  0,
     0,  0, 0, -2,  0,
     0,  0, 0,  0, -1,
};

constexpr float kAllDirections[25] = {
    0,  0,  0,  0, 0,
    0, -1, -1, -1, 0,
    0, -1,  8, -1, 0,
    0, -1, -1, -1, 0,
    0,  0,  0,  0, 0,
};

} // namespace

NodeEdgeDetection::NodeEdgeDetection(int id)
    : NodeOf(id, m_descriptor.typeId, 0x808080u)
{
    const KelUtils::ListItem directions[] = {
        {0, QStringLiteral("Horizontal")},
        {1, QStringLiteral("Vertical")},
        {2, QStringLiteral("Diagonal")},
        {3, QStringLiteral("All Directions")},
    };
    auto* c = &m_container;
    addParameters({
        new NumGroupParameter<float>("factor", tr("Relief:"), c, &m_factor, 1, 0.0f, 1.0f, 1.0f, true, 5),
        new NumGroupParameter<float>("bias", tr("Main Tone:"), c, &m_bias, 1, 0.0f, 255.0f, 0.0f, true, 5),
        new KelUtils::ListParameter("direction", tr("Direction:"), c, &m_direction, directions, 4, 0, 5),
    });
    *c->helpItem() = KelUtils::HelpItem(
        tr(QT_TRANSLATE_NOOP("QObject", "Edge Detection")),
        tr("The node detects edges in the image and removes all other datails."));
}

NodeEdgeDetection::~NodeEdgeDetection() = default;

float const* NodeEdgeDetection::kernelOf(int direction)
{
    switch (direction) {
    case 0:
        return kHorizontal;
    case 1:
        return kVertical;
    case 2:
        return kDiagonal;
    case 3:
        return kAllDirections;
    default:
        return nullptr;
    }
}

int NodeEdgeDetection::onFilterStart(KelUtils::StatusObserver* /*observer*/)
{
    float const* kernel = kernelOf(m_direction);
    setKernel(kernel, kernel ? 5 : 0, kernel ? 5 : 0);
    startRender();
    return 0;
}

} // namespace KelVyxNodes
