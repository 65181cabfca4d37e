#include "effects/Terminal1D.h"

namespace KelVyxNodes {

Terminal1D::Terminal1D(VyxNode* node, QString const& name, unsigned int inputMask,
                       unsigned int outputMask, KelUtils::HelpItem const& help)
    : VyxTerminal(node, name, inputMask, outputMask, help)
{
}

Terminal1D::~Terminal1D() = default;

Base1DGenerator const* Terminal1D::toBase1DGenerator() const
{
    return this;
}

} // namespace KelVyxNodes
