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

template <class N>
N* checkedShape(std::unique_ptr<KelNodes::Node>& holder, char const* typeId, char const* uuid,
                char const* name, QStringList const& terminals, QStringList const& keys)
{
    EXPECT_EQ(N::m_descriptor.typeId, QLatin1String(typeId));
    EXPECT_EQ(N::m_descriptor.typeUuid, QUuid(QString::fromLatin1(uuid)));
    EXPECT_EQ(N::m_descriptor.displayName, QLatin1String(name));
    holder.reset(N::m_descriptor.create(4));
    auto* node = dynamic_cast<N*>(holder.get());
    EXPECT_TRUE(node);
    if (!node)
        return nullptr;
    EXPECT_EQ(MathTest::terminalShapes(node), terminals);
    EXPECT_EQ(node->paramContainer()->name(), QLatin1String(typeId));
    EXPECT_EQ(MathTest::parameterKeys(node->paramContainer()), keys);
    EXPECT_EQ(node->paramContainer()->helpItem()->title, QLatin1String(name));
    return node;
}

// A rig with every colour input linked to a probe.
template <class N>
struct Linked : Rig<N>
{
    explicit Linked(std::initializer_list<char const*> inputs)
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

TEST(PowerNode, ShapeAndInitialState)
{
    std::unique_ptr<KelNodes::Node> holder;
    auto* node = checkedShape<NodePower>(holder, "operator.Maths.power", "8916f89d-d81a-4091-9eaf-de13323e5e25",
                                         "Power", {"rgbInBase:4/0", "rgbInExponent:4/0", "rgbOut:0/5"},
                                         {"basicsBox", "base", "exponent"});
    ASSERT_TRUE(node);
    EXPECT_EQ(node->paramContainer()->paramFlags(QStringLiteral("base")), 5);
    EXPECT_EQ(node->paramContainer()->helpItem()->text,
              QLatin1String("The node raises the color from <b>rgbInBase</b> input to the power from "
                            "<b>rgbInExponent</b> input."));
    // Blue to the power of green: 0^0 = 1, 0^1 = 0, 1^0 = 1.
    EXPECT_EQ(node->getSample3(MathTest::kPoint), 0xFF00FFu);
}

TEST(PowerNode, ChosenBytePairs)
{
    Linked<NodePower> power({"rgbInBase", "rgbInExponent"});
    EXPECT_EQ(power.at(0x808080u, 0x808080u), 0xB4B4B4u);
    EXPECT_EQ(power.at(0xFF123456u, 0xABFFFFFFu), 0x123456u);
    // 0.2 ^ 0.498 = 0.4487 -> 114.4
    EXPECT_EQ(power.at(0x333333u, 0x7F7F7Fu), 0x727272u);
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(power.node->powChannel(v, 0), 255) << v;
        EXPECT_EQ(power.node->powChannel(v, 255), v) << v;
        EXPECT_EQ(power.node->powChannel(255, v), 255) << v;
        if (v > 0) {
            EXPECT_EQ(power.node->powChannel(0, v), 0) << v;
        }
        // No exponent darkens a channel.
        EXPECT_GE(power.node->powChannel(100, v), 100) << v;
    }
}

TEST(PowerNode, ParametersAsBytesAndGreyedWhileLinked)
{
    Rig<NodePower> power;
    power.setColour("exponent", Color(1.0f, 1.0f, 1.0f));
    power.setColour("base", Color(1.0f, 0.5f, 0.2f));
    EXPECT_EQ(power.sample(), 0xFFBA7Bu); // 255, 186, 123
    power.setColour("base", Color(4.0f, 0.0f, 0.0f));
    EXPECT_EQ(power.sample(), 0xFF0000u);

    power.feed("rgbInExponent", 0x000000u);
    EXPECT_FALSE(power.enabled("exponent"));
    EXPECT_TRUE(power.enabled("base"));
    EXPECT_EQ(power.sample(), 0xFFFFFFu);
    power.unfeed("rgbInExponent");
    EXPECT_TRUE(power.enabled("exponent"));
    EXPECT_EQ(power.sample(), 0xFF0000u);
}

TEST(RootNode, ShapeAndInitialState)
{
    std::unique_ptr<KelNodes::Node> holder;
    auto* node = checkedShape<NodeRoot>(holder, "operator.Maths.root", "55777c31-5595-4cc4-8dd9-eea5566293b5",
                                        "Root", {"source:4/0", "degree:4/0", "error:4/0", "rgb:0/5"},
                                        {"basicsBox", "Source", "Degree", "Error"});
    ASSERT_TRUE(node);
    KelUtils::ParameterContainer* c = node->paramContainer();
    EXPECT_EQ(c->helpItem()->text,
              QLatin1String("The node raises the color from <b>source</b> input to 1 / <b>degree</b> power."));
    // A new node is defined: grey under a degree of white passes grey, and the error is magenta.
    EXPECT_EQ(c->getColorParam(QStringLiteral("Degree")), Color(1.0f, 1.0f, 1.0f, 1.0f));
    EXPECT_EQ(c->getColorParam(QStringLiteral("Error")), Color(1.0f, 0.0f, 1.0f, 1.0f));
    EXPECT_EQ(node->getSample3(MathTest::kPoint), 0x808080u);
    ASSERT_EQ(c->setColorParam(QStringLiteral("Degree"), Color(1.0f, 0.0f, 1.0f)), 0);
    EXPECT_EQ(node->getSample3(MathTest::kPoint), 0xFF00FFu);
}

