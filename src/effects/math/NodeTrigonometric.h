#pragma once

#include "effects/BaseGeneratorNode.h"
#include "effects/NodeOf.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

#include <array>

namespace KelVyxNodes {

// "Trigonometric Curve": maps channel values through a 256-entry curve of one of six
// trigonometric functions at an adjustable frequency; with a colour input only the channels
// whose switch is on. The curve is built at every preparation (and from the defaults at
// construction, so that a preview before the first render shows a real curve).
class NodeTrigonometric : public NodeOf<NodeTrigonometric, BaseGeneratorNode>
{
public:
    // Ids of the "function" items.
    enum Function { Sine = 0, Cosine = 1, Tangent = 2, Cotangent = 3, Secant = 4, Cosecant = 5 };

    using Curve = std::array<unsigned char, 256>;

    explicit NodeTrigonometric(int id);
    ~NodeTrigonometric() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    int onFilterStart(KelUtils::StatusObserver* observer) override;
    unsigned int getSample(QPoint const& point) const override;
    unsigned int getSample3(QPoint const& point) const override;
    void getSpan(int y, int x, int count, unsigned int* out) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    // The curve of `function` at `frequency`, entry i for channel value i.
    static Curve buildCurve(int function, float frequency);
    Curve const& curve() const { return m_curve; }

private:
    unsigned int curveColour(unsigned int c) const;

    KelNodes::NodeParameterContainer m_container;
    int m_function = Sine;
    float m_frequency = 1.0f;
    int m_applyRed = 1;
    int m_applyGreen = 1;
    int m_applyBlue = 1;
    Curve m_curve{};
};

} // namespace KelVyxNodes
