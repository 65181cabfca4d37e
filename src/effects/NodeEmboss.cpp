#include "effects/NodeEmboss.h"

#include "effects/NodeText.h"
#include "params/NumGroupParameter.h"

#include <QCoreApplication>
#include <QUrl>

namespace KelVyxNodes {

using KelUtils::NumGroupParameter;

KelNodes::NodeDescriptor NodeEmboss::m_descriptor{
    QStringLiteral("operator.emboss"), QUuid(QStringLiteral("de658df6-3845-454c-8f00-5dfa3cf0d264")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Emboss")), QString(), &NodeEmboss::create};

namespace {

constexpr float kEmbossKernel[9] = {
    -1.0f, -1.0f, 0.0f,
    -1.0f,  0.0f, 1.0f,
     0.0f,  1.0f, 1.0f,
};

} // namespace

NodeEmboss::NodeEmboss(int id)
    : NodeOf(id, m_descriptor.typeId, 0x808080u)
{
    auto* c = &m_container;
    addParameters({
        new NumGroupParameter<float>("factor", tr("Relief:"), c, &m_factor, 1, 0.0f, 1.0f, 1.0f, true, 5),
        new NumGroupParameter<float>("bias", tr("Main Tone:"), c, &m_bias, 1, 0.0f, 255.0f, 128.0f, true, 5),
    });
    *c->helpItem() = KelUtils::HelpItem(
        tr(QT_TRANSLATE_NOOP("QObject", "Emboss")),
        tr("The node extracts relief features from the input image and creates an image vaguely "
           "resembling a steel sheet with hammered relief."),
        {KelUtils::HelpLink(tr("Embossing"),
                            QUrl(QStringLiteral("https://en.wikipedia.org/wiki/Image_embossing")))});
    setKernel(kEmbossKernel, 3, 3);
}

NodeEmboss::~NodeEmboss() = default;

int NodeEmboss::onFilterStart(KelUtils::StatusObserver* /*observer*/)
{
    startRender();
    return 0;
}

} // namespace KelVyxNodes
