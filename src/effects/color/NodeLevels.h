#pragma once

#include "effects/Base3DGeneratorNode.h"
#include "effects/GammaLUT.h"
#include "effects/NodeOf.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

namespace KelUtils {
template <typename T> class NumGroupParameter;
}

namespace KelVyxNodes {

class Base1DGenerator;
class VyxTerminal;

// Stretches every channel of "source" from the black point..white point onto 0..255 and
// applies a gamma exponent. With none of the one-channel override inputs linked a sample is
// three look-ups in a table built per render; otherwise each pixel is stretched directly and
// its power looked up.
class NodeLevels : public NodeOf<NodeLevels, Base3DGeneratorNode>
{
public:
    explicit NodeLevels(int id);
    ~NodeLevels() override;

    static KelNodes::NodeDescriptor m_descriptor;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }

    unsigned int getSample3(QPoint const& point) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    // Keeps the black point below the white point by moving the other one.
    void paramChanged(KelUtils::Parameter* changed) override;
    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    // Builds the table from the parameters of this moment.
    int onFilterStart(KelUtils::StatusObserver* observer) override;
    void resolveInputs() override;

private:
    // Override inputs in terminal order.
    enum Input { BlackPoint, WhitePoint, Gamma, InputCount };

    static int inputIndex(QString const& terminalName);
    void buildTable();
    unsigned int computeDirect(unsigned int colour, QPoint const& point) const;
    // A span with any of the settings coming from inputs.
    void linkedSpan3(int y, int x, int count, unsigned int* out) const;
    // colour stretched from black..white, each channel then mapped through power.
    static unsigned int levelled(unsigned int colour, int white, int black, unsigned char const* power);

    KelNodes::NodeParameterContainer m_container;
    VyxTerminal* m_sourceTerminal = nullptr;
    VyxTerminal* m_inputTerminal[InputCount] = {nullptr, nullptr, nullptr};
    Base3DGenerator const* m_source = nullptr;
    Base1DGenerator const* m_input[InputCount] = {nullptr, nullptr, nullptr};
    int m_blackPoint = 0;
    int m_whitePoint = 255;
    int m_gamma = 0;
    KelUtils::NumGroupParameter<int>* m_param[InputCount] = {nullptr, nullptr, nullptr};
    GammaLUT m_table;
};

} // namespace KelVyxNodes
