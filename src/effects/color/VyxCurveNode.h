#pragma once

#include "effects/VyxNode.h"

class QPainterPath;

namespace KelVyxNodes {

// Base of nodes whose output is a curve: the preview picture shows the curve.
class VyxCurveNode : public VyxNode
{
public:
    explicit VyxCurveNode(int id);
    ~VyxCurveNode() override;

    // The curve in the unit square, x rightwards and y downwards.
    virtual QPainterPath pathCurve() const = 0;

    // Draws the curve in green into the largest centred square of the picture, framed in
    // black; 0 (a null picture only asks whether there is a preview).
    int getPreview(QImage* picture) const override;
    // Drawn from the curve, not sampled: the view asks for it directly.
    bool previewIsSampled() const override { return false; }
};

} // namespace KelVyxNodes
