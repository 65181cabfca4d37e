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

// "Deform": reads "in" at a point moved along x and y by the brightness of the "x" and "y"
// maps, scaled by the deformation strength. Points pushed past an edge read the edge pixel.
class NodeLookup : public NodeOf<NodeLookup, ImageGeometryNode>
{
public:
    explicit NodeLookup(int id);
    ~NodeLookup() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    // 0x808080 while "in" is unlinked; "in" unchanged until a render had an image.
    unsigned int getSample3(QPoint const& point) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    // The strength is editable while a displacement map is linked.
    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;

    // The moved coordinate for output coordinate `c` on a side, from the map colour's channel
    // sum (0..765): c + d + 0.5 truncated and held inside 0..side - 1, in single precision.
    static int displaced(int c, int side, float strength, unsigned int channelSum);

private:
    KelNodes::NodeParameterContainer m_container;
    VyxTerminal* m_xTerminal = nullptr;
    VyxTerminal* m_yTerminal = nullptr;
    Base3DGenerator const* m_xMap = nullptr;
    Base3DGenerator const* m_yMap = nullptr;
    float m_strength = 0.1f;
    KelUtils::NumGroupParameter<float>* m_strengthParam = nullptr;
};

} // namespace KelVyxNodes
