#pragma once

#include "effects/NodeOf.h"
#include "effects/math/ImageGeometryNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelVyxNodes {

// Mirrors the colour input horizontally and/or vertically and shifts it by a percentage of the
// image size; the strip the shift uncovers shows the moved image mirrored about the seam.
class NodeFlip : public NodeOf<NodeFlip, ImageGeometryNode>
{
public:
    explicit NodeFlip(int id);
    ~NodeFlip() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    // 0x808080 while "rgbIn" is unlinked; the input unchanged until a render had an image.
    unsigned int getSample3(QPoint const& point) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    // Shifts in pixels for a side and a percentage: horizontal halves up, vertical rounded down.
    static int horizontalShift(int side, int percent);
    static int verticalShift(int side, int percent);
    // The source coordinate of output coordinate `c` on a side with the given shift.
    static int sourceCoordinate(int c, int side, int shift, bool flip);

    int shiftX() const { return m_shiftX; }
    int shiftY() const { return m_shiftY; }

protected:
    // The shifts in pixels.
    void onImageSize() override;

private:
    KelNodes::NodeParameterContainer m_container;
    int m_flipHor = 1;
    int m_flipVert = 1;
    int m_shiftHor = 0;
    int m_shiftVer = 0;
    int m_shiftX = 0;
    int m_shiftY = 0;
};

} // namespace KelVyxNodes
