#pragma once

#include "effects/NodeOf.h"
#include "effects/math/ImageGeometryNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

#include <QPoint>
#include <QTransform>

namespace KelVyxNodes {

// Rotates the colour input by whole degrees about a point given in percent of the image's
// width and height; positions that fall outside the image are folded back by reflection at
// its first and last column and row.
class NodeRotate : public NodeOf<NodeRotate, ImageGeometryNode>
{
public:
    explicit NodeRotate(int id);
    ~NodeRotate() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    // 0x808080 while "rgbIn" is unlinked or no image size is known.
    unsigned int getSample3(QPoint const& point) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    // The coordinate folded into 0..side - 1 by reflection at both ends (the end pixels are
    // not repeated); 0 for a side of 1 or less.
    static int reflect(long long coordinate, int side);
    // The rotation point's pixel on a side for a percentage: (side - 1) x percent / 100,
    // halves up, in single precision.
    static int pivot(int side, int percent);

    QTransform const& transform() const { return m_transform; }

protected:
    // The sampling transform of this render.
    void onImageSize() override;

private:
    // Where the input is read for output point (x, y).
    QPoint sourcePoint(int x, int y) const;

    KelNodes::NodeParameterContainer m_container;
    int m_pointX = 50;
    int m_pointY = 50;
    int m_angle = 0;
    QTransform m_transform;
};

} // namespace KelVyxNodes
