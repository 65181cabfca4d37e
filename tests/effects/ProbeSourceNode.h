#pragma once

// A source node for the operator tests: "out" gives a colour and "out 1d" a channel value,
// fixed or computed from the point, so hand-worked operands can be fed through real links.

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/VyxNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

#include <QPoint>

#include <functional>

namespace EffectTest {

class ProbeSourceNode : public KelVyxNodes::VyxNode,
                        public KelVyxNodes::Base1DGenerator,
                        public KelVyxNodes::Base3DGenerator
{
public:
    explicit ProbeSourceNode(int id, unsigned int colour = 0x808080u, unsigned int value = 128u)
        : VyxNode(id), m_container(QStringLiteral("test.probe"), QString(), this), colour(colour),
          value(value)
    {
        addTerminal(QStringLiteral("out"), 0, 5);
        addTerminal(QStringLiteral("out 1d"), 0, 3);
    }
    static inline KelNodes::NodeDescriptor m_descriptor{
        QStringLiteral("test.probe"), QUuid(QStringLiteral("{6a1f3e52-2222-4b7c-9d10-000000000001}")),
        QStringLiteral("Probe"), QString(), nullptr};

    KelNodes::NodeParameterContainer* paramContainer() override { return &m_container; }
    KelNodes::NodeParameterContainer const* paramContainer() const override { return &m_container; }
    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
    void* objectPtr() override { return this; }
    KelVyxNodes::Base1DGenerator const* toBase1DGenerator() const override { return this; }
    KelVyxNodes::Base3DGenerator const* toBase3DGenerator() const override { return this; }

    unsigned int getSample3(QPoint const& p) const override
    {
        return colourAt ? colourAt(p) : colour;
    }
    unsigned int getSample(QPoint const& p) const override { return valueAt ? valueAt(p) : value; }

    KelNodes::NodeParameterContainer m_container;
    unsigned int colour;
    unsigned int value;
    std::function<unsigned int(QPoint const&)> colourAt;
    std::function<unsigned int(QPoint const&)> valueAt;
};

} // namespace EffectTest
