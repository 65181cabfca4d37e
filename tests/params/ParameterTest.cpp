#include "params/NumGroupParameter.h"
#include "params/ParameterContainer.h"
#include "params/XmlNumbers.h"

#include <gtest/gtest.h>

#include <QDomDocument>

#include <memory>

using namespace KelUtils;

namespace {

// The smallest concrete kind: lets the base behaviour be tested on its own.
class PlainParameter : public Parameter
{
public:
    using Parameter::Parameter;
    ParamType type() const override { return ParamGroupBox; }
    int loadSpecific(QDomElement const& element) override
    {
        return element.attribute(QStringLiteral("refuse")).isEmpty() ? 0 : -1;
    }
};

struct CallLog
{
    QList<Parameter*> calls;
};

void recordCall(IParameterContainer*, Parameter* parameter, void* userData)
{
    static_cast<CallLog*>(userData)->calls.append(parameter);
}

struct AppendingState
{
    CallLog* log = nullptr;
    bool appended = false;
};

void appendAnotherCallback(IParameterContainer* container, Parameter*, void* userData)
{
    auto* state = static_cast<AppendingState*>(userData);
    if (!state->appended) {
        state->appended = true;
        container->paramCallbacks().append({recordCall, state->log});
    }
}

class ParameterTest : public ::testing::Test
{
protected:
    ParameterContainer container{QStringLiteral("node"), QString()};
    CallLog log;

    void listen() { container.paramCallbacks().append({recordCall, &log}); }
};

} // namespace

TEST_F(ParameterTest, DisplayFlagSettersKeepLowBitsAndNotifyOnlyOnChange)
{
    PlainParameter p(QStringLiteral("p"), QStringLiteral("P:"), &container, 1);
    listen();

    EXPECT_EQ(p.setDisplayFlags(13), 5);
    EXPECT_EQ(p.displayFlags(), 5);
    EXPECT_EQ(log.calls.size(), 1);
    EXPECT_EQ(p.setDisplayFlags(5), 5);
    EXPECT_EQ(log.calls.size(), 1);

    p.setDisplayFlags(1);
    log.calls.clear();
    p.setDisplayFlagOne(3); // bit 0 already set: nothing
    EXPECT_EQ(p.displayFlags(), 1);
    EXPECT_TRUE(log.calls.isEmpty());
    p.setDisplayFlagOne(4);
    EXPECT_EQ(p.displayFlags(), 5);
    EXPECT_EQ(log.calls.size(), 1);
    p.setDisplayFlagZero(6);
    EXPECT_EQ(p.displayFlags(), 1);
    EXPECT_EQ(log.calls.size(), 2);
    p.setDisplayFlagZero(2);
    EXPECT_EQ(p.displayFlags(), 1);
    EXPECT_EQ(log.calls.size(), 2);
    p.setDisplayFlagOne(8); // outside the kept bits
    EXPECT_EQ(p.displayFlags(), 1);
    EXPECT_EQ(log.calls.size(), 2);
    EXPECT_EQ(log.calls.first(), &p);
}

TEST_F(ParameterTest, ConstructorKeepsFlagsUnmaskedAndStartsAtFrameZero)
{
    PlainParameter p(QStringLiteral("p"), QStringLiteral("P:"), nullptr, 13);
    EXPECT_EQ(p.displayFlags(), 13);
    EXPECT_EQ(p.currentFrame(), 0);
    EXPECT_TRUE(p.icon().isNull());
    EXPECT_TRUE(p.helpItem()->isEmpty());
    EXPECT_EQ(p.container(), nullptr);
}

TEST_F(ParameterTest, StandAloneParameterNotifiesNobody)
{
    NumGroupParameter<float> p(QStringLiteral("a"), QStringLiteral("A:"), nullptr, nullptr, 1, 0.f, 1.f, 0.f, true, 1);
    listen();
    EXPECT_EQ(p.setValue(0.5f, 0), 0);
    p.setDisplayFlags(4);
    EXPECT_TRUE(log.calls.isEmpty());
    EXPECT_EQ(p.value(0), 0.5f);
}

TEST_F(ParameterTest, NotificationSkipsNullCallbacksAndReachesCallbacksAddedOnTheWay)
{
    PlainParameter p(QStringLiteral("p"), QString(), &container, 1);
    container.paramCallbacks().append({nullptr, nullptr});
    AppendingState state{&log, false};
    container.paramCallbacks().append({appendAnotherCallback, &state});

    p.notifyUpdate();
    ASSERT_EQ(log.calls.size(), 1);
    EXPECT_EQ(log.calls.first(), &p);

    p.notifyUpdate();
    EXPECT_EQ(log.calls.size(), 2);
}

