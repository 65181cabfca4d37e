#pragma once

// A node whose "out" terminal accepts one-channel and colour links (mask 7) but which offers no
// sample interface: a link to it stands, yet nothing can be read through it.

#include "effects/VyxNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

#include <QUuid>

namespace ColorTest {

class SilentOutputNode : public KelVyxNodes::VyxNode
{
public:
    explicit SilentOutputNode(int id)
        : VyxNode(id), m_container(QStringLiteral("test.silent"), QString(), this)
    {
        addTerminal(QStringLiteral("out"), 0, 7);
    }
    static inline KelNodes::NodeDescriptor m_descriptor{
        QStringLiteral("test.silent"), QUuid(QStringLiteral("{0c5e7a31-3c1d-4f0b-9a52-000000000007}")),
        QStringLiteral("Silent"), QString(), nullptr};
    KelNodes::NodeParameterContainer* paramContainer() override { return &m_container; }
    KelNodes::NodeParameterContainer const* paramContainer() const override { return &m_container; }
    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
    void* objectPtr() override { return this; }

    KelNodes::NodeParameterContainer m_container;
};

} // namespace ColorTest
