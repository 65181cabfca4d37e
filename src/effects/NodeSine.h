#pragma once

#include "effects/BaseGeneratorNode.h"
#include "effects/NodeOf.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelVyxNodes {

// A cosine wave along the image's x or y axis, offset + amplitude x cos(k x coord + phase),
// with "freq" periods over the picture's width or height. Read as colour it is grey.
class NodeSine : public NodeOf<NodeSine, BaseGeneratorNode>
{
public:
    explicit NodeSine(int id);
    ~NodeSine() override;

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
    // k from the picture size; false (k unchanged) without a picture.
    bool updateStep();

    KelNodes::NodeParameterContainer m_container;
    float m_amplitude = 0.5f;
    float m_offset = 0.5f;
    int m_dirAxis = 0;
    float m_freq = 1.0f;
    float m_phase = 0.0f;
    float m_phaseRadians = 0.0f;
    float m_k = 0.0f; // radians per pixel
};

} // namespace KelVyxNodes
