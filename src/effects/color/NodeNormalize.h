#pragma once

#include "effects/Base3DGenerator.h"
#include "effects/NodeOf.h"
#include "effects/color/ChannelByteTables.h"
#include "effects/VyxNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelVyxNodes {

// Stretches every channel by its own range, found by a sub-sampled scan of the image at every
// render. Until a scan completes every channel passes unchanged; mid grey while "rgbIn" is
// unlinked.
class NodeNormalize : public NodeOf<NodeNormalize, VyxNode>, public Base3DGenerator
{
public:
    // Minimum, maximum and stretch factor of red, green and blue; a factor of 0 passes the
    // channel unchanged.
    struct Statistics
    {
        int minimum[3] = {0, 0, 0};
        int maximum[3] = {255, 255, 255};
        float factor[3] = {0.0f, 0.0f, 0.0f};
    };

    explicit NodeNormalize(int id);
    ~NodeNormalize() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }
    Base3DGenerator const* toBase3DGenerator() const override { return this; }

    int onFilterStart(KelUtils::StatusObserver* observer) override;
    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;
    unsigned int getSample3(QPoint const& point) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    // Distance between sampled pixels along an image side: 1 up to 255, side / 256 up to 2303,
    // then 8.
    static int samplingStep(int size);
    // The stretch of one colour (0x??RRGGBB); 0x00RRGGBB.
    static unsigned int stretch(unsigned int rgb, Statistics const& statistics);
    // The statistics of the last completed scan (pass-through before the first).
    Statistics const& statistics() const { return m_statistics; }

private:
    void fillStretchTables();

    KelNodes::NodeParameterContainer m_container;
    VyxTerminal* m_inTerminal = nullptr;
    Base3DGenerator const* m_input = nullptr;
    Statistics m_statistics;
    // The stretch of each byte by m_statistics.
    ChannelByteTables m_stretched;
};

} // namespace KelVyxNodes
