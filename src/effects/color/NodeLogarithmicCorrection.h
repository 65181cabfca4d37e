#pragma once

#include "effects/Base3DGenerator.h"
#include "effects/NodeOf.h"
#include "effects/PerRenderThreadState.h"
#include "effects/VyxNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelVyxNodes {

class VyxNodeGraph;

// Replaces the HSL lightness L of every pixel by log10(L + 1) x "Filter Value" / 10, keeping hue
// and saturation; mid grey while "rgbIn" is unlinked.
class NodeLogarithmicCorrection : public NodeOf<NodeLogarithmicCorrection, VyxNode>, public Base3DGenerator
{
public:
    explicit NodeLogarithmicCorrection(int id, QString const& name = QString(),
                                       VyxNodeGraph* graph = nullptr);
    ~NodeLogarithmicCorrection() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }
    Base3DGenerator const* toBase3DGenerator() const override { return this; }

    int onFilterStart(KelUtils::StatusObserver* observer) override;
    unsigned int getSample3(QPoint const& point) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;

    // The correction of one colour (0x??RRGGBB) at a filter value; the result is 0x00RRGGBB.
    static unsigned int correct(unsigned int rgb, int filterValue);
    // The corrected lightness (0..1) for a lightness at a filter value.
    static double lightnessFor(double lightness, int filterValue);

private:
    KelNodes::NodeParameterContainer m_container;
    VyxTerminal* m_inTerminal = nullptr;
    Base3DGenerator const* m_input = nullptr;
    int m_filterValue = 10;
    // Corrected lightnesses by lightness word (key: word + 1, 0 for none), slot word >> 7.
    struct LightnessMemo
    {
        unsigned int key[512];
        double value[512];
    };
    mutable PerRenderThreadState<LightnessMemo> m_memo;
};

} // namespace KelVyxNodes
