#pragma once

#include "effects/BaseGeneratorNode.h"
#include "effects/NodeOf.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"
#include "params/Color.h"

#include <QPoint>

#include <vector>

namespace KelUtils {
class ColorParameter;
}

namespace KelVyxNodes {

// A frame laid over the content on "in". A superellipse centred in the image (half-axes
// border x side / 2, shaped by the rounding exponents) sorts every point by its shape value v:
// content where v <= 1 - rim width, rim up to v = 1, frame beyond. Rim and frame take their
// colours from "rim" / "frame" or the parameters, and with "transparent" on they are blended
// over the content by (v - (1 - rim width))^(1/4). "distort" shifts v by its brightness;
// "inner" and "outer" give the undistorted content area as masks.
class NodeFrame : public NodeOf<NodeFrame, BaseGeneratorNode>
{
public:
    explicit NodeFrame(int id);
    ~NodeFrame() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    // Image size and packed rim and frame colours of this render. Without an image the node
    // shows its content (and "inner" is 255 everywhere) until a render has one.
    int onFilterStart(KelUtils::StatusObserver* observer) override;
    unsigned int getSample3(QPoint const& point) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;
    // The one-channel face of "out" carries nothing: 0 everywhere. The masks are on "inner"
    // and "outer".
    unsigned int getSample(QPoint const& point) const override;
    void getSpan(int y, int x, int count, unsigned int* out) const override;

    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;

    bool hasImageSize() const { return m_imageWidth > 0 && m_imageHeight > 0; }
    // The shape value of a point (0 at the centre, 1 on the curve); 0 while no image size is
    // known.
    float value(QPoint const& point) const;
    bool isContent(float v) const;
    bool isRim(float v) const;
    bool isFrame(float v) const;
    // Whether the point lies on the content, without distortion: the masks' question.
    bool contentAt(QPoint const& point) const;
    // contentAt for the points of a span: `inside` where it holds, else `outside`.
    void contentSpan(int y, int x, int count, unsigned int inside, unsigned int outside, unsigned int* out) const;

private:
    // One axis' term of the shape value.
    static double term(long long offset, int side, float border, float rounding);
    unsigned int contentColour(QPoint const& point) const;
    unsigned int outerColour(QPoint const& point, float v) const;
    // value() of the points of a span (the image size is known).
    void valueSpan(int y, int x, int count, float* out) const;
    // The colour at shape value v (distortion applied): content() and outer() give the colours
    // there, asked only where needed.
    template <class Content, class Outer>
    unsigned int colourAt(float v, Content content, Outer outer) const;

    // Per render: term() of every column of the image, for the width and horizontal settings
    // noted beside it.
    std::vector<double> m_columnTerms;
    int m_termsWidth = -1;
    float m_termsBorder = 0.0f;
    float m_termsRounding = 0.0f;

    KelNodes::NodeParameterContainer m_container;
    int m_imageWidth = -1;
    int m_imageHeight = -1;
    unsigned int m_rimPacked = 0;
    unsigned int m_framePacked = 0;
    float m_hBorder = 0.9f;
    float m_vBorder = 0.9f;
    float m_hRounding = 0.5f;
    float m_vRounding = 0.5f;
    float m_rimWidth = 0.0f;
    KelUtils::Color m_rimColour{0.0f, 0.0f, 0.0f, 1.0f};
    KelUtils::Color m_frameColour{0.0f, 0.0f, 0.0f, 1.0f};
    int m_transparent = 1;
    KelUtils::ColorParameter* m_rimParam = nullptr;
    KelUtils::ColorParameter* m_frameParam = nullptr;
    VyxTerminal* m_frameTerminal = nullptr;
    VyxTerminal* m_rimTerminal = nullptr;
    VyxTerminal* m_distortTerminal = nullptr;
    Base3DGenerator const* m_frameInput = nullptr;
    Base3DGenerator const* m_rimInput = nullptr;
    Base3DGenerator const* m_distortInput = nullptr;
};

} // namespace KelVyxNodes
