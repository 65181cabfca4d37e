#pragma once

#include "nodes/NodeDescriptor.h"

namespace KelNodes {
class Node;
}

namespace KelVyxNodes {

// What every concrete node class would otherwise repeat: the factory of its type, its
// descriptor and objectPtr. A node class derives from NodeOf<itself, its base> (VyxNode or one
// of the shared node bases), calls NodeOf(...) with the base's constructor arguments and
// declares `static KelNodes::NodeDescriptor m_descriptor` (whose factory is &Node::create)
// besides its terminals, parameters and sampling.
template <class Derived, class Base>
class NodeOf : public Base
{
public:
    using Base::Base;

    static KelNodes::Node* create(int id) { return new Derived(id); }
    KelNodes::NodeDescriptor const* descriptor() const override { return &Derived::m_descriptor; }
    void* objectPtr() override { return static_cast<Derived*>(this); }
};

} // namespace KelVyxNodes