TEST_F(ParameterTest, BaseKeyframeOperationsDoNothingAndSucceed)
{
    PlainParameter p(QStringLiteral("p"), QString(), &container, 1);
    listen();
    EXPECT_FALSE(p.supportsKeyframes());
    EXPECT_EQ(p.setKeyframeAt(3), 0);
    EXPECT_FALSE(p.isKeyframe(3));
    EXPECT_TRUE(p.keyframes().isEmpty());
    EXPECT_EQ(p.deleteKeyframe(3), 0);
    EXPECT_EQ(p.moveKeyframe(3, 4), 0);
    EXPECT_EQ(p.setCurrentFrame(-5), 0);
    EXPECT_EQ(p.currentFrame(), -5);
    EXPECT_EQ(p.clone(), nullptr);
    EXPECT_EQ(p.embeddedData(), nullptr);
    EXPECT_TRUE(log.calls.isEmpty());
}

TEST_F(ParameterTest, ConversionOperatorsAreCheckedDownCasts)
{
    NumGroupParameter<float> f(QStringLiteral("f"), QString(), nullptr, nullptr, 2, 0.f, 1.f, 0.f, true, 1);
    NumGroupParameter<int> i(QStringLiteral("i"), QString(), nullptr, nullptr, 1, 0, 1, 0, false, 1);
    Parameter* pf = &f;
    Parameter* pi = &i;
    Parameter const* cpf = &f;

    NumGroupParameter<float>* asFloat = *pf;
    NumGroupParameter<int>* wrongKind = *pf;
    NumGroupParameter<int>* asInt = *pi;
    NumGroupParameter<float> const* constFloat = *cpf;
    NumGroupParameter<int> const* constWrong = *cpf;
    ColorParameter* colour = *pf;
    StringParameter* text = *pi;
    EXPECT_EQ(asFloat, &f);
    EXPECT_EQ(wrongKind, nullptr);
    EXPECT_EQ(asInt, &i);
    EXPECT_EQ(constFloat, &f);
    EXPECT_EQ(constWrong, nullptr);
    EXPECT_EQ(colour, nullptr);
    EXPECT_EQ(text, nullptr);

    PlainParameter plain(QStringLiteral("p"), QString(), nullptr, 1);
    Parameter* pp = &plain;
    GroupBoxParameter* box = *pp; // the test kind is not a real group box
    EXPECT_EQ(box, nullptr);
}

TEST_F(ParameterTest, StoreWritesStandAloneAttributesOnlyWithoutContainer)
{
    QDomDocument doc;
    PlainParameter inside(QStringLiteral("inside"), QStringLiteral("Inside:"), &container, 5);
    QDomElement e1 = doc.createElement(QStringLiteral("param"));
    EXPECT_EQ(inside.store(e1, doc), 0);
    EXPECT_EQ(e1.attribute(QStringLiteral("name")), QStringLiteral("inside"));
    EXPECT_EQ(e1.attribute(QStringLiteral("flags")), QStringLiteral("5"));
    EXPECT_FALSE(e1.hasAttribute(QStringLiteral("type")));
    EXPECT_FALSE(e1.hasAttribute(QStringLiteral("ui_text")));
    EXPECT_FALSE(e1.hasAttribute(QStringLiteral("frame_num"))); // not keyframable

    PlainParameter alone(QStringLiteral("alone"), QStringLiteral("Alone & <more>:"), nullptr, 1);
    QDomElement e2 = doc.createElement(QStringLiteral("parameter"));
    alone.store(e2, doc);
    EXPECT_EQ(e2.attribute(QStringLiteral("type")), QStringLiteral("1"));
    EXPECT_EQ(e2.attribute(QStringLiteral("ui_text")), QStringLiteral("Alone & <more>:"));
}

TEST_F(ParameterTest, LoadReadsFlagsAndKeepsEverythingWhenTheKindRefuses)
{
    PlainParameter p(QStringLiteral("p"), QString(), &container, 1);
    p.setCurrentFrame(7);
    QDomDocument doc;
    QDomElement e = doc.createElement(QStringLiteral("param"));
    e.setAttribute(QStringLiteral("flags"), QStringLiteral("4"));
    e.setAttribute(QStringLiteral("refuse"), QStringLiteral("yes"));
    EXPECT_EQ(p.load(e), -1);
    EXPECT_EQ(p.displayFlags(), 1);
    EXPECT_EQ(p.currentFrame(), 7);

    e.removeAttribute(QStringLiteral("refuse"));
    e.setAttribute(QStringLiteral("frame_num"), QStringLiteral("9")); // not read: not keyframable
    EXPECT_EQ(p.load(e), 0);
    EXPECT_EQ(p.displayFlags(), 4);
    EXPECT_EQ(p.currentFrame(), 0);

    e.setAttribute(QStringLiteral("flags"), QStringLiteral("255"));
    p.load(e);
    EXPECT_EQ(p.displayFlags(), 7);
    e.setAttribute(QStringLiteral("flags"), QString());
    p.load(e);
    EXPECT_EQ(p.displayFlags(), 7);
    e.setAttribute(QStringLiteral("flags"), QStringLiteral("abc"));
    p.load(e);
    EXPECT_EQ(p.displayFlags(), 0);
}
