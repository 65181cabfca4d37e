#pragma once

#include "effects/NodeOf.h"
#include "effects/color/BaseCurveGenerator.h"
#include "effects/color/Gamma.h"
#include "effects/color/VyxCurveNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelUtils {
class Parameter;
}

namespace KelVyxNodes {

// A gamma tone curve from five integer settings: "Gamma" (-100..100) and the percent windows
// "Start".."End" (input) and "Minimum".."Maximum" (output). It renders no pixels: its curve
// output links to nothing, and what it gives is its preview and its curve interface.
class NodeGammaCurve : public NodeOf<NodeGammaCurve, VyxCurveNode>, public BaseCurveGenerator
{
public:
    explicit NodeGammaCurve(int id);
    ~NodeGammaCurve() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    double valueAt(double x) const override { return m_curve.valueAt(x); }
    BaseCurveGenerator const* toBaseCurveGenerator() const override { return this; }
    QPainterPath pathCurve() const override;

    Gamma const& curve() const { return m_curve; }

    // Rebuilds the curve, also for a null parameter (after a document load).
    void paramChanged(KelUtils::Parameter* changed) override;
    // A link to one of the five inputs greys out the setting of the same name.
    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;

    void updateView();

private:
    KelUtils::Parameter* parameterOfInput(QString const& terminalName) const;

    KelNodes::NodeParameterContainer m_container;
    int m_gamma = 0;
    int m_start = 0;
    int m_end = 100;
    int m_maximum = 100;
    int m_minimum = 0;
    Gamma m_curve;
    // Gamma, Start, End, Minimum, Maximum: the terminal and parameter order.
    KelUtils::Parameter* m_param[5] = {nullptr, nullptr, nullptr, nullptr, nullptr};
};

} // namespace KelVyxNodes
