#pragma once

#include "effects/Base1DGenerator.h"
#include "effects/VyxNode.h"

namespace KelVyxNodes {

// An effect node whose node-level output is one channel only (the split nodes). getSample and
// the container accessors belong to the concrete class.
class Base1DGeneratorNode : public VyxNode, public Base1DGenerator
{
public:
    explicit Base1DGeneratorNode(int id);
    ~Base1DGeneratorNode() override;

    Base1DGenerator const* toBase1DGenerator() const override;
};

} // namespace KelVyxNodes
