#include "effects/NodeSharpen.h"

#include "effects/NodeText.h"
#include "params/NumGroupParameter.h"

#include <QCoreApplication>

namespace KelVyxNodes {

using KelUtils::NumGroupParameter;

KelNodes::NodeDescriptor NodeSharpen::m_descriptor{
    QStringLiteral("operator.sharpen"), QUuid(QStringLiteral("7c519af2-b693-467e-8c0d-81641a8c0fc5")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Sharpen")), QString(), &NodeSharpen::create};

NodeSharpen::NodeSharpen(int id)
    : NodeOf(id, m_descriptor.typeId, 0x000000u)
{
    auto* c = &m_container;
    addParameters({
        new NumGroupParameter<float>("base", tr("Base:"), c, &m_base, 1, 0.1f, 3.0f, 1.0f, true, 5),
        new NumGroupParameter<float>("factor", tr("Factor:"), c, &m_factor, 1, 0.0f, 1.0f, 1.0f, true, 5),
        new NumGroupParameter<float>("bias", tr("Bias:"), c, &m_bias, 1, 0.0f, 255.0f, 0.0f, true, 5),
    });
    *c->helpItem() = KelUtils::HelpItem(tr(QT_TRANSLATE_NOOP("QObject", "Sharpen")),
                                        tr("Makes image more sharpen."));

    // Filled now: a preview may sample before the first render.
    buildKernel();
    setKernel(m_kernel, 3, 3);
}

NodeSharpen::~NodeSharpen() = default;

void NodeSharpen::buildKernel()
{
    const float s = m_base;
    for (float& coefficient : m_kernel)
        coefficient = -s;
    m_kernel[4] = static_cast<float>(static_cast<double>(s) * 8.0 + 1.0);
}

int NodeSharpen::onFilterStart(KelUtils::StatusObserver* /*observer*/)
{
    buildKernel();
    setKernel(m_kernel, 3, 3);
    startRender();
    return 0;
}

} // namespace KelVyxNodes