TEST(RootNode, ChosenBytePairs)
{
    Linked<NodeRoot> root({"source", "degree"});
    EXPECT_EQ(root.at(0x808080u, 0xFFFFFFu), 0x808080u);
    // 0.502 ^ 1.992 = 0.25334: word 16603, high byte 64 (a rounding to 8 bits would give 65).
    EXPECT_EQ(root.at(0x808080u, 0x808080u), 0x404040u);
    EXPECT_EQ(root.at(0x404040u, 0x808080u), 0x101010u);
    EXPECT_EQ(root.at(0xFEFEFEu, 0x010101u), 0x5D5D5Du);
    EXPECT_EQ(root.at(0xC8C8C8u, 0x010101u), 0x000000u);
    // Channels apart; the top bytes play no part.
    EXPECT_EQ(root.at(0xEE80FF00u, 0x77FFFF01u), 0x80FF00u);
    for (unsigned int d = 1; d < 256; ++d) {
        EXPECT_EQ(root.at(0xFF0000u, d * 0x010101u), 0xFF0000u) << d;
        EXPECT_LE(root.at(0x9A9A9Au, d * 0x010101u), 0x9A9A9Au) << d;
    }
}

TEST(RootNode, ZeroDegreeChannelGivesTheErrorColour)
{
    Linked<NodeRoot> root({"source", "degree"});
    for (unsigned int degree : {0x00FFFFu, 0xFF00FFu, 0xFFFF00u, 0x000000u, 0xFF808000u})
        EXPECT_EQ(root.at(0x808080u, degree), 0xFF00FFu) << std::hex << degree;
    root.setColour("Error", Color(0.0f, 1.0f, 0.0f, 0.0f));
    EXPECT_EQ(root.at(0x808080u, 0x000000u), 0x00FF00u);
    // A linked error colour loses its top byte; the parameter stays editable.
    root.feed("error", 0xAB123456u);
    EXPECT_TRUE(root.enabled("Error"));
    EXPECT_EQ(root.at(0x808080u, 0x80FF00u), 0x123456u);
    root.unfeed("error");
    EXPECT_EQ(root.at(0x808080u, 0x80FF00u), 0x00FF00u);
}

TEST(LogarithmNode, ShapeAndInitialState)
{
    std::unique_ptr<KelNodes::Node> holder;
    auto* node = checkedShape<NodeLogarithm>(
        holder, "operator.Maths.logarithm", "14903361-8a1a-4f73-9840-725916cc81ff", "Logarithm",
        {"source:4/0", "base:4/0", "error:4/0", "rgb:0/5"}, {"basicsBox", "Source", "Base", "Error"});
    ASSERT_TRUE(node);
    KelUtils::ParameterContainer* c = node->paramContainer();
    EXPECT_EQ(c->helpItem()->text, QLatin1String("The node transforms input colors with logarithm function."));
    ASSERT_EQ(c->helpItem()->links.size(), 1);
    EXPECT_EQ(c->helpItem()->links[0].caption, QLatin1String("Logarithm"));
    // A new node is defined: grey to a grey base is 1.
    EXPECT_EQ(c->getColorParam(QStringLiteral("Source")), c->getColorParam(QStringLiteral("Base")));
    EXPECT_FLOAT_EQ(c->getColorParam(QStringLiteral("Base")).blue, 0.21951973f);
    EXPECT_EQ(node->getSample3(MathTest::kPoint), 0xFFFFFFu);
}

TEST(LogarithmNode, ChosenBytePairs)
{
    Linked<NodeLogarithm> log({"source", "base"});
    EXPECT_EQ(log.at(0x808080u, 0x808080u), 0xFFFFFFu);
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
}

TEST(LogarithmNode, UndefinedLogarithmsGiveTheErrorColour)
{
    Linked<NodeLogarithm> log({"source", "base"});
    for (unsigned int base : {0x00FFFFu, 0x80FF80u, 0x000000u, 0xFFFFFFu, 0x8080FFu})
        EXPECT_EQ(log.at(0x808080u, base), 0xFF00FFu) << std::hex << base;
    for (unsigned int source : {0x00FFFFu, 0x8000FFu, 0x000000u})
        EXPECT_EQ(log.at(source, 0x808080u), 0xFF00FFu) << std::hex << source;
    log.feed("error", 0xFF0A0B0Cu);
    EXPECT_EQ(log.at(0x000000u, 0x808080u), 0x0A0B0Cu);
    EXPECT_TRUE(log.enabled("Error"));
    EXPECT_TRUE(log.enabled("Source"));
}

TEST(RootNode, StoredColoursComeBackAndAreSampledAtOnce)
{
    Rig<NodeRoot> original;
    original.setGrey("Source", 200);
    original.setGrey("Degree", 128);
    original.setColour("Error", Color(0.0f, 0.0f, 1.0f));
    const unsigned int expected = original.sample();
    EXPECT_NE(expected, 0x808080u);

    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("root"));
    document.appendChild(root);
    ASSERT_EQ(original.node->paramContainer()->storeState(document, root, false, false), 0);

    Rig<NodeRoot> copy;
    ASSERT_EQ(copy.node->paramContainer()->loadState(root.firstChildElement()), 0);
    EXPECT_EQ(copy.sample(), expected);
    copy.setColour("Degree", Color(0.0f, 1.0f, 1.0f));
    EXPECT_EQ(copy.sample(), 0x0000FFu);
}
