#pragma once

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/NodeOf.h"
#include "effects/VyxNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelUtils {
class ListParameter;
template <typename T> class NumGroupParameter;
}

namespace KelVyxNodes {

class VyxTerminal;

// Turns the colour of "rgb" into one grey value by the "conversion" mode, offered as one
// channel ("out") and as a grey colour ("out3d"); 128 while "rgb" is unlinked.
class NodeGrayscale : public NodeOf<NodeGrayscale, VyxNode>, public Base1DGenerator, public Base3DGenerator
{
public:
    // Ids of the "conversion" items.
    enum Conversion {
        RgbAverage = 0,
        Luminance709 = 1,
        RedChannel = 2,
        GreenChannel = 3,
        BlueChannel = 4,
        MaxComponent = 5,
        BlackWhiteNegative = 6,
        Custom = 7
    };

    explicit NodeGrayscale(int id);
    ~NodeGrayscale() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    Base1DGenerator const* toBase1DGenerator() const override { return this; }
    Base3DGenerator const* toBase3DGenerator() const override { return this; }

    unsigned int getSample(QPoint const& point) const override;
    unsigned int getSample3(QPoint const& point) const override;
    void getSpan(int y, int x, int count, unsigned int* out) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;
    int onFilterStart(KelUtils::StatusObserver* observer) override;

    // The weights are editable exactly while "conversion" is Custom.
    void paramChanged(KelUtils::Parameter* changed) override;
    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;

private:
    unsigned int grey(unsigned int colour) const;

    KelNodes::NodeParameterContainer m_container;
    // Weight times channel value, per channel, for the weighted conversions (onFilterStart).
    float m_products[3][256] = {};
    VyxTerminal* m_rgbTerminal = nullptr;
    Base3DGenerator const* m_colourInput = nullptr;
    int m_conversion = RgbAverage;
    float m_weight[3] = {0.2126f, 0.7152f, 0.0722f};
    KelUtils::NumGroupParameter<float>* m_weightParam[3] = {nullptr, nullptr, nullptr};
    KelUtils::ListParameter* m_conversionParam = nullptr;
};

} // namespace KelVyxNodes
