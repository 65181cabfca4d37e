#include "effects/Base1DGeneratorNode.h"

namespace KelVyxNodes {

Base1DGeneratorNode::Base1DGeneratorNode(int id)
    : VyxNode(id)
{
}

Base1DGeneratorNode::~Base1DGeneratorNode() = default;

Base1DGenerator const* Base1DGeneratorNode::toBase1DGenerator() const
{
    return this;
}

} // namespace KelVyxNodes
