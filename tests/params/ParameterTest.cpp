#include "params/GroupBoxParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterContainer.h"
#include "params/ParameterFactory.h"

#include <gtest/gtest.h>

#include <QDomDocument>

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
    bool appended = false;
};

void recordCall(IParameterContainer*, Parameter* parameter, void* userData)
{
    static_cast<CallLog*>(userData)->calls.append(parameter);
}

// Registers recordCall the first time it runs.
void appendAnotherCallback(IParameterContainer* container, Parameter*, void* userData)
{
    auto* log = static_cast<CallLog*>(userData);
    if (!log->appended) {
        log->appended = true;
        container->paramCallbacks().append({recordCall, log});
    }
}

} // namespace

TEST(Parameter, DisplayFlagSettersKeepLowBitsAndNotifyOnlyOnChange)
{
    ParameterContainer container(QStringLiteral("node"), QString());
    CallLog log;
    PlainParameter p(QStringLiteral("p"), QString(), &container, 1);
    container.paramCallbacks().append({recordCall, &log});

    struct Step
    {
        int op; // 0 set, 1 set bits, 2 clear bits
        int bits, flags, calls;
    };
    const Step steps[] = {{0, 13, 5, 1}, {0, 5, 5, 1}, {0, 1, 1, 2}, {1, 3, 1, 2}, {1, 4, 5, 3},
                          {2, 6, 1, 4},  {2, 2, 1, 4}, {1, 8, 1, 4}}; // bit 3 lies outside the kept bits
    for (Step const& s : steps) {
        if (s.op == 0)
            p.setDisplayFlags(s.bits);
        else if (s.op == 1)
            p.setDisplayFlagOne(s.bits);
        else
            p.setDisplayFlagZero(s.bits);
        EXPECT_EQ(p.displayFlags(), s.flags) << s.op << " " << s.bits;
        EXPECT_EQ(log.calls.size(), s.calls) << s.op << " " << s.bits;
    }

    // A stand-alone parameter notifies nobody.
    NumGroupParameter<float> alone(QStringLiteral("a"), QString(), nullptr, nullptr, 1, 0.f, 1.f, 0.f, true, 1);
    EXPECT_EQ(alone.setValue(0.5f, 0), 0);
    EXPECT_EQ(log.calls.size(), 4);
}

TEST(Parameter, NotificationSkipsNullCallbacksAndReachesCallbacksAddedOnTheWay)
{
    ParameterContainer container(QStringLiteral("node"), QString());
    CallLog log;
    PlainParameter p(QStringLiteral("p"), QString(), &container, 1);
    container.paramCallbacks().append({nullptr, nullptr});
    container.paramCallbacks().append({appendAnotherCallback, &log});
    p.notifyUpdate();
    EXPECT_EQ(log.calls, QList<Parameter*>{&p});
    p.notifyUpdate();
    EXPECT_EQ(log.calls.size(), 2);
}

TEST(Parameter, ConversionOperatorsAreCheckedDownCasts)
{
    NumGroupParameter<float> f(QStringLiteral("f"), QString(), nullptr, nullptr, 2, 0.f, 1.f, 0.f, true, 1);
    Parameter* pf = &f;
    Parameter const* cpf = &f;
    NumGroupParameter<float>* asFloat = *pf;
    NumGroupParameter<int>* wrongKind = *pf;
    NumGroupParameter<int> const* constWrong = *cpf;
    ColorParameter* colour = *pf;
    EXPECT_EQ(asFloat, &f);
    EXPECT_EQ(wrongKind, nullptr);
    EXPECT_EQ(constWrong, nullptr);
    EXPECT_EQ(colour, nullptr);

    PlainParameter plain(QStringLiteral("p"), QString(), nullptr, 1);
    Parameter* pp = &plain;
    GroupBoxParameter* box = *pp; // the test kind is not a real group box
    EXPECT_EQ(box, nullptr);
}

TEST(Parameter, StoreWritesStandAloneAttributesOnlyWithoutContainer)
{
    ParameterContainer container(QStringLiteral("node"), QString());
    QDomDocument doc;
    GroupBoxParameter inside(QStringLiteral("generalBox"), QStringLiteral("General"), &container, 5);
    QDomElement e = doc.createElement(QStringLiteral("param"));
    EXPECT_EQ(inside.store(e, doc), 0);
    EXPECT_EQ(e.attributes().size(), 2);
    EXPECT_EQ(e.attribute(QStringLiteral("name")), QStringLiteral("generalBox"));
    EXPECT_EQ(e.attribute(QStringLiteral("flags")), QStringLiteral("5"));
    EXPECT_FALSE(e.hasChildNodes());

    // Stand-alone: the kind and title are written, yet the factory builds no group box.
    GroupBoxParameter alone(QStringLiteral("alone"), QStringLiteral("Alone & <more>:"), nullptr, 1);
    QDomElement s = doc.createElement(QStringLiteral("parameter"));
    alone.store(s, doc);
    EXPECT_EQ(s.attribute(QStringLiteral("type")), QStringLiteral("1"));
    EXPECT_EQ(s.attribute(QStringLiteral("ui_text")), QStringLiteral("Alone & <more>:"));
    EXPECT_EQ(createParameter(s), nullptr);
}

TEST(Parameter, LoadReadsFlagsAndKeepsEverythingWhenTheKindRefuses)
{
    ParameterContainer container(QStringLiteral("node"), QString());
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

    const std::pair<QString, int> flags[] = {{QStringLiteral("255"), 7}, {QString(), 7}, {QStringLiteral("abc"), 0}};
    for (auto const& [stored, expected] : flags) {
        e.setAttribute(QStringLiteral("flags"), stored);
        p.load(e);
        EXPECT_EQ(p.displayFlags(), expected) << qPrintable(stored);
    }
}
