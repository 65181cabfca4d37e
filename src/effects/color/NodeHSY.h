#pragma once

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/NodeOf.h"
#include "effects/VyxNode.h"
#include "effects/color/ColourAlphaInputs.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelVyxNodes {

class VyxTerminal;

// Adds "Hue" (degrees), "Saturation" and "Brightness" (luma) to the colour of "rgb" in the HSY
// model, each result held to its range (the hue does not wrap), and adds "Alpha" to the
// channel of "alpha". Unlinked inputs give mid grey and 128.
class NodeHSY : public NodeOf<NodeHSY, VyxNode>, public Base1DGenerator, public Base3DGenerator
{
public:
    explicit NodeHSY(int id);
    ~NodeHSY() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    Base1DGenerator const* toBase1DGenerator() const override { return this; }
    Base3DGenerator const* toBase3DGenerator() const override { return this; }

    // The adjusted colour 0x00RRGGBB.
    unsigned int getSample3(QPoint const& point) const override;
    // The offset alpha 0..255.
    unsigned int getSample(QPoint const& point) const override;
    void getSpan(int y, int x, int count, unsigned int* out) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;

private:
    // The settings as the conversion adds them, read once per point or span.
    struct Shifts
    {
        double hue;
        double saturation;
        double brightness;
    };
    Shifts shifts() const;
    static unsigned int adjusted(unsigned int rgb, Shifts const& shifts);

    KelNodes::NodeParameterContainer m_container;
    ColourAlphaInputs m_inputs;
    int m_hueShift = 0;
    float m_saturationShift = 0.0f;
    float m_brightnessShift = 0.0f;
    int m_alphaOffset = 255;
};

} // namespace KelVyxNodes
