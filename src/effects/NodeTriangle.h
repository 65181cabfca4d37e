#pragma once

#include "effects/BaseGeneratorNode.h"
#include "effects/NodeOf.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelUtils {
template <typename T> class NumGroupParameter;
}

namespace KelVyxNodes {

// A triangle or sawtooth wave along the image's x or y axis: each period rises from the zero
// level to the one level at "peak" and falls back. Read as colour it is grey.
class NodeTriangle : public NodeOf<NodeTriangle, BaseGeneratorNode>
{
public:
    explicit NodeTriangle(int id);
    ~NodeTriangle() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    // -1 when the graph has no picture to measure the period against.
    int onFilterStart(KelUtils::StatusObserver* observer) override;
    unsigned int getSample(QPoint const& point) const override;
    unsigned int getSample3(QPoint const& point) const override;
    void getSpan(int y, int x, int count, unsigned int* out) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;
    void paramChanged(KelUtils::Parameter* changed) override;

private:
    // The step from the picture size; false (step unchanged) without a picture.
    bool updateStep();

    KelNodes::NodeParameterContainer m_container;
    int m_dirAxis = 0;
    float m_freq = 1.0f;
    float m_peak = 0.5f;
    float m_phase = 0.0f;
    float m_phasePeriods = 0.0f;
    float m_step = 0.0f; // periods per pixel
    float m_zeroLevel = 0.0f;
    float m_oneLevel = 1.0f;
    KelUtils::NumGroupParameter<float>* m_zeroLevelParam = nullptr;
    KelUtils::NumGroupParameter<float>* m_oneLevelParam = nullptr;
    float m_risingSlope = 2.0f;
    float m_fallingSlope = -2.0f;
};

} // namespace KelVyxNodes
