#pragma once

// A one-channel test source: value(x, y) from a function, offered only as one channel, so that
// a filter linked to it takes its one-channel path (the source node also offers colour, which
// a filter would prefer).

#include "effects/Base1DGenerator.h"
#include "effects/VyxNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

#include <QPoint>
#include <QUuid>

#include <functional>

namespace EffectTest {

class ChannelPatternNode : public KelVyxNodes::VyxNode, public KelVyxNodes::Base1DGenerator
{
public:
    explicit ChannelPatternNode(int id)
        : KelVyxNodes::VyxNode(id)
        , m_container(QStringLiteral("test.channelpattern"), QString(), this)
    {
        addTerminal(QStringLiteral("out"), 0, 3);
    }

    inline static KelNodes::NodeDescriptor m_descriptor{
        QStringLiteral("test.channelpattern"),
        QUuid(QStringLiteral("5d1e1a40-7a43-4c55-9a3e-2f4b8e1c0d11")),
        QStringLiteral("Channel Pattern"), QString(), nullptr};

    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
    void* objectPtr() override { return this; }
    KelUtils::ParameterContainer* paramContainer() override { return &m_container; }
    KelUtils::ParameterContainer const* paramContainer() const override { return &m_container; }
    KelVyxNodes::Base1DGenerator const* toBase1DGenerator() const override { return this; }

    unsigned int getSample(QPoint const& p) const override { return pattern ? pattern(p.x(), p.y()) : 0u; }

    std::function<unsigned int(int, int)> pattern;

private:
    KelNodes::NodeParameterContainer m_container;
};

} // namespace EffectTest
