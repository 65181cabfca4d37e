#pragma once

#include "effects/Base3DGeneratorNode.h"
#include "effects/ClassicColor.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"
#include "params/Color.h"
#include "params/HelpLink.h"

#include <QList>
#include <QPoint>

#include <initializer_list>

namespace KelUtils {
class ColorParameter;
class Parameter;
}

namespace KelVyxNodes {

class VyxTerminal;

// What the colour maths operators share: up to four colour inputs, each replaced by a colour
// parameter of the node while it is unlinked, and one colour output. Depending on the node the
// parameter is greyed out while its input is linked, or stays editable and is just not read.
//
// The parameters' colours are packed to 0x00RRGGBB when they change and again at every
// preparation, so sampling reads bytes only.
class ColorOperandNode : public Base3DGeneratorNode
{
public:
    enum { MaxOperands = 4 };

    // One colour input and the colour parameter that stands in for it.
    struct Operand
    {
        char const* terminal;
        char const* key;
        char const* label; // translated when the parameter is made
        KelUtils::Color initial;
    };

    ~ColorOperandNode() override;

    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }
    void* objectPtr() override { return this; }

    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void resolveInputs() override;
    void paramChanged(KelUtils::Parameter* changed) override;
    int onFilterStart(KelUtils::StatusObserver* observer) override;

    // Every operand at the point, then combine: a point is a span of one, so both paths give
    // the same bytes.
    unsigned int getSample3(QPoint const& point) const final;
    void getSpan3(int y, int x, int count, unsigned int* out) const final;

protected:
    enum LinkedParameter { ParameterStaysEnabled, ParameterGreysOut };

    ColorOperandNode(int id, KelNodes::NodeDescriptor const& descriptor, LinkedParameter linked);

    // One input terminal per operand (at most MaxOperands), in order, then the colour output.
    void addTerminals(std::initializer_list<Operand> operands, QString const& outputName);
    // The list "basic": the group box, `leading` (parameters placed before the colours), then one
    // colour parameter per operand; then the help item, the initial colours and the change
    // callback. Call once, after addTerminals.
    void addParameters(QList<KelUtils::Parameter*> const& leading, QString const& helpText,
                       QList<KelUtils::HelpLink> const& links = {});

    // The results of `count` points from the operands' colours there: operands[i][k] is
    // operand i (in the order of addTerminals) at point k. Every operand is read, whatever the
    // formula needs.
    virtual void combine(unsigned int const* const* operands, int count, unsigned int* out) const = 0;

    // Combines the red, green and blue bytes of two colours by `op(x, y)`; bits 24..31 of the
    // operands are ignored and 0 in the result.
    template <class Op>
    static unsigned int perChannel(unsigned int a, unsigned int b, Op op)
    {
        unsigned int result = 0;
        for (int shift = 16; shift >= 0; shift -= 8) {
            const int x = static_cast<int>((a >> shift) & 0xFFu);
            const int y = static_cast<int>((b >> shift) & 0xFFu);
            result |= (static_cast<unsigned int>(op(x, y)) & 0xFFu) << shift;
        }
        return result;
    }

    // Combines the red, green and blue of two colours as fractions (byte * 257 / 65535) by
    // `op(x, y)`, each result held to 0..1 (NaN as 0), and gives them back as bytes with the
    // classic colour arithmetic: round(v * 65535) >> 8, alpha byte 0.
    template <class Op>
    static unsigned int perFraction(unsigned int a, unsigned int b, Op op)
    {
        const ClassicColor ca(a);
        const ClassicColor cb(b);
        ClassicColor result;
        result.setRgbF(unitFraction(op(ca.redF(), cb.redF())), unitFraction(op(ca.greenF(), cb.greenF())),
                       unitFraction(op(ca.blueF(), cb.blueF())), 0.0);
        return result.rgba();
    }

    KelNodes::NodeParameterContainer m_container;

private:
    static double unitFraction(double v)
    {
        if (!(v > 0.0))
            return 0.0;
        return v > 1.0 ? 1.0 : v;
    }

    int operandOf(KelNodes::Terminal const* own) const;
    void refreshPacked();

    KelNodes::NodeDescriptor const& m_typeDescriptor;
    const LinkedParameter m_linked;
    QList<Operand> m_operands;
    VyxTerminal* m_terminal[MaxOperands] = {nullptr, nullptr, nullptr, nullptr};
    KelUtils::ColorParameter* m_param[MaxOperands] = {nullptr, nullptr, nullptr, nullptr};
    KelUtils::Color m_color[MaxOperands];
    Base3DGenerator const* m_input[MaxOperands] = {nullptr, nullptr, nullptr, nullptr};
    unsigned int m_packed[MaxOperands] = {0u, 0u, 0u, 0u};
};

} // namespace KelVyxNodes
