#include "effects/SharedOutputMemo.h"
#include "effects/color/NodeInversion.h"
#include "nodes/Terminal.h"

#include <gtest/gtest.h>

#include <QPoint>

#include <atomic>
#include <vector>

using KelVyxNodes::SharedOutputMemo;

namespace {

// Counts every point it is asked for; the value is a function of the point, with the top byte
// set where asked (a generator not keeping to 24 bits).
class CountingColour : public KelVyxNodes::Base3DGenerator
{
public:
    unsigned int getSample3(QPoint const& p) const override
    {
        ++asked;
        return value(p.x(), p.y());
    }
    unsigned int value(int x, int y) const
    {
        const unsigned int v = unsigned(x * 31 + y * 7) & 0xFFFFFFu;
        return wide && x == 2 ? v | 0x7F000000u : v;
    }
    mutable std::atomic<int> asked{0};
    bool wide = false;
};

class CountingChannel : public KelVyxNodes::Base1DGenerator
{
public:
    unsigned int getSample(QPoint const& p) const override
    {
        ++asked;
        return unsigned(p.x() + 2 * p.y()) & 0xFFu;
    }
    mutable std::atomic<int> asked{0};
};

} // namespace

// Readers asking the same points, by span or by point, in any mix: the node behind is asked
// once per point in a render, and again in the next render; points outside the image and
// values wider than 24 bits pass through unkept, unchanged.
TEST(SharedOutputMemo, EvaluatesEachPointOncePerRender)
{
    CountingColour colour;
    SharedOutputMemo memo(nullptr, &colour);
    memo.startRender(6, 4);

    std::vector<unsigned int> first(6), second(6);
    memo.getSpan3(1, 0, 6, first.data());
    EXPECT_EQ(colour.asked, 6);
    memo.getSpan3(1, 0, 6, second.data());
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(first[size_t(x)], colour.value(x, 1));
        EXPECT_EQ(memo.getSample3(QPoint(x, 1)), colour.value(x, 1));
    }
    EXPECT_EQ(second, first);
    EXPECT_EQ(colour.asked, 6);

    // A span partly known: only the unknown run is asked for.
    memo.getSample3(QPoint(3, 2));
    EXPECT_EQ(colour.asked, 7);
    memo.getSpan3(2, 1, 5, second.data());
    EXPECT_EQ(colour.asked, 11);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(second[size_t(i)], colour.value(i + 1, 2));

    // Outside the image nothing is kept.
    memo.getSample3(QPoint(-1, 0));
    memo.getSample3(QPoint(-1, 0));
    EXPECT_EQ(colour.asked, 13);

    memo.startRender(6, 4);
    memo.getSpan3(1, 0, 6, second.data());
    EXPECT_EQ(colour.asked, 19) << "a new render must not see the last render's values";

    colour.wide = true;
    memo.startRender(6, 4);
    EXPECT_EQ(memo.getSample3(QPoint(2, 0)), colour.value(2, 0));
    EXPECT_EQ(memo.getSample3(QPoint(2, 0)), colour.value(2, 0));
    EXPECT_EQ(colour.asked, 21);
}

TEST(SharedOutputMemo, OneChannelAndItsDefaultSpan)
{
    CountingChannel channel;
    SharedOutputMemo memo(&channel, nullptr);
    memo.startRender(5, 5);
    std::vector<unsigned int> span(5), direct(5);
    memo.getSpan(3, 0, 5, span.data());
    channel.KelVyxNodes::Base1DGenerator::getSpan(3, 0, 5, direct.data());
    EXPECT_EQ(span, direct);
    EXPECT_EQ(memo.getSample(QPoint(4, 3)), 10u);
    EXPECT_EQ(channel.asked, 10);
}

// An output read from ever other generators (an effect's input as the stack is rechained)
// keeps one memo a kind of value, not one for every generator it was ever read from.
TEST(SharedOutputMemo, ANodeKeepsOneMemoPerOutputAndKind)
{
    KelVyxNodes::NodeInversion node(1);
    KelNodes::Terminal const* output = node.terminal(0);
    ASSERT_NE(output, nullptr);
    std::vector<CountingColour> colours(50);
    for (CountingColour const& colour : colours) {
        SharedOutputMemo const* memo = node.sharedOutput(output, nullptr, &colour);
        EXPECT_EQ(memo->colourSource(), &colour);
        EXPECT_EQ(node.sharedOutput(output, nullptr, &colour), memo) << "the same generator shares its memo";
    }
    EXPECT_EQ(node.sharedOutputCount(), 1);
    CountingChannel channel;
    node.sharedOutput(output, &channel, nullptr);
    EXPECT_EQ(node.sharedOutputCount(), 2);
}
