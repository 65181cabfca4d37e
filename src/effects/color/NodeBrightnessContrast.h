#pragma once

#include "effects/Base3DGeneratorNode.h"
#include "effects/BytePairTable.h"
#include "effects/ClassicColor.h"
#include "effects/NodeOf.h"
#include "effects/color/ChannelByteTables.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelUtils {
template <typename T> class NumGroupParameter;
}

namespace KelVyxNodes {

class VyxTerminal;

// One channel (0..255) spread about mid grey by k squared:
// (k k (c / 255 - 0.5) + 0.5) x 255, at most 255, truncated, 0 when not above 0.
int contrastChannel(int c, double k);
// contrastChannel on red, green and blue with their own factors; the top byte is kept.
unsigned int contrast(unsigned int rgb, double kRed, double kGreen, double kBlue);
// Scales the HSV value of 0x??RRGGBB by factor (held to 0..1); the result is opaque (0xFF top byte).
unsigned int brightness(unsigned int rgb, double factor);

// Contrast about mid grey, then brightness as a scale of the HSV value. "contrast" (per channel)
// and "brightness" inputs take the place of their parameters while linked; mid grey while "in"
// is unlinked.
class NodeBrightnessContrast : public NodeOf<NodeBrightnessContrast, Base3DGeneratorNode>
{
public:
    explicit NodeBrightnessContrast(int id);
    ~NodeBrightnessContrast() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    unsigned int getSample3(QPoint const& point) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;
    int onFilterStart(KelUtils::StatusObserver* observer) override;

    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;

private:
    // The contrast of rgb by the factors of a "contrast" input colour q.
    static unsigned int contrastBy(unsigned int rgb, unsigned int q);
    // The brightness factor of a "brightness" input colour.
    static double factorOf(unsigned int rgb);

    KelNodes::NodeParameterContainer m_container;
    VyxTerminal* m_inTerminal = nullptr;
    VyxTerminal* m_contrastTerminal = nullptr;
    VyxTerminal* m_brightnessTerminal = nullptr;
    Base3DGenerator const* m_input = nullptr;
    Base3DGenerator const* m_brightnessSource = nullptr;
    Base3DGenerator const* m_contrastSource = nullptr;
    int m_contrast = 0;
    int m_brightness = 0;
    KelUtils::NumGroupParameter<int>* m_contrastParam = nullptr;
    KelUtils::NumGroupParameter<int>* m_brightnessParam = nullptr;
    // The render's brightness scale and contrast of each byte, from the settings.
    ClassicColor::ValueScale m_valueScale;
    ChannelByteTables m_contrastTable;
    // contrastBy's channel for each pair of a "contrast" byte and a colour byte (index contrast
    // byte * 256 + colour byte), made at the first render with a linked "contrast".
    BytePairTable m_contrastPairs;
};

} // namespace KelVyxNodes
