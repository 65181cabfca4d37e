#pragma once

#include "effects/Base3DGeneratorNode.h"
#include "effects/NodeOf.h"
#include "effects/color/ChannelByteTables.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelVyxNodes {

struct Histogram;
class VyxTerminal;

// Equalises the histogram of each channel: a level becomes 255 times the share of the image's
// pixels at or below it in that channel, rounded. The tables come from a scan of the whole image
// at every render; an unlinked "in" fails the render's preparation; mid grey until the first
// completed scan or while "in" is unlinked.
class NodeEqualize : public NodeOf<NodeEqualize, Base3DGeneratorNode>
{
public:
    // Per channel (red, green, blue) and level: 255 x the share at or below it, plus one half.
    using Tables = double[3][256];

    explicit NodeEqualize(int id);
    ~NodeEqualize() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    int onFilterStart(KelUtils::StatusObserver* observer) override;
    unsigned int getSample3(QPoint const& point) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;

    // Scans every pixel of a width x height image (columns outer) and fills the tables; false,
    // with the tables unchanged, when the observer cancels.
    bool prepare(int width, int height, KelUtils::StatusObserver* observer);
    // The tables from the pixel counts per level of a width x height image. Every pixel adds the
    // same share, (1 / width) / height, to its bin, so the bins depend only on the counts and
    // not on the order of a scan.
    static void buildTables(Histogram const& counts, int width, int height, Tables& tables);
    Tables const& tables() const { return m_tables; }

private:
    KelNodes::NodeParameterContainer m_container;
    VyxTerminal* m_inTerminal = nullptr;
    Base3DGenerator const* m_input = nullptr;
    int m_width = 0;
    int m_height = 0;
    bool m_prepared = false;
    Tables m_tables = {};
    // The bytes of m_tables.
    ChannelByteTables m_levelBytes;
};

} // namespace KelVyxNodes
