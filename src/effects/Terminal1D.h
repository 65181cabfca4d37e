#pragma once

#include "effects/Base1DGenerator.h"
#include "effects/VyxTerminal.h"

namespace KelVyxNodes {

// An output terminal that is itself a one-channel source (a per-channel output of a splitting
// node): a peer linked to it samples the terminal, not its host node. Subclasses implement
// getSample and keep their owning node and channel index.
class Terminal1D : public VyxTerminal, public Base1DGenerator
{
public:
    Terminal1D(VyxNode* node, QString const& name, unsigned int inputMask, unsigned int outputMask,
               KelUtils::HelpItem const& help = KelUtils::HelpItem());
    ~Terminal1D() override;

    Base1DGenerator const* toBase1DGenerator() const override;
};

} // namespace KelVyxNodes
