#pragma once

#include "effects/Base3DGeneratorNode.h"
#include "effects/NodeOf.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"
#include "params/Color.h"

#include <QPoint>

namespace KelUtils {
class ColorParameter;
class Parameter;
template <typename T> class NumGroupParameter;
}

namespace KelVyxNodes {

class VyxTerminal;

// A checker-board of two colours, each a colour parameter or, while linked, the colour of
// "color1" / "color2". The counts per line and column divide the image's sides ("Proportional")
// or its shorter side into cells; a count of 0 leaves its axis undivided. With "Solid fill" a
// linked input is sampled at its cell's centre, so one source on both inputs pixelates it.
class NodeChecker : public NodeOf<NodeChecker, Base3DGeneratorNode>
{
public:
    explicit NodeChecker(int id);
    ~NodeChecker() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    // Image and cell sizes of this render; -1 when the observer cancels (the sizes are kept).
    // Without an image the node answers mid grey until a render has one.
    int onFilterStart(KelUtils::StatusObserver* observer) override;
    // The solid fill reads the input at its cell's centre.
    InputRead inputRead() const override { return InputRead::AtOtherPoints; }
    unsigned int getSample3(QPoint const& point) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;
    void paramChanged(KelUtils::Parameter* changed) override;

    // Cell sizes of the last preparation; 0 on an undivided axis, -1 before any image.
    int cellWidth() const { return m_cellWidth; }
    int cellHeight() const { return m_cellHeight; }

private:
    // A sample point's coordinate on one axis: the cell's centre held inside the side, or 0 on
    // an undivided axis.
    static int cellCentre(int coordinate, int cell, int side);
    void refreshPacked();
    // False without an image, or with more cells than pixels: the node is grey then.
    bool hasCells() const;
    // Whether the point lies in a cell of the first colour.
    bool inFirstCell(QPoint const& point) const;
    // Where the colour inputs are read for the point: the point, or its cell's centre.
    QPoint readPoint(QPoint const& point) const;
    // One colour (an input, else the packed parameter) at the read points of a span.
    void colourSpan(Base3DGenerator const* input, unsigned int packed, int y, int x, int count,
                    unsigned int* out) const;

    KelNodes::NodeParameterContainer m_container;
    VyxTerminal* m_color1Terminal = nullptr;
    VyxTerminal* m_color2Terminal = nullptr;
    Base3DGenerator const* m_input1 = nullptr;
    Base3DGenerator const* m_input2 = nullptr;
    int m_perLine = 8;
    int m_perColumn = 8;
    int m_solidFill = 0;
    int m_proportional = 1;
    KelUtils::Color m_colour1{1.0f, 1.0f, 1.0f, 1.0f};
    KelUtils::Color m_colour2{0.0f, 0.0f, 0.0f, 1.0f};
    unsigned int m_packed1 = 0xFFFFFFu;
    unsigned int m_packed2 = 0x000000u;
    int m_imageWidth = -1;
    int m_imageHeight = -1;
    int m_cellWidth = -1;
    int m_cellHeight = -1;
    KelUtils::ColorParameter* m_colour1Param = nullptr;
    KelUtils::ColorParameter* m_colour2Param = nullptr;
    KelUtils::NumGroupParameter<int>* m_solidFillParam = nullptr;
};

} // namespace KelVyxNodes
