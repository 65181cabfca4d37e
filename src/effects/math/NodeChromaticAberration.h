#pragma once

#include "effects/NodeOf.h"
#include "effects/math/ImageGeometryNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelUtils {
template <typename T> class NumGroupParameter;
}

namespace KelVyxNodes {

class VyxTerminal;

// Colour fringes of a lens: red stays, green comes from a point down and to the right, blue
// from one up and to the left. The offset is fixed by "strength", or scaled per pixel by the
// brightness of the "aber" map when that is linked.
class NodeChromaticAberration : public NodeOf<NodeChromaticAberration, ImageGeometryNode>
{
public:
    explicit NodeChromaticAberration(int id);
    ~NodeChromaticAberration() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    // 0x808080 while "in" is unlinked; "in" unchanged until a render had an image.
    unsigned int getSample3(QPoint const& point) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    // Null: take the image size when the graph has an image; both recompute the offsets.
    void paramChanged(KelUtils::Parameter* changed) override;
    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;
    InputRead inputRead() const override { return InputRead::Repeatedly; }

    // strength x 0.05, and that rounded to whole pixels.
    float offsetFactor() const { return m_factor; }
    int fixedOffset() const { return m_offset; }

private:
    // The points green and blue are read from for an output point, shifted by the strength or by
    // `aber` (the "aber" input's colour there, when linked).
    void offsetPoints(QPoint const& point, unsigned int aber, QPoint& plus, QPoint& minus) const;

    KelNodes::NodeParameterContainer m_container;
    VyxTerminal* m_aberTerminal = nullptr;
    Base3DGenerator const* m_aber = nullptr;
    int m_strength = 20;
    KelUtils::NumGroupParameter<int>* m_strengthParam = nullptr;
    float m_factor = 1.0f;
    int m_offset = 1;
};

} // namespace KelVyxNodes
