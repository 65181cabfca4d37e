#pragma once

#include "effects/Base3DGeneratorNode.h"
#include "effects/NodeOf.h"
#include "effects/color/ChannelByteTables.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

#include <utility>

namespace KelVyxNodes {

class VyxTerminal;

// Stretches all three channels by one common range: the darkest channel value of the image
// raised by 12 levels up to 95 % of the brightest one. The statistics come from a scan of the
// whole image at every render; mid grey until the first completed scan or while "in" is unlinked.
class NodeAutocontrast : public NodeOf<NodeAutocontrast, Base3DGeneratorNode>
{
public:
    static constexpr double LEFT_THRESHOLD = 0.05;
    static constexpr double RIGHT_THRESHOLD = 0.95;

    explicit NodeAutocontrast(int id);
    ~NodeAutocontrast() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    int onFilterStart(KelUtils::StatusObserver* observer) override;
    unsigned int getSample3(QPoint const& point) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;

    // (darkest, brightest) channel value over every pixel of a width x height image, columns
    // outer; (0, 0) without input or when the observer cancels (then *cancelled is set).
    std::pair<int, int> rgbMinAndMax(int width, int height, KelUtils::StatusObserver* observer,
                                     bool* cancelled = nullptr) const;
    // The stretch of one colour (0x??RRGGBB) for the given statistics; 0x00RRGGBB.
    static unsigned int stretch(unsigned int rgb, int darkest, int brightest);

private:
    KelNodes::NodeParameterContainer m_container;
    VyxTerminal* m_inTerminal = nullptr;
    Base3DGenerator const* m_input = nullptr;
    int m_width = 0;
    int m_height = 0;
    bool m_prepared = false;
    unsigned char m_darkest = 0;
    unsigned char m_brightest = 0;
    // The stretch of each byte by the statistics above.
    ChannelByteTables m_stretched;
};

} // namespace KelVyxNodes
