#pragma once

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/VyxNode.h"

namespace KelVyxNodes {

// One input, one output, and the output kind follows the links: unconnected the input takes
// either kind (mask 6) and the output offers both (7); a colour upstream makes the output
// colour (5), a one-channel upstream one channel (3); an output linked first narrows the
// unconnected input to what it feeds. The masks are stored in the node's "termflags" element;
// while the links of the document a node was read from are made again, the masks it read stay.
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
    void resolveInputs() override;
    bool keepsStoredKind(KelNodes::Terminal const* terminal) const override;

    int storeStateSpecific(QDomDocument& document, QDomElement& section, bool embed) const override;
    int loadStateSpecific(QDomElement const& section) override;

    VyxTerminal* inputTerminal() const { return m_inputTerminal; }
    VyxTerminal* outputTerminal() const { return m_outputTerminal; }

protected:
    Base1DGenerator const* m_upstream1D = nullptr;
    Base3DGenerator const* m_upstream3D = nullptr;
    VyxTerminal* m_inputTerminal = nullptr;
    VyxTerminal* m_outputTerminal = nullptr;

private:
    bool keepsStoredInputKind() const;
    bool keepsStoredOutputKind() const;

    // Whether the last section read gave the input's / the output's mask.
    bool m_inputKindStored = false;
    bool m_outputKindStored = false;
};

} // namespace KelVyxNodes
