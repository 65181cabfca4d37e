#pragma once

// Feeds hand-picked colours into a maths node through real links and reads parameter flags.

#include "effects/ProbeSourceNode.h"

#include "nodes/Node.h"
#include "nodes/Terminal.h"
#include "params/Color.h"
#include "params/Parameter.h"
#include "params/ListItem.h"
#include "params/ParameterContainer.h"

#include <QPoint>
#include <QString>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace MathTest {

inline const QPoint kPoint(2, 1);

template <class N>
struct Rig
{
    Rig() : node(std::make_unique<N>(1)) {}
    ~Rig() { node.reset(); } // the node goes first: its links to the probes are undone

    // Links a new probe's "out" to `input`; the probe's colour can be changed afterwards.
    EffectTest::ProbeSourceNode* feed(char const* input, unsigned int colour)
    {
        probes.push_back(std::make_unique<EffectTest::ProbeSourceNode>(100 + int(probes.size()), colour));
        EXPECT_EQ(probes.back()->connect(QStringLiteral("out"), node.get(), QString::fromLatin1(input)), 0) << input;
        return probes.back().get();
    }
    void unfeed(char const* input)
    {
        KelNodes::Terminal* own = node->getTerminal(QString::fromLatin1(input));
        ASSERT_TRUE(own);
        for (auto& probe : probes)
            probe->getTerminal(QStringLiteral("out"))->disconnect(own);
    }
    void setColour(char const* key, KelUtils::Color const& colour)
    {
        ASSERT_EQ(node->paramContainer()->setColorParam(QString::fromLatin1(key), colour), 0) << key;
    }
    void setGrey(char const* key, unsigned char level)
    {
        const float c = KelUtils::Color::decodeChannel(level, KelUtils::Color::Gamma);
        setColour(key, KelUtils::Color(c, c, c, 1.0f));
    }
    int flags(char const* key) const { return node->paramContainer()->paramFlags(QString::fromLatin1(key)); }
    bool enabled(char const* key) const { return (flags(key) & 1) != 0; }
    unsigned int sample(QPoint const& point = kPoint) const { return node->getSample3(point); }

    std::vector<std::unique_ptr<EffectTest::ProbeSourceNode>> probes;
    std::unique_ptr<N> node;
};

// The keys of the list "basic", in order.
inline QStringList parameterKeys(KelUtils::ParameterContainer const* c)
{
    QStringList keys;
    if (c->paramLists().size() != 1 || c->paramLists().first().name != QLatin1String("basic"))
        return keys;
    for (KelUtils::Parameter const* p : c->paramLists().first().parameters)
        keys << p->name();
    return keys;
}

// "name:in/out" for every terminal, in order.
inline QStringList terminalShapes(KelNodes::Node const* node)
{
    QStringList shapes;
    for (int i = 0; i < node->numTerminals(); ++i) {
        KelNodes::Terminal const* t = node->terminal(i);
        shapes << QStringLiteral("%1:%2/%3").arg(t->name()).arg(t->inputMask()).arg(t->outputMask());
    }
    return shapes;
}

} // namespace MathTest
