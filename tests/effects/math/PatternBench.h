#pragma once

// A node of the pattern and geometry tests inside a root graph bound to an image of a chosen
// size, fed by probe nodes through real links and prepared as a render would prepare it.

#include "effects/EffectTestSupport.h"
#include "effects/ProbeSourceNode.h"

#include "nodes/Terminal.h"
#include "params/Parameter.h"
#include "params/ParameterContainer.h"

#include <QPoint>
#include <QString>

#include <gtest/gtest.h>

#include <functional>

namespace PatternTest {

template <class N>
struct Bench
{
    explicit Bench(int w, int h, unsigned int argb = 0xFF808080u)
        : harness(EffectTest::makeImage(w, h, argb)), node(harness.add<N>())
    {
    }

    // A probe of a fixed colour linked to `input`.
    EffectTest::ProbeSourceNode* feed(char const* input, unsigned int colour)
    {
        auto* probe = harness.add<EffectTest::ProbeSourceNode>();
        probe->colour = colour;
        EXPECT_EQ(probe->connect(QStringLiteral("out"), node, QString::fromLatin1(input)), 0) << input;
        return probe;
    }
    // A probe whose colour is a function of the point.
    EffectTest::ProbeSourceNode* feed(char const* input, std::function<unsigned int(QPoint const&)> at)
    {
        auto* probe = feed(input, 0u);
        probe->colourAt = std::move(at);
        return probe;
    }
    void unfeed(EffectTest::ProbeSourceNode* probe, char const* input)
    {
        probe->getTerminal(QStringLiteral("out"))->disconnect(node->getTerminal(QString::fromLatin1(input)));
    }
    int prepare() { return node->onFilterStart(nullptr); }

    KelUtils::ParameterContainer* params() const { return node->paramContainer(); }
    int flags(char const* key) const { return params()->paramFlags(QString::fromLatin1(key)); }
    unsigned int at(int x, int y) const { return node->getSample3(QPoint(x, y)); }

    EffectTest::EffectHarness harness;
    N* node;
};

// Every point its own colour: red x, green y (both below 256), blue 0x5A.
inline unsigned int coordinateColour(QPoint const& p)
{
    return (unsigned(p.x()) & 0xFFu) << 16 | (unsigned(p.y()) & 0xFFu) << 8 | 0x5Au;
}

} // namespace PatternTest
