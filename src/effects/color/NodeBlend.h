#pragma once

#include "effects/Base3DGenerator.h"
#include "effects/BytePairTable.h"
#include "effects/NodeOf.h"
#include "effects/VyxNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"
#include "params/Color.h"

namespace KelUtils {
class ColorParameter;
class Parameter;
template <typename T> class NumGroupParameter;
}

namespace KelVyxNodes {

class Base1DGenerator;

// Blends a foreground over a background colour by one of nineteen modes and an opacity. Each
// input may be linked or left open: an open "foreground" or "background" reads its colour
// parameter, an open "opacity" the "Opacity" percentage.
class NodeBlend : public NodeOf<NodeBlend, VyxNode>, public Base3DGenerator
{
public:
    explicit NodeBlend(int uid);
    ~NodeBlend() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    Base1DGenerator const* toBase1DGenerator() const override { return nullptr; }
    Base3DGenerator const* toBase3DGenerator() const override { return this; }

    unsigned int getSample3(QPoint const& point) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    // Keeps the open inputs' bytes current; sampling reads only those.
    void paramChanged(KelUtils::Parameter* changed) override;
    int onFilterStart(KelUtils::StatusObserver* observer) override;
    void resolveInputs() override;
    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;

private:
    void refreshOpenInputs();

    KelNodes::NodeParameterContainer m_container;
    VyxTerminal* m_foregroundTerminal = nullptr;
    VyxTerminal* m_backgroundTerminal = nullptr;
    VyxTerminal* m_opacityTerminal = nullptr;

    Base3DGenerator const* m_foregroundSource = nullptr;
    Base3DGenerator const* m_backgroundSource = nullptr;
    Base1DGenerator const* m_opacitySource = nullptr;

    KelUtils::Color m_background;
    KelUtils::Color m_foreground;
    int m_opacity = 100;
    int m_mode = 0;

    KelUtils::ColorParameter* m_foregroundParam = nullptr;
    KelUtils::ColorParameter* m_backgroundParam = nullptr;
    KelUtils::NumGroupParameter<int>* m_opacityParam = nullptr;

    // The open inputs as sampled.
    unsigned int m_foregroundRgb = 0u;
    unsigned int m_backgroundRgb = 0u;
    unsigned char m_opacityByte = 254;

    // Result byte of a background and a foreground byte at the open opacity, for the modes
    // that work channel by channel; built in onFilterStart when mode or opacity changed, empty
    // where it does not apply.
    BytePairTable m_table;
    int m_tableMode = -1;
    int m_tableOpacity = -1;
    bool m_useTable = false;
};

} // namespace KelVyxNodes
