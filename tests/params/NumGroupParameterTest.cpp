#include "params/NumGroupParameter.h"
#include "params/ParameterContainer.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <memory>

using namespace KelUtils;

namespace {

void countCall(IParameterContainer*, Parameter*, void* userData)
{
    ++*static_cast<int*>(userData);
}

class NumGroupTest : public ::testing::Test
{
protected:
    ParameterContainer container{QStringLiteral("node"), QString()};
    int notifications = 0;

    void SetUp() override { container.paramCallbacks().append({countCall, &notifications}); }

    std::unique_ptr<NumGroupParameter<int>> intGroup(int count, int min, int max, int def)
    {
        return std::make_unique<NumGroupParameter<int>>(QStringLiteral("i"), QStringLiteral("I:"), &container,
                                                        nullptr, count, min, max, def, true, 1);
    }
    std::unique_ptr<NumGroupParameter<float>> floatGroup(int count, float min, float max, float def)
    {
        return std::make_unique<NumGroupParameter<float>>(QStringLiteral("f"), QStringLiteral("F:"), &container,
                                                          nullptr, count, min, max, def, true, 1);
    }
};

} // namespace

TEST_F(NumGroupTest, IntInterpolationRoundsHalvesAwayFromZero)
{
    struct Case
    {
        int keyFrame, keyValue, frame, expected;
    };
    // Keys: 0 at frame 0 and keyValue at keyFrame.
    const Case cases[] = {{4, 2, 1, 1}, {4, 2, 2, 1}, {4, 2, 3, 2}, {4, -2, 1, -1},
                          {4, -2, 2, -1}, {3, 1, 1, 0}, {3, 1, 2, 1}};
    for (Case const& c : cases) {
        auto p = intGroup(1, -10, 10, 0);
        int zero = 0, value = c.keyValue;
        p->setKeyframeAt(0, &zero);
        p->setKeyframeAt(c.keyFrame, &value);
        p->setCurrentFrame(c.frame);
        EXPECT_EQ(p->value(0), c.expected) << c.keyValue << " at " << c.frame;
    }

    // Extreme values do not overflow on the way.
    auto p = intGroup(1, INT_MIN, INT_MAX, 0);
    int low = INT_MIN, high = INT_MAX;
    p->setKeyframeAt(0, &high);
    p->setKeyframeAt(99, &low);
    int out = 0;
    p->calcFrameValues(1, &out);
    EXPECT_GT(out, INT_MAX - qint64(INT_MAX) * 2 / 99 - 2);
    EXPECT_LT(out, INT_MAX);
    p->calcFrameValues(98, &out);
    EXPECT_LT(out, INT_MIN + qint64(INT_MAX) * 2 / 99 + 2);
}

TEST_F(NumGroupTest, FloatInterpolationIsSinglePrecisionAndHoldsOutsideTheKeys)
{
    auto p = floatGroup(1, 0.f, 1.f, 0.f);
    float zero = 0.f, one = 1.f;
    p->setKeyframeAt(10, &zero);
    p->setKeyframeAt(20, &one);
    float out = -1.f;
    EXPECT_EQ(p->calcFrameValues(12, &out), nullptr);
    EXPECT_EQ(out, 0.2f);
    EXPECT_EQ(p->calcFrameValues(5, &out), nullptr);
    EXPECT_EQ(out, 0.f);
    EXPECT_EQ(p->calcFrameValues(25, &out), nullptr);
    EXPECT_EQ(out, 1.f);
    EXPECT_NE(p->calcFrameValues(20, &out), nullptr);

    // Single precision, not double rounded to float: 1/3 of the way from 0.1 to 0.7.
    float a = 0.1f, b = 0.7f;
    auto q = floatGroup(1, 0.f, 1.f, 0.f);
    q->setKeyframeAt(0, &a);
    q->setKeyframeAt(3, &b);
    q->setCurrentFrame(1);
    const float dL = 2.f, dE = 1.f;
    EXPECT_EQ(q->value(0), (a * dL + b * dE) / (dL + dE));
}

