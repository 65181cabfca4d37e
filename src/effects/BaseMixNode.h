#pragma once

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/BytePairTable.h"
#include "effects/MixFormulas.h"
#include "effects/VyxNode.h"
#include "nodes/NodeParameterContainer.h"
#include "params/Color.h"

#include <QList>


class QPoint;

namespace KelUtils {
class ColorParameter;
class Parameter;
template <typename T> class NumGroupParameter;
}

namespace KelVyxNodes {

class VyxTerminal;

// What the two mixers share: two colour operands ("in1", "in2") and two one-channel operands
// ("in1 1d", "in2 1d"), each replaced by its default from the "Defaults" group while its input
// is unlinked, and the node itself as both of its outputs ("out" colour, "out 1d" one channel).
// The concrete mixer adds its terminals, its basic parameters, the formulas and the rule that
// enables and disables the defaults' editors.
class BaseMixNode : public VyxNode, public Base1DGenerator, public Base3DGenerator
{
public:
    ~BaseMixNode() override;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }
    void* objectPtr() override { return this; }

    Base1DGenerator const* toBase1DGenerator() const override { return this; }
    Base3DGenerator const* toBase3DGenerator() const override { return this; }

    // Through the tables of byte pairs where the mixer's formula allows, else point by point.
    void getSpan(int y, int x, int count, unsigned int* out) const override;
    void getSpan3(int y, int x, int count, unsigned int* out) const override;

    // Keeps the defaults' bytes current; sampling reads only those.
    void paramChanged(KelUtils::Parameter* changed) override;
    int onFilterStart(KelUtils::StatusObserver* observer) override;
    void resolveInputs() override;

protected:
    // The operand inputs, in the order of operandInputIndex: "in1", "in2", "in1 1d", "in2 1d".
    enum { OperandInputs = 4 };

    BaseMixNode(int id, QString const& typeId);

    // Adds the operand terminal `input` (0..3) with its mask.
    void addOperandTerminal(int input);
    // "defaultsBox", "defColor1", "defColor2", "defValue1", "defValue2", bound to the defaults.
    QList<KelUtils::Parameter*> defaultsParameters();

    // 0..3 for an operand input's name, else -1.
    static int operandInputIndex(QString const& terminalName);
    // Caches (or drops) the interface behind `peer` for operand input `input`.
    void attachOperand(int input, KelNodes::Terminal const* peer);
    void detachOperand(int input);
    bool operandPresent(int input) const;
    // The default that operand input `input` replaces.
    KelUtils::Parameter* operandDefault(int input) const;

    // The operands at a point: one-channel bytes 0..255, colours 0x00RRGGBB.
    int operand1D(int which, QPoint const& point) const;
    unsigned int operand3D(int which, QPoint const& point) const;

    // The channels of two colours combined by `formula(x, y)`, each clamped to 0..255.
    template <class Formula>
    static unsigned int mixChannels(unsigned int first, unsigned int second, Formula formula);

    // Whether each result byte depends only on the two operand bytes of its channel and the
    // settings (then onFilterStart tables pairResult), and a key of the settings it depends on.
    virtual bool pairTablesApply() const { return false; }
    virtual long long pairTableKey() const { return 0; }
    // The result byte of operand bytes x and y, one-channel or colour formula.
    virtual int pairResult(bool colour, int x, int y) const
    {
        (void)colour;
        (void)x;
        (void)y;
        return 0;
    }

    KelNodes::NodeParameterContainer m_container;
    int m_mode = 0;

    // The operands over a span: one-channel values (low byte used), colours.
    void operandSpan(int which, int y, int x, int count, unsigned int* out) const;
    void operandSpan3(int which, int y, int x, int count, unsigned int* out) const;

private:
    void refreshDefaults();

    // [0] one channel, [1] colour; made for the settings of m_pairKey (-1: not made yet).
    BytePairTable m_pairTable[2];
    long long m_pairKey = -1;
    bool m_pairTablesOn = false;

    KelUtils::Color m_defColor[2];
    KelUtils::ColorParameter* m_defColorParam[2] = {nullptr, nullptr};
    int m_defValue[2] = {128, 128};
    KelUtils::NumGroupParameter<int>* m_defValueParam[2] = {nullptr, nullptr};
    VyxTerminal* m_operandTerminal[OperandInputs] = {nullptr, nullptr, nullptr, nullptr};
    Base1DGenerator const* m_input1D[2] = {nullptr, nullptr};
    Base3DGenerator const* m_input3D[2] = {nullptr, nullptr};
    // The defaults as sampled: values held to 0..255 (a loaded value outside it would make the
    // division divide by zero), colours as bytes.
    int m_defByte[2] = {128, 128};
    unsigned int m_defRgb[2] = {0x808080u, 0x808080u};
};

template <class Formula>
unsigned int BaseMixNode::mixChannels(unsigned int first, unsigned int second, Formula formula)
{
    unsigned int result = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const int x = static_cast<int>((first >> shift) & 0xFFu);
        const int y = static_cast<int>((second >> shift) & 0xFFu);
        result |= static_cast<unsigned int>(MixFormulas::mixResult(formula(x, y))) << shift;
    }
    return result;
}

} // namespace KelVyxNodes
