#include "effects/VyxTerminal.h"

#include "effects/VyxNode.h"

namespace KelVyxNodes {

VyxTerminal::VyxTerminal(VyxNode* node, QString const& name, unsigned int inputMask,
                         unsigned int outputMask, KelUtils::HelpItem const& help)
    : KelNodes::Terminal(node, name, inputMask, outputMask, help)
{
}

VyxTerminal::~VyxTerminal() = default;

VyxTerminal* VyxTerminal::connectedTo(int index) const
{
    return dynamic_cast<VyxTerminal*>(KelNodes::Terminal::connectedTo(index));
}

Base1DGenerator const* VyxTerminal::toBase1DGenerator() const
{
    return nullptr;
}

Base3DGenerator const* VyxTerminal::toBase3DGenerator() const
{
    return nullptr;
}

} // namespace KelVyxNodes
