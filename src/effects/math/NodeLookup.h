#pragma once

#include "effects/Base3DGenerator.h"
#include "effects/VyxNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelUtils {
template <typename T> class NumGroupParameter;
}

namespace KelVyxNodes {

class VyxTerminal;

// "Deform": reads "in" at a point moved along x and y by the brightness of the "x" and "y"
// maps, scaled by the deformation strength. Points pushed past an edge read the edge pixel.
class NodeLookup : public VyxNode, public Base3DGenerator
{
public:
    explicit NodeLookup(int id);
    ~NodeLookup() override;

    static KelNodes::NodeDescriptor m_descriptor;
    static KelNodes::Node* create(int uid);

    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
    void* objectPtr() override { return this; }
    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    Base3DGenerator const* toBase3DGenerator() const override { return this; }

    // Records the image size; without an image the node passes "in" through until a render
    // has one.
    int onFilterStart(KelUtils::StatusObserver* observer) override;
    // 0x808080 while "in" is unlinked.
    unsigned int getSample3(QPoint const& point) const override;

    // The strength is editable while a displacement map is linked.
    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;

    // The moved coordinate for output coordinate `c` on a side, from the map colour's channel
    // sum (0..765): c + d + 0.5 truncated and held inside 0..side - 1, in single precision.
    static int displaced(int c, int side, float strength, unsigned int channelSum);

private:
    KelNodes::NodeParameterContainer m_container;
    VyxTerminal* m_inTerminal = nullptr;
    VyxTerminal* m_xTerminal = nullptr;
    VyxTerminal* m_yTerminal = nullptr;
    Base3DGenerator const* m_input = nullptr;
    Base3DGenerator const* m_xMap = nullptr;
    Base3DGenerator const* m_yMap = nullptr;
    float m_strength = 0.1f;
    KelUtils::NumGroupParameter<float>* m_strengthParam = nullptr;
    int m_imageWidth = -1;
    int m_imageHeight = -1;
};

} // namespace KelVyxNodes
