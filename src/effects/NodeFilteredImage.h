#pragma once

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/BytePairTable.h"
#include "effects/NodeOf.h"
#include "effects/VyxNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

#include <QImage>

#include <memory>

namespace KelVyxNodes {

// The destination node: what leaves the effect. Its row loop (filter) renders the graph into
// the destination image; read as a generator (the compound node's outputs, previews) it blends
// the effect's result over the source node by the graph's "opacity" and "blendMode", or passes
// the source through unchanged while the graph's "disable" is set.
class NodeFilteredImage : public NodeOf<NodeFilteredImage, VyxNode>, public Base1DGenerator, public Base3DGenerator
{
public:
    explicit NodeFilteredImage(int id);
    ~NodeFilteredImage() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelNodes::NodeParameterContainer* paramContainer() override { return &m_container; }
    KelNodes::NodeParameterContainer const* paramContainer() const override { return &m_container; }
    bool isStatic() const override { return true; }

    Base1DGenerator const* toBase1DGenerator() const override { return this; }
    Base3DGenerator const* toBase3DGenerator() const override { return this; }
    Base1DGenerator const* grayscaleGenerator() const override { return nullptr; }
    Base1DGenerator const* alphaGenerator() const override { return m_activeAlpha; }

    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;
    int onFilterStart(KelUtils::StatusObserver* observer) override;

    // The effect's colour blended over the source node's by the blend mode and opacity.
    unsigned int getSample3(QPoint const& point) const override;
    // The effect's alpha (the source node's when the effect has none) mixed by the opacity.
    unsigned int getSample(QPoint const& point) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;
    void getSpan(int y, int x, int count, unsigned int* out) const override;

    // The row loop of a render over the graph's rectangle, on the graph's render threads
    // (ParallelRows); 0, or -1 on failure/cancellation.
    int filter(KelUtils::StatusObserver* observer);

    QImage const& destinationImage() const { return m_image; }
    // Whether this render's read of the colour input costs only copies when repeated at the
    // row just read (PullRecord::keepsRows).
    bool colourReadKeepsRows() const { return m_colourReadKeepsRows; }
    int opacity() const { return m_opacityValue; }
    int blendMode() const { return m_blendModeValue; }

    // The graph-level blend of colour f over o (0x00RRGGBB each) by a "blendMode" item id and
    // an opacity 0..100, per channel with integer "+50" rounding. Ids outside the eight modes
    // give f unchanged.
    static unsigned int blendColour(int mode, unsigned int f, unsigned int o, int opacity);

private:
    // The colour the span path gives is the effect's own (bypassed: the source's).
    bool passesEffectUnblended() const;
    bool blendTableCurrent() const;

    KelNodes::NodeParameterContainer m_container;
    QImage m_image;
    QImage m_spare; // the result before m_image while someone else holds m_image
    Base3DGenerator const* m_activeColour = nullptr;
    Base1DGenerator const* m_activeAlpha = nullptr;
    Base3DGenerator const* m_inputColour = nullptr;
    Base1DGenerator const* m_inputAlpha = nullptr;
    Base3DGenerator const* m_originalColour = nullptr;
    Base1DGenerator const* m_originalAlpha = nullptr;
    int m_opacityValue = 100;
    int m_blendModeValue = 0;
    // The graph's "disable": the source passes through untouched.
    bool m_bypassed = false;
    bool m_colourReadKeepsRows = false;
    // blendColour's channel for each pair of an original and an effect byte at the table's
    // mode and opacity, shared by every destination node of the process that blends so: a table
    // of its own made each of a stack of many effects 64 KiB larger and slower to prepare.
    std::shared_ptr<BytePairTable const> m_blendTable;
    int m_tableMode = -1;
    int m_tableOpacity = -1;
};

} // namespace KelVyxNodes
