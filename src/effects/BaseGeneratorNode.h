#pragma once

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/VyxNode.h"

namespace KelVyxNodes {

class KindGroup;

// One input, one output, and the kind of value the node carries follows its links: unconnected
// the input takes either kind (mask 6) and the output offers both (7); linked, the node carries
// one channel (output 3) or colour (output 5), and a free input takes only that kind. The kind
// is settled from the links as they stand after every change, whatever order they came in
// (KindGroup, KINDS.md). The masks are written in the node's "termflags" element.
//
// Concrete nodes implement getSample / getSample3 reading m_upstream1D or m_upstream3D (at most
// one is set; both null when unconnected: substitute the node's own neutral value).
class BaseGeneratorNode : public VyxNode, public Base1DGenerator, public Base3DGenerator
{
public:
    // An empty name means no such terminal.
    BaseGeneratorNode(int id, QString const& inputName, QString const& outputName);
    ~BaseGeneratorNode() override;

    // The node itself while its current kind includes one channel / colour, else null.
    Base1DGenerator const* toBase1DGenerator() const override;
    Base3DGenerator const* toBase3DGenerator() const override;

    int onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    void onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) override;
    bool admitsLink(KelNodes::Terminal const* own, KelNodes::Terminal const* peer) const override;
    void linksChanged(KelNodes::Terminal const* own) override;
    void openKinds() override;
    void settleKinds(KelNodes::KindSettling::Round& round) override;
    void resolveInputs() override;

    int storeStateSpecific(QDomDocument& document, QDomElement& section, bool embed) const override;
    int loadStateSpecific(QDomElement const& section) override;

    VyxTerminal* inputTerminal() const { return m_inputTerminal; }
    VyxTerminal* outputTerminal() const { return m_outputTerminal; }
    bool isDying() const { return m_dying; }

    // What KindGroup settled for this node: the kind carried, both masks, and the output the
    // input reads (null when free).
    struct SettledKinds
    {
        unsigned int kind = 0;
        unsigned int input = 6;
        unsigned int output = 7;
        KelNodes::Terminal const* feeding = nullptr;
    };
    void takeSettledKinds(SettledKinds const& settled);

protected:
    // After the masks changed: nodes whose parameters follow the output's kind update them.
    virtual void kindsSettled();

    Base1DGenerator const* m_upstream1D = nullptr;
    Base3DGenerator const* m_upstream3D = nullptr;
    VyxTerminal* m_inputTerminal = nullptr;
    VyxTerminal* m_outputTerminal = nullptr;

private:
    void readUpstream(KelNodes::Terminal const* feeding);

    unsigned int m_kind = 0;
    bool m_dying = false;
};

} // namespace KelVyxNodes