TEST_F(NumGroupTest, EditsChangeOnlyAKeyExactlyAtTheCurrentFrame)
{
    auto p = floatGroup(1, 0.f, 1.f, 0.f);
    float keyValue = 0.5f;
    p->setKeyframeAt(10, &keyValue);

    p->setCurrentFrame(5); // held before the first key
    p->setValue(0.9f, 0);
    EXPECT_EQ(p->value(0), 0.9f);
    p->setCurrentFrame(6);
    EXPECT_EQ(p->value(0), 0.5f);

    p->setCurrentFrame(10);
    p->setValue(0.25f, 0);
    p->setCurrentFrame(0);
    p->setCurrentFrame(10);
    EXPECT_EQ(p->value(0), 0.25f);
}

TEST_F(NumGroupTest, SetValueAlwaysNotifiesWhileSetValuesOnlyOnChange)
{
    auto p = intGroup(2, 0, 10, 3);
    EXPECT_EQ(p->setValue(3, 0), 0);
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(p->setValue(11, 0), -1);
    EXPECT_EQ(p->setValue(4, 2), -1); // index outside the group
    EXPECT_EQ(p->setValue(4, -1), -1);
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(p->value(5), 3); // the default for a bad index

    int same[2] = {3, 3};
    EXPECT_EQ(p->setValues(same, -1), 0);
    EXPECT_EQ(notifications, 1);
    int mixed[2] = {5, 12};
    EXPECT_EQ(p->setValues(mixed, 2), -1); // all or nothing
    EXPECT_EQ(p->value(0), 3);
    int good[2] = {5, 6};
    EXPECT_EQ(p->setValues(good, 1), 1);
    EXPECT_EQ(p->value(1), 3);
    EXPECT_EQ(p->setValues(good, 7), 2);
    EXPECT_EQ(notifications, 3);
    EXPECT_EQ(p->setValues(nullptr, 2), 0);
    EXPECT_EQ(p->getValues(nullptr, 2), 0);
}

TEST_F(NumGroupTest, RangeRules)
{
    auto p = intGroup(1, 0, 10, 0);
    p->setValue(7, 0);
    notifications = 0;
    EXPECT_EQ(p->setRange(0, 10, 20), -1);
    EXPECT_EQ(p->setRange(0, 10, 0), 0);
    EXPECT_EQ(notifications, 0);
    EXPECT_EQ(p->setRange(0, 5, 2), 0);
    EXPECT_EQ(p->value(0), 2); // replaced by the default, not the bound
    EXPECT_EQ(notifications, 1);
    // An open range (maximum below minimum) takes anything.
    EXPECT_EQ(p->setRange(10, 0, 5), 0);
    EXPECT_EQ(p->setValue(-1000, 0), 0);
    EXPECT_EQ(p->setValue(1000, 0), 0);

    // 0..1 single ints are booleans until the range widens.
    auto b = intGroup(1, 0, 1, 0);
    EXPECT_EQ(b->type(), ParamBool);
    b->setRange(0, 2, 0);
    EXPECT_EQ(b->type(), ParamIntGroup);

    // Even an open range never takes NaN.
    auto f = floatGroup(1, 1.f, 0.f, 0.f);
    EXPECT_EQ(f->setValue(std::numeric_limits<float>::quiet_NaN(), 0), -1);

    // A range narrowed below the key values keeps the previous values at that frame.
    auto k = intGroup(1, 0, 10, 0);
    int eight = 8;
    k->setKeyframeAt(5, &eight);
    k->setRange(0, 5, 0);
    k->setValue(3, 0);
    EXPECT_EQ(k->setCurrentFrame(5), 0);
    EXPECT_EQ(k->value(0), 3);
}

