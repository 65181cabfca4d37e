#pragma once

#include "nodes/Terminal.h"
#include "params/HelpItem.h"

namespace KelVyxNodes {

class Base1DGenerator;
class Base3DGenerator;
class VyxNode;

// Terminal of an effect node. Mask bits: 1 several links, 2 one channel, 4 colour; typical
// inputs 2, 4 or 6, outputs 3, 5 or 7.
//
// A plain terminal offers no sample interface of its own, so a peer reads the host node. A
// terminal that produces its own samples (a per-channel output, see Terminal1D) overrides the
// two accessors and then takes precedence over its host.
class VyxTerminal : public KelNodes::Terminal
{
public:
    VyxTerminal(VyxNode* node, QString const& name, unsigned int inputMask,
                unsigned int outputMask, KelUtils::HelpItem const& help = KelUtils::HelpItem());
    ~VyxTerminal() override;

    // The index-th peer as an effect terminal; null when out of range or not an effect terminal.
    VyxTerminal* connectedTo(int index) const override;

    virtual Base1DGenerator const* toBase1DGenerator() const;
    virtual Base3DGenerator const* toBase3DGenerator() const;
};

} // namespace KelVyxNodes
