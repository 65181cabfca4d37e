#include "effects/math/NodeLogarithm.h"
#include "effects/math/NodePower.h"
#include "effects/math/NodeRoot.h"

#include "MathTestRig.h"

#include <QDomDocument>

#include <gtest/gtest.h>

using namespace KelVyxNodes;
using KelUtils::Color;
using MathTest::Rig;

namespace {

// A rig with every colour input linked to a probe.
template <class N>
struct PowerLinked : Rig<N>
{
    explicit PowerLinked(std::initializer_list<char const*> inputs)
    {
        for (char const* input : inputs)
            this->feed(input, 0);
    }
    unsigned int at(unsigned int a, unsigned int b)
    {
        this->probes[0]->colour = a;
        this->probes[1]->colour = b;
        return this->sample();
    }
};

} // namespace

TEST(PowerNode, ChosenBytePairsAndParameters)
{
    // A new node: blue to the power of green, 0^0 = 1, 0^1 = 0, 1^0 = 1.
    Rig<NodePower> fresh;
    EXPECT_EQ(fresh.sample(), 0xFF00FFu);
    fresh.setColour("exponent", Color(1.0f, 1.0f, 1.0f));
    fresh.setColour("base", Color(4.0f, 0.5f, 0.2f));
    EXPECT_EQ(fresh.sample(), 0xFFBA7Bu); // over-bright 255, then 186, 123
    fresh.feed("rgbInExponent", 0x000000u);
    EXPECT_FALSE(fresh.enabled("exponent"));
    EXPECT_EQ(fresh.sample(), 0xFFFFFFu);

    PowerLinked<NodePower> power({"rgbInBase", "rgbInExponent"});
    EXPECT_EQ(power.at(0x808080u, 0x808080u), 0xB4B4B4u);
    EXPECT_EQ(power.at(0xFF123456u, 0xABFFFFFFu), 0x123456u);
    EXPECT_EQ(power.at(0x333333u, 0x7F7F7Fu), 0x727272u); // 0.2 ^ 0.498 = 0.4487 -> 114.4
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(power.node->powChannel(v, 0), 255) << v;
        EXPECT_EQ(power.node->powChannel(v, 255), v) << v;
        EXPECT_EQ(power.node->powChannel(255, v), 255) << v;
        EXPECT_EQ(power.node->powChannel(0, v), v > 0 ? 0 : 255) << v;
        EXPECT_GE(power.node->powChannel(100, v), 100) << v; // no exponent darkens
    }
}

TEST(RootNode, ChosenBytePairsAndTheErrorColour)
{
    // A new node is defined: grey under a degree of white passes grey.
    Rig<NodeRoot> fresh;
    EXPECT_EQ(fresh.sample(), 0x808080u);
    fresh.setColour("Degree", Color(1.0f, 0.0f, 1.0f));
    EXPECT_EQ(fresh.sample(), 0xFF00FFu); // green has degree 0: the magenta error colour

    PowerLinked<NodeRoot> root({"source", "degree"});
    EXPECT_EQ(root.at(0x808080u, 0xFFFFFFu), 0x808080u);
    // 0.502 ^ 1.992 = 0.25334: word 16603, high byte 64 (a rounding to 8 bits would give 65).
    EXPECT_EQ(root.at(0x808080u, 0x808080u), 0x404040u);
    EXPECT_EQ(root.at(0x404040u, 0x808080u), 0x101010u);
    EXPECT_EQ(root.at(0xFEFEFEu, 0x010101u), 0x5D5D5Du);
    EXPECT_EQ(root.at(0xC8C8C8u, 0x010101u), 0x000000u);
    EXPECT_EQ(root.at(0xEE80FF00u, 0x77FFFF01u), 0x80FF00u); // top bytes play no part
    for (unsigned int d = 1; d < 256; ++d) {
        EXPECT_EQ(root.at(0xFF0000u, d * 0x010101u), 0xFF0000u) << d;
        EXPECT_LE(root.at(0x9A9A9Au, d * 0x010101u), 0x9A9A9Au) << d;
    }
    // Any zero degree channel gives the error colour.
    for (unsigned int degree : {0x00FFFFu, 0xFF00FFu, 0xFFFF00u, 0x000000u})
        EXPECT_EQ(root.at(0x808080u, degree), 0xFF00FFu) << std::hex << degree;
    root.setColour("Error", Color(0.0f, 1.0f, 0.0f, 0.0f));
    EXPECT_EQ(root.at(0x808080u, 0x000000u), 0x00FF00u);
    // A linked error colour loses its top byte; the parameter stays editable.
    root.feed("error", 0xAB123456u);
    EXPECT_TRUE(root.enabled("Error"));
    EXPECT_EQ(root.at(0x808080u, 0x80FF00u), 0x123456u);
}

TEST(RootNode, StoredColoursComeBackAndAreSampledAtOnce)
{
    Rig<NodeRoot> original;
    original.setGrey("Source", 200);
    original.setGrey("Degree", 128);
    const unsigned int expected = original.sample();
    EXPECT_NE(expected, 0x808080u);
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("root"));
    document.appendChild(root);
    ASSERT_EQ(original.node->paramContainer()->storeState(document, root, false, false), 0);

    Rig<NodeRoot> copy;
    ASSERT_EQ(copy.node->paramContainer()->loadState(root.firstChildElement()), 0);
    EXPECT_EQ(copy.sample(), expected);
}

TEST(LogarithmNode, ChosenBytePairsAndUndefinedCases)
{
    // A new node is defined: grey to a grey base is 1.
    Rig<NodeLogarithm> fresh;
    EXPECT_EQ(fresh.sample(), 0xFFFFFFu);

    PowerLinked<NodeLogarithm> log({"source", "base"});
    EXPECT_EQ(log.at(0xFFFFFFu, 0x808080u), 0x000000u);
    EXPECT_EQ(log.at(0xC8C8C8u, 0x646464u), 0x424242u);
    EXPECT_EQ(log.at(0x646464u, 0x323232u), 0x939393u);
    EXPECT_EQ(log.at(0x808080u, 0x010101u), 0x1F1F1Fu);
    EXPECT_EQ(log.at(0x404040u, 0x808080u), 0xFFFFFFu); // above 1, held
    EXPECT_EQ(log.at(0x80FFFFu, 0x808080u), 0xFF0000u);
    for (unsigned int b = 1; b < 255; ++b) {
        EXPECT_EQ(log.at(0xFFFFFFu, b * 0x010101u), 0x000000u) << b;
        EXPECT_EQ(log.at(b * 0x010101u, b * 0x010101u), 0xFFFFFFu) << b;
    }
    // Base 0 or 1, or source 0: the error colour.
    for (unsigned int base : {0x00FFFFu, 0x80FF80u, 0x000000u, 0xFFFFFFu})
        EXPECT_EQ(log.at(0x808080u, base), 0xFF00FFu) << std::hex << base;
    for (unsigned int source : {0x00FFFFu, 0x8000FFu})
        EXPECT_EQ(log.at(source, 0x808080u), 0xFF00FFu) << std::hex << source;
    log.feed("error", 0xFF0A0B0Cu);
    EXPECT_EQ(log.at(0x000000u, 0x808080u), 0x0A0B0Cu);
    EXPECT_TRUE(log.enabled("Error"));
}