TEST_F(NumGroupTest, KeyframesRespectTheFrameCountAndTakeTheShownValues)
{
    auto p = intGroup(1, 0, 10, 1);
    EXPECT_EQ(p->setKeyframeAt(99), 0);
    EXPECT_EQ(p->setKeyframeAt(100), -1);
    EXPECT_EQ(p->setKeyframeAt(-1), -1);
    EXPECT_EQ(p->setCurrentFrame(100), -1);
    EXPECT_EQ(p->currentFrame(), 0);
    int five = 5;
    EXPECT_EQ(p->setKeyframeAt(99, &five), -1); // an existing key is never overwritten
    p->setCurrentFrame(99);
    EXPECT_EQ(p->value(0), 1);

    // A key without values takes what the current frame shows.
    auto q = intGroup(1, 0, 10, 0);
    q->setValue(4, 0);
    q->setCurrentFrame(30);
    int seven = 7;
    q->setKeyframeAt(10);
    q->setKeyframeAt(20, &seven);
    EXPECT_EQ(q->setKeyframeAt(15), 0); // frame 30 shows the last key's 7
    q->setCurrentFrame(15);
    EXPECT_EQ(q->value(0), 7);

    // Stand-alone: no upper bound.
    NumGroupParameter<int> alone(QStringLiteral("a"), QString(), nullptr, nullptr, 1, 0, 10, 0, false, 1);
    EXPECT_EQ(alone.setKeyframeAt(100000), 0);
}

TEST_F(NumGroupTest, MoveAndDeleteKeyframes)
{
    auto p = intGroup(1, 0, 10, 0);
    int a = 1, b = 2, c = 3;
    p->setKeyframeAt(10, &a);
    p->setKeyframeAt(20, &b);
    p->setKeyframeAt(30, &c);

    EXPECT_EQ(p->moveKeyframe(10, 10), -1);
    EXPECT_EQ(p->moveKeyframe(10, -1), -1);
    EXPECT_EQ(p->moveKeyframe(11, 12), -1);
    EXPECT_EQ(p->moveKeyframe(10, 100), -1);
    EXPECT_EQ(p->deleteKeyframe(11), -1);

    EXPECT_EQ(p->moveKeyframe(10, 20), 0);
    EXPECT_EQ(p->keyframes(), (QList<int>{20, 30}));
    p->setCurrentFrame(20);
    EXPECT_EQ(p->value(0), 1);
    EXPECT_EQ(p->moveKeyframe(30, 5), 0);
    EXPECT_EQ(p->keyframes(), (QList<int>{5, 20}));

    // The active key is replaced by a move onto it; the values follow the moved key.
    EXPECT_EQ(p->moveKeyframe(5, 20), 0);
    EXPECT_EQ(p->value(0), 3);
    p->setValue(9, 0);
    EXPECT_EQ(p->deleteKeyframe(20), 0);
    EXPECT_TRUE(p->keyframes().isEmpty());
    EXPECT_EQ(p->value(0), 9); // the last key gone, the values stay
}

TEST_F(NumGroupTest, ResizeLimitsAndKeyAdaptation)
{
    auto p = intGroup(2, 0, 10, 1);
    EXPECT_EQ(p->resize(nullptr, MaxGroupValues + 1), -1);
    EXPECT_EQ(p->resize(nullptr, -1), -1);
    EXPECT_EQ(p->numValues(), 2);

    int k0[2] = {0, 0}, k1[2] = {10, 10};
    p->setKeyframeAt(0, k0);
    p->setKeyframeAt(10, k1);
    EXPECT_EQ(p->resize(nullptr, 3), 0);
    p->setCurrentFrame(5);
    EXPECT_EQ(p->value(0), 5);
    EXPECT_EQ(p->value(2), 1); // new entries take the default, in keys as well

    int bound[4] = {0, 0, 0, 0};
    EXPECT_EQ(p->resize(bound, 4), 0);
    EXPECT_EQ(bound[0], 5);
    EXPECT_EQ(bound[3], 1);

    EXPECT_EQ(p->resize(nullptr, 0), 0);
    EXPECT_EQ(p->numValues(), 0);
    EXPECT_EQ(p->setCurrentFrame(7), 0);
}
