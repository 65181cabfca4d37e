#include "effects/Base3DGeneratorNode.h"

namespace KelVyxNodes {

Base3DGeneratorNode::Base3DGeneratorNode(int id)
    : VyxNode(id)
{
}

Base3DGeneratorNode::~Base3DGeneratorNode() = default;

Base3DGenerator const* Base3DGeneratorNode::toBase3DGenerator() const
{
    return this;
}

} // namespace KelVyxNodes
