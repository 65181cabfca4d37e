#pragma once

#include "effects/Base3DGenerator.h"
#include "effects/VyxNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelVyxNodes {

class VyxTerminal;

// Mirrors the colour input horizontally and/or vertically and shifts it by a percentage of the
// image size; the strip the shift uncovers shows the moved image mirrored about the seam.
class NodeFlip : public VyxNode, public Base3DGenerator
{
public:
    explicit NodeFlip(int id);
    ~NodeFlip() override;

    static KelNodes::NodeDescriptor m_descriptor;
    static KelNodes::Node* create(int uid);

    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
    void* objectPtr() override { return this; }
    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    Base3DGenerator const* toBase3DGenerator() const override { return this; }

    // Image size and the shifts in pixels; without an image the node passes its input through
    // until a render has one.
    int onFilterStart(KelUtils::StatusObserver* observer) override;
    // 0x808080 while "rgbIn" is unlinked.
    unsigned int getSample3(QPoint const& point) const override;

    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;

    // Shifts in pixels for a side and a percentage: horizontal halves up, vertical rounded down.
    static int horizontalShift(int side, int percent);
    static int verticalShift(int side, int percent);
    // The source coordinate of output coordinate `c` on a side with the given shift.
    static int sourceCoordinate(int c, int side, int shift, bool flip);

    int shiftX() const { return m_shiftX; }
    int shiftY() const { return m_shiftY; }

private:
    KelNodes::NodeParameterContainer m_container;
    VyxTerminal* m_inTerminal = nullptr;
    Base3DGenerator const* m_input = nullptr;
    int m_flipHor = 1;
    int m_flipVert = 1;
    int m_shiftHor = 0;
    int m_shiftVer = 0;
    int m_imageWidth = -1;
    int m_imageHeight = -1;
    int m_shiftX = 0;
    int m_shiftY = 0;
};

} // namespace KelVyxNodes
