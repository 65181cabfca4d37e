#pragma once

#include "effects/Base3DGeneratorNode.h"
#include "effects/NodeOf.h"
#include "effects/color/ChannelByteTables.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelUtils {
class ListParameter;
template <typename T> class NumGroupParameter;
}

namespace KelVyxNodes {

struct Histogram;
class VyxTerminal;

// The bin at which a running sum of histogram bins, from index 0 up or from size - 1 down,
// first reaches count; -1 when it never does. A count of 0 or less is reached at the first bin.
int upperValue(int const* histogram, int size, int count, bool fromTop);

// Sets black and white levels per channel from the image's histograms, discarding a threshold
// share (percent of the pixels) of the darkest and of the brightest pixels, and stretches each
// channel between them. The levels come from a scan of the whole image at every render; mid grey
// until the first completed scan or while "in" is unlinked.
class NodeAutolevels : public NodeOf<NodeAutolevels, Base3DGeneratorNode>
{
public:
    // Ids of the "mode" items.
    enum Mode { Default = 0, Custom = 1 };
    // Percent.
    static constexpr float DEFAULT_THRESHOLD = 0.05f;

    // Lower and upper level of red, green and blue.
    struct Levels
    {
        unsigned char low[3] = {0, 0, 0};
        unsigned char high[3] = {255, 255, 255};
    };

    explicit NodeAutolevels(int id);
    ~NodeAutolevels() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    int onFilterStart(KelUtils::StatusObserver* observer) override;
    unsigned int getSample3(QPoint const& point) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;
    // "Default" mode holds the threshold at DEFAULT_THRESHOLD with its editor disabled;
    // "Custom" enables the editor.
    void paramChanged(KelUtils::Parameter* changed) override;

    // The levels of every pixel of a width x height image (columns outer). Without input every
    // low level is 255 and every high level 0. When the observer cancels, *cancelled is set.
    Levels rgbMinAndMax(int width, int height, KelUtils::StatusObserver* observer,
                        bool* cancelled = nullptr) const;
    // Pixels to discard at each end: width x height x threshold / 100, truncated; a non-finite
    // threshold counts as DEFAULT_THRESHOLD.
    static int discardCount(float threshold, int width, int height);
    // The levels of the histogram for a discard count; a search that finds no level gives 0
    // (low) or 255 (high).
    static Levels levelsOf(Histogram const& histogram, int count);
    // The stretch of one colour (0x??RRGGBB); 0x00RRGGBB.
    static unsigned int stretch(unsigned int rgb, Levels const& levels);

    Levels const& levels() const { return m_levels; }
    float threshold() const { return m_threshold; }

private:
    KelNodes::NodeParameterContainer m_container;
    VyxTerminal* m_inTerminal = nullptr;
    Base3DGenerator const* m_input = nullptr;
    int m_width = 0;
    int m_height = 0;
    bool m_prepared = false;
    Levels m_levels;
    // The stretch of each byte by m_levels.
    ChannelByteTables m_stretched;
    int m_mode = Default;
    float m_threshold = DEFAULT_THRESHOLD;
    KelUtils::NumGroupParameter<float>* m_thresholdParam = nullptr;
};

} // namespace KelVyxNodes
