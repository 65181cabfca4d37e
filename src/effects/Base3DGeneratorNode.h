#pragma once

#include "effects/Base3DGenerator.h"
#include "effects/VyxNode.h"

namespace KelVyxNodes {

// An effect node whose node-level output is colour only (the join node, several colour nodes).
// getSample3 and the container accessors belong to the concrete class.
class Base3DGeneratorNode : public VyxNode, public Base3DGenerator
{
public:
    explicit Base3DGeneratorNode(int id);
    ~Base3DGeneratorNode() override;

    Base3DGenerator const* toBase3DGenerator() const override;
};

} // namespace KelVyxNodes
