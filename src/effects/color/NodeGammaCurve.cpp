#include "effects/color/NodeGammaCurve.h"

#include "effects/NodeText.h"
#include "effects/NodeValueUtils.h"
#include "params/GroupBoxParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterCallback.h"
#include "params/ParameterList.h"

#include <QCoreApplication>
#include <QPainterPath>
#include <QUrl>

namespace KelVyxNodes {

using namespace KelUtils;

KelNodes::NodeDescriptor NodeGammaCurve::m_descriptor{
    QStringLiteral("operator.gammacurve"), QUuid(QStringLiteral("e8cd6000-5ae1-4588-bef5-b5be009a6db8")),
    QStringLiteral(QT_TRANSLATE_NOOP("QObject", "GammaCurve")), QString(), &NodeGammaCurve::create};

namespace {

// Input terminals and the parameters they stand in for share these names.
char const* const gammaInputNames[] = {"Gamma", "Start", "End", "Minimum", "Maximum"};

} // namespace

NodeGammaCurve::NodeGammaCurve(int id)
    : NodeOf(id)
    , m_container(m_descriptor.typeId, QString(), this)
    , m_curve(1.0, 0.0, 1.0, 0.0, 1.0)
{
    for (char const* name : gammaInputNames)
        addTerminal(QString::fromLatin1(name), 2u, 0u);
    addTerminal(QStringLiteral("rgb"), 0u, 9u);

    auto* c = &m_container;
    c->paramLists().append(ParameterList{"basic", true, {
        new GroupBoxParameter("basicsBox", tr("Basics"), c, 1),
        m_param[0] = new NumGroupParameter<int>("Gamma", tr("Gamma:"), c, &m_gamma, 1, -100, 100, 0, true, 5),
        m_param[1] = new NumGroupParameter<int>("Start", tr("Start:"), c, &m_start, 1, 0, 100, 0, true, 5),
        m_param[2] = new NumGroupParameter<int>("End", tr("End:"), c, &m_end, 1, 0, 100, 100, true, 5),
        m_param[3] = new NumGroupParameter<int>("Minimum", tr("Minimum:"), c, &m_minimum, 1, 0, 100, 0, true, 5),
        m_param[4] = new NumGroupParameter<int>("Maximum", tr("Maximum:"), c, &m_maximum, 1, 0, 100, 100, true, 5),
    }});
    *c->helpItem() = HelpItem(
        tr(QT_TRANSLATE_NOOP("QObject", "GammaCurve")),
        tr("The node generates a curve for gamma correction."),
        {HelpLink(tr("Gamma Correction"),
                  QUrl(QStringLiteral("https://en.wikipedia.org/wiki/Gamma_correction")))});

    c->paramCallbacks().append(ParameterCallback{&paramChangeCallback<NodeGammaCurve>, this});
    updateView();
}

NodeGammaCurve::~NodeGammaCurve() = default;

QPainterPath NodeGammaCurve::pathCurve() const
{
    return m_curve.path();
}

void NodeGammaCurve::updateView()
{
    m_curve = Gamma(gammaExpFrom(m_gamma), transformToRealOne(m_start, 0, 100),
                    transformToRealOne(m_end, 0, 100), transformToRealOne(m_minimum, 0, 100),
                    transformToRealOne(m_maximum, 0, 100));
}

void NodeGammaCurve::paramChanged(Parameter* /*changed*/)
{
    // A null parameter follows a document load: the loaded values must reach the curve too.
    updateView();
}

Parameter* NodeGammaCurve::parameterOfInput(QString const& terminalName) const
{
    for (int i = 0; i < 5; ++i) {
        if (terminalName == QLatin1String(gammaInputNames[i]))
            return m_param[i];
    }
    return nullptr;
}

int NodeGammaCurve::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    // Greyed out whatever the peer offers: the curve reads only the settings.
    if (Parameter* param = parameterOfInput(own->name()))
        param->setDisplayFlagZero(Parameter::DisplayEnabled);
    return KelNodes::Node::onConnect(own, peer);
}

void NodeGammaCurve::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    if (Parameter* param = parameterOfInput(own->name()))
        param->setDisplayFlagOne(Parameter::DisplayEnabled);
    KelNodes::Node::onDisconnect(own, peer);
}

} // namespace KelVyxNodes
