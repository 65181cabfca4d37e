#include "params/ColorParameter.h"
#include "params/GroupBoxParameter.h"
#include "params/KelException.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterContainer.h"
#include "params/ParameterContainerInstance.h"
#include "params/StringParameter.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <array>
#include <functional>

using namespace KelUtils;

namespace {

// Records every callback as "<tag>(<parameter name or null>)".
struct CallRecorder
{
    QString tag;
    QStringList* log = nullptr;

    static void record(IParameterContainer*, Parameter* parameter, void* userData)
    {
        auto* self = static_cast<CallRecorder*>(userData);
        self->log->append(self->tag + QLatin1Char('(')
                          + (parameter ? parameter->name() : QStringLiteral("null"))
                          + QLatin1Char(')'));
    }
};

// A node-like owner that reacts through paramChangeCallback<Owner>.
struct Owner
{
    QList<Parameter*> changed;
    void paramChanged(Parameter* parameter) { changed.append(parameter); }
};

class CountedParameter : public GroupBoxParameter
{
public:
    CountedParameter(QString const& name, int* deaths)
        : GroupBoxParameter(name, name, nullptr, 1)
        , m_deaths(deaths)
    {
    }
    ~CountedParameter() override { ++*m_deaths; }

private:
    int* m_deaths;
};

// A container laid out like a node's: one "basic" list of mixed kinds.
class ParameterContainerFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const ListItem items[] = {{3, QStringLiteral("Three")}, {7, QStringLiteral("Seven")}};
        speed = new NumGroupParameter<float>(QStringLiteral("speed"), QStringLiteral("Speed:"),
                                             &container, speedValues, 1, 0.0f, 10.0f, 1.0f, true, 1);
        size = new NumGroupParameter<int>(QStringLiteral("size"), QStringLiteral("Size:"),
                                          &container, sizeValues, 2, 0, 100, 5, true, 1);
        enabled = new NumGroupParameter<int>(QStringLiteral("enabled"), QStringLiteral("On"),
                                             &container, nullptr, 1, 0, 1, 1, false, 1);
        tint = new ColorParameter(QStringLiteral("tint"), QStringLiteral("Tint:"), &container,
                                  &tintValue, 1);
        mode = new ListParameter(QStringLiteral("mode"), QStringLiteral("Mode:"), &container,
                                 nullptr, items, 2, 7, 1);
        label = new StringParameter(QStringLiteral("label"), QStringLiteral("Label:"), &container,
                                    nullptr, false, 1);
        box = new GroupBoxParameter(QStringLiteral("box"), QStringLiteral("Box"), &container, 1);
        container.paramLists().append(
            ParameterList{QStringLiteral("basic"), true,
                          {box, speed, size, enabled, tint, mode, label}});
    }

    ParameterContainer container{QStringLiteral("test.node"), QString()};
    float speedValues[1] = {};
    int sizeValues[2] = {};
    Color tintValue{0.5f, 0.5f, 0.5f, 1.0f};
    NumGroupParameter<float>* speed = nullptr;
    NumGroupParameter<int>* size = nullptr;
    NumGroupParameter<int>* enabled = nullptr;
    ColorParameter* tint = nullptr;
    ListParameter* mode = nullptr;
    StringParameter* label = nullptr;
    GroupBoxParameter* box = nullptr;
};

QString exceptionMessage(std::function<void()> const& call)
{
    try {
        call();
    } catch (KelException const& e) {
        EXPECT_EQ(e.code(), 0);
        return e.message();
    }
    return QString();
}

} // namespace

TEST(ParameterContainerBasics, NewContainerState)
{
    ParameterContainer container(QStringLiteral("generator.noise"), QStringLiteral("Noise"));
    EXPECT_EQ(container.name(), QStringLiteral("generator.noise"));
    EXPECT_EQ(container.text(), QStringLiteral("Noise"));
    EXPECT_EQ(container.numFrames(), 100);
    EXPECT_EQ(container.currentFrame(), 0);
    EXPECT_FALSE(container.signalsBlocked());
    EXPECT_FALSE(container.undoBlockActive());
    EXPECT_TRUE(container.paramLists().isEmpty());
    EXPECT_TRUE(container.paramCallbacks().isEmpty());
    EXPECT_TRUE(container.children().isEmpty());
    EXPECT_TRUE(container.keyframes().isEmpty());

    // While blocked, the list in force is the recorder alone.
    container.blockSignals(true);
    ASSERT_EQ(container.paramCallbacks().size(), 1);
    EXPECT_EQ(container.paramCallbacks().first().function, &ParameterContainer::paramChangeStore);
    EXPECT_EQ(container.paramCallbacks().first().userData, &container);
}

TEST(ParameterContainerBasics, DestructorDeletesEachParameterOnce)
{
    int deaths = 0;
    {
        ParameterContainer container(QStringLiteral("c"), QString());
        auto* shared = new CountedParameter(QStringLiteral("shared"), &deaths);
        auto* single = new CountedParameter(QStringLiteral("single"), &deaths);
        container.paramLists().append(ParameterList{QStringLiteral("a"), true, {shared, nullptr, single}});
        container.paramLists().append(ParameterList{QStringLiteral("b"), false, {shared}});
    }
    EXPECT_EQ(deaths, 2);
}

TEST_F(ParameterContainerFixture, LookupPrefersExactNamesThenPrefixes)
{
    EXPECT_EQ(container.getParamByName(QStringLiteral("speed")), speed);
    EXPECT_EQ(container.getParamByName(QStringLiteral("spe"), ParamFloatGroup, 0), speed);
    EXPECT_EQ(container.getParamByName(QStringLiteral("si"), ParamIntGroup, ParamBool), size);
    EXPECT_EQ(container.getParamByName(QStringLiteral("enabled"), ParamIntGroup, ParamBool), enabled);
    EXPECT_EQ(container.getParamByName(QStringLiteral("enabled"), ParamIntGroup, 0), nullptr);
    EXPECT_EQ(container.getParamByName(QStringLiteral("nothing")), nullptr);
    // An empty name matches nothing, even though every name starts with it.
    EXPECT_EQ(container.getParamByName(QString()), nullptr);
    EXPECT_EQ(getParamByName(container.paramLists(), QString()), nullptr);
}

TEST_F(ParameterContainerFixture, LookupOfWrongKindFallsThroughToPrefixOfRightKind)
{
    // "speed" exists as a float group; an int lookup finds an int group named "speedy...".
    auto* speedy = new NumGroupParameter<int>(QStringLiteral("speedyInt"), QString(), &container,
                                              nullptr, 1, 0, 9, 2, false, 1);
    container.paramLists().first().parameters.append(speedy);
    EXPECT_EQ(container.getParamByName(QStringLiteral("speed"), ParamIntGroup, ParamBool), speedy);
    EXPECT_EQ(container.getIntParam(QStringLiteral("speed")), 2);
}

TEST_F(ParameterContainerFixture, LookupVisitsChildrenAfterOwnLists)
{
    ParameterContainer child(QStringLiteral("child"), QString());
    auto* childSpeed = new NumGroupParameter<float>(QStringLiteral("speedChild"), QString(), &child,
                                                    nullptr, 1, 0.0f, 1.0f, 0.0f, false, 1);
    auto* only = new NumGroupParameter<float>(QStringLiteral("onlyChild"), QString(), &child,
                                              nullptr, 1, 0.0f, 1.0f, 0.25f, false, 1);
    child.paramLists().append(ParameterList{QStringLiteral("basic"), true, {childSpeed, only}});
    container.children().append(&child);

    // The exact phase covers the children before any prefix match of the parent.
    EXPECT_EQ(container.getParamByName(QStringLiteral("speedChild")), childSpeed);
    EXPECT_EQ(container.getParamByName(QStringLiteral("spee")), speed);
    EXPECT_FLOAT_EQ(container.getFloatParam(QStringLiteral("onlyChild")), 0.25f);
}

TEST_F(ParameterContainerFixture, UnknownNamesThrowWithTheName)
{
    const QString expected = QStringLiteral("No parameter found (missing)");
    EXPECT_EQ(exceptionMessage([&] { container.getIntParam(QStringLiteral("missing")); }), expected);
    EXPECT_EQ(exceptionMessage([&] { container.setFloatParam(QStringLiteral("missing"), 1.0f); }), expected);
    EXPECT_EQ(exceptionMessage([&] { container.getColorParam(QStringLiteral("missing")); }), expected);
    EXPECT_EQ(exceptionMessage([&] { container.getStringParam(QStringLiteral("missing")); }), expected);
    EXPECT_EQ(exceptionMessage([&] { container.setListParam(QStringLiteral("missing"), 3); }), expected);
    EXPECT_EQ(exceptionMessage([&] { container.groupParamSize(QStringLiteral("missing")); }), expected);
    EXPECT_EQ(exceptionMessage([&] { container.paramFlags(QStringLiteral("missing")); }), expected);
    EXPECT_EQ(exceptionMessage([&] { container.setParamFlags(QStringLiteral("missing"), 1); }), expected);

    // A name that exists only as a float group is no int group.
    EXPECT_EQ(exceptionMessage([&] { container.getIntParam(QStringLiteral("speed")); }),
              QStringLiteral("No parameter found (speed)"));
    // An empty name is never found.
    EXPECT_EQ(exceptionMessage([&] { container.getStringParam(QString()); }),
              QStringLiteral("No parameter found ()"));
    EXPECT_FLOAT_EQ(speed->value(0), 1.0f);
}

TEST_F(ParameterContainerFixture, TypedAccessByName)
{
    EXPECT_EQ(container.setFloatParam(QStringLiteral("speed"), 2.5f), 0);
    EXPECT_FLOAT_EQ(speedValues[0], 2.5f);
    EXPECT_FLOAT_EQ(container.getFloatParam(QStringLiteral("speed")), 2.5f);
    EXPECT_EQ(container.setFloatParam(QStringLiteral("speed"), 11.0f), -1);

    EXPECT_EQ(container.setIntParam(QStringLiteral("size"), 40, 1), 0);
    EXPECT_EQ(container.getIntParam(QStringLiteral("size"), 1), 40);
    const int pair[2] = {7, 8};
    EXPECT_EQ(container.setIntGroupParam(QStringLiteral("size"), pair), 2);
    EXPECT_EQ(container.getIntGroupParam(QStringLiteral("size")), size->values());
    int out[2] = {};
    EXPECT_EQ(container.getIntGroupParam(QStringLiteral("size"), out), 2);
    EXPECT_EQ(out[0], 7);
    EXPECT_EQ(out[1], 8);
    EXPECT_EQ(container.groupParamSize(QStringLiteral("size")), 2);
    EXPECT_EQ(container.groupParamSize(QStringLiteral("speed")), 1);

    const float one = 4.0f;
    EXPECT_EQ(container.setFloatGroupParam(QStringLiteral("speed"), &one), 1);
    EXPECT_EQ(*container.getFloatGroupParam(QStringLiteral("speed")), 4.0f);

    EXPECT_EQ(container.setColorParam(QStringLiteral("tint"), Color(1.5f, 0.0f, 0.25f, 0.5f)), 0);
    EXPECT_EQ(container.getColorParam(QStringLiteral("tint")), Color(1.5f, 0.0f, 0.25f, 0.5f));
    EXPECT_EQ(container.setColorParam(QStringLiteral("tint"), Color(-1.0f, 0.0f, 0.0f, 1.0f)), -1);

    EXPECT_EQ(container.setStringParam(QStringLiteral("label"), QStringLiteral("héllo")), 0);
    EXPECT_EQ(container.getStringParam(QStringLiteral("label")), QStringLiteral("héllo"));

    ASSERT_NE(container.getListParam(QStringLiteral("mode")), nullptr);
    EXPECT_EQ(container.getListParam(QStringLiteral("mode"))->id, 7);
    EXPECT_EQ(container.setListParam(QStringLiteral("mode"), 3), 0);
    EXPECT_EQ(container.getListParam(QStringLiteral("mode"))->id, 3);
}

TEST_F(ParameterContainerFixture, OutOfRangeIndexesAndMissingChoicesAreRefused)
{
    EXPECT_EQ(container.setIntParam(QStringLiteral("size"), 1, 2), -1);
    EXPECT_EQ(container.setIntParam(QStringLiteral("size"), 1, -1), -1);
    EXPECT_EQ(container.setFloatParam(QStringLiteral("speed"), 1.0f, 1), -1);
    EXPECT_EQ(sizeValues[0], 5);
    EXPECT_EQ(sizeValues[1], 5);
    // Reads outside the group give the default.
    container.setIntParam(QStringLiteral("size"), 9, 0);
    EXPECT_EQ(container.getIntParam(QStringLiteral("size"), 5), 5);
    EXPECT_FLOAT_EQ(container.getFloatParam(QStringLiteral("speed"), -3), 1.0f);

    // An id the list lacks changes nothing and says so.
    EXPECT_EQ(container.setListParam(QStringLiteral("mode"), 5), -1);
    EXPECT_EQ(container.getListParam(QStringLiteral("mode"))->id, 7);

    auto* empty = new ListParameter(QStringLiteral("emptyList"), QString(), &container, nullptr,
                                    nullptr, 0, 0, 1);
    container.paramLists().first().parameters.append(empty);
    EXPECT_EQ(container.getListParam(QStringLiteral("emptyList")), nullptr);
    EXPECT_EQ(container.setListParam(QStringLiteral("emptyList"), 0), -1);
}

TEST_F(ParameterContainerFixture, ParamFlagsByName)
{
    QStringList log;
    CallRecorder x{QStringLiteral("X"), &log};
    container.paramCallbacks().append({&CallRecorder::record, &x});

    EXPECT_EQ(container.paramFlags(QStringLiteral("speed")), 1);
    container.setParamFlags(QStringLiteral("speed"), 13);
    EXPECT_EQ(container.paramFlags(QStringLiteral("speed")), 5);
    container.setParamFlags(QStringLiteral("speed"), 5);
    EXPECT_EQ(log, QStringList{QStringLiteral("X(speed)")});
}

TEST_F(ParameterContainerFixture, ChangeCallbacksReachTheOwner)
{
    Owner owner;
    container.paramCallbacks().append({&paramChangeCallback<Owner>, &owner});
    container.paramCallbacks().append({nullptr, &owner}); // skipped
    container.setFloatParam(QStringLiteral("speed"), 3.0f);
    container.setStringParam(QStringLiteral("label"), QStringLiteral("x"));
    EXPECT_EQ(owner.changed, (QList<Parameter*>{speed, label}));
}

TEST_F(ParameterContainerFixture, BlockedSignalsReplayCallbackMajorInOrderOfFirstChange)
{
    QStringList log;
    CallRecorder x{QStringLiteral("X"), &log};
    CallRecorder y{QStringLiteral("Y"), &log};
    container.paramCallbacks().append({&CallRecorder::record, &x});
    container.paramCallbacks().append({&CallRecorder::record, &y});

    container.blockSignals(true);
    container.setFloatParam(QStringLiteral("speed"), 2.0f); // A
    container.setIntParam(QStringLiteral("size"), 3, 0);    // B
    container.setFloatParam(QStringLiteral("speed"), 4.0f); // A again
    EXPECT_TRUE(log.isEmpty());
    EXPECT_EQ(container.recordedParameters(), (QList<Parameter*>{speed, size}));

    container.blockSignals(false);
    EXPECT_EQ(log, (QStringList{QStringLiteral("X(speed)"), QStringLiteral("X(size)"),
                                QStringLiteral("Y(speed)"), QStringLiteral("Y(size)")}));

    // Changes after the block are delivered at once again.
    log.clear();
    container.setStringParam(QStringLiteral("label"), QStringLiteral("z"));
    EXPECT_EQ(log, (QStringList{QStringLiteral("X(label)"), QStringLiteral("Y(label)")}));
}

TEST_F(ParameterContainerFixture, BlockingIsNotCounted)
{
    QStringList log;
    CallRecorder x{QStringLiteral("X"), &log};
    container.paramCallbacks().append({&CallRecorder::record, &x});

    // Unblocking without a change calls nobody; unblocking while not blocked does nothing.
    container.blockSignals(true);
    container.blockSignals(false);
    container.blockSignals(false);
    EXPECT_TRUE(log.isEmpty());

    container.blockSignals(true);
    container.setFloatParam(QStringLiteral("speed"), 2.0f);
    container.blockSignals(true); // keeps what was recorded
    container.setStringParam(QStringLiteral("label"), QStringLiteral("a"));
    container.blockSignals(false); // one unblock ends both
    EXPECT_EQ(log, (QStringList{QStringLiteral("X(speed)"), QStringLiteral("X(label)")}));
    EXPECT_FALSE(container.signalsBlocked());
}

namespace {

struct UndoLog
{
    QStringList calls;
    static void begin(IParameterContainer*, QString const& text, int id, void* data)
    {
        static_cast<UndoLog*>(data)->calls.append(QStringLiteral("begin %1 %2").arg(text).arg(id));
    }
    static void end(IParameterContainer*, bool flag, void* data)
    {
        static_cast<UndoLog*>(data)->calls.append(QStringLiteral("end %1").arg(flag));
    }
};

} // namespace

TEST(ParameterContainerUndo, BeginWhileActiveClosesTheOpenBlockFirst)
{
    ParameterContainer container(QStringLiteral("c"), QString());
    UndoLog log;
    const UndoBlockCallback callback{&UndoLog::begin, &UndoLog::end, &log};
    container.setUndoBlockCallback(&callback);

    EXPECT_EQ(container.undoBlockBegin(QStringLiteral("first"), 1), 0);
    EXPECT_TRUE(container.undoBlockActive());
    EXPECT_EQ(container.undoBlockBegin(QStringLiteral("second"), 2), 0);
    EXPECT_EQ(container.undoBlockEnd(false), 0);
    EXPECT_FALSE(container.undoBlockActive());
    EXPECT_EQ(log.calls, (QStringList{QStringLiteral("begin first 1"), QStringLiteral("end 1"),
                                      QStringLiteral("begin second 2"), QStringLiteral("end 0")}));

    // Without callbacks the bracket still toggles.
    container.setUndoBlockCallback(nullptr);
    container.undoBlockBegin(QStringLiteral("third"), 3);
    EXPECT_TRUE(container.undoBlockActive());
    container.undoBlockEnd(true);
    EXPECT_EQ(log.calls.size(), 4);
}

TEST_F(ParameterContainerFixture, FrameCountAndCurrentFrame)
{
    container.setNumFrames(-1);
    EXPECT_EQ(container.numFrames(), 100);
    container.setNumFrames(10);
    EXPECT_EQ(container.numFrames(), 10);

    ParameterContainer child(QStringLiteral("child"), QString());
    container.children().append(&child);
    container.setNumFrames(20);
    EXPECT_EQ(child.numFrames(), 20);

    QStringList log;
    CallRecorder x{QStringLiteral("X"), &log};
    container.paramCallbacks().append({&CallRecorder::record, &x});
    // The current frame again: parameters are not touched.
    EXPECT_EQ(container.setCurrentFrame(0), 0);
    EXPECT_TRUE(log.isEmpty());

    EXPECT_EQ(container.setCurrentFrame(5), 0);
    EXPECT_EQ(container.currentFrame(), 5);
    EXPECT_EQ(speed->currentFrame(), 5);
    EXPECT_EQ(tint->currentFrame(), 5);

    // A frame outside the container's frames changes nothing.
    EXPECT_EQ(container.setCurrentFrame(25), -1);
    EXPECT_EQ(container.setCurrentFrame(-1), -1);
    EXPECT_EQ(container.currentFrame(), 5);
    EXPECT_EQ(speed->currentFrame(), 5);
}

TEST_F(ParameterContainerFixture, KeyframeOperationsCoverEveryKeyframableParameter)
{
    EXPECT_EQ(container.setKeyframeAt(10), 0);
    for (Parameter* p : QList<Parameter*>{speed, size, enabled, tint})
        EXPECT_TRUE(p->isKeyframe(10)) << p->name().toStdString();
    EXPECT_TRUE(container.isKeyframe(10));
    EXPECT_FALSE(container.isKeyframe(11));

    // Animate through the container: values at 10 and 20, halfway at 15.
    container.setCurrentFrame(20);
    container.setFloatParam(QStringLiteral("speed"), 3.0f);
    EXPECT_EQ(container.setKeyframeAt(20), 0);
    EXPECT_EQ(container.keyframes(), (QList<int>{10, 20}));
    container.setCurrentFrame(15);
    EXPECT_FLOAT_EQ(container.getFloatParam(QStringLiteral("speed")), 2.0f);

    // A second key at an existing frame is refused.
    EXPECT_EQ(container.setKeyframeAt(20), -1);

    EXPECT_EQ(container.moveKeyframe(20, 30), 0);
    EXPECT_EQ(container.keyframes(), (QList<int>{10, 30}));
    EXPECT_TRUE(tint->isKeyframe(30));
    EXPECT_FALSE(size->isKeyframe(20));

    EXPECT_EQ(container.deleteKeyframe(10), 0);
    EXPECT_EQ(container.keyframes(), QList<int>{30});
    EXPECT_EQ(container.deleteKeyframe(10), -1);
    EXPECT_EQ(container.moveKeyframe(12, 13), -1);
    EXPECT_EQ(container.moveKeyframe(30, 30), -1);
    EXPECT_EQ(container.moveKeyframe(30, 100), -1);
    EXPECT_EQ(container.setKeyframeAt(100), -1);
    EXPECT_EQ(container.setKeyframeAt(-1), -1);
    EXPECT_EQ(container.keyframes(), QList<int>{30});
}

TEST_F(ParameterContainerFixture, KeyframeOperationsKeepParametersInStepWhenSomeRefuse)
{
    // Only some parameters hold a key at 10: the others must not stop the move half-way.
    speed->setKeyframeAt(10);
    tint->setKeyframeAt(10);
    enabled->setKeyframeAt(40);
    EXPECT_EQ(container.moveKeyframe(10, 40), 0);
    EXPECT_EQ(speed->keyframes(), QList<int>{40});
    EXPECT_EQ(tint->keyframes(), QList<int>{40});
    EXPECT_EQ(enabled->keyframes(), QList<int>{40});
    EXPECT_TRUE(size->keyframes().isEmpty());

    // Setting where some already hold a key gives the rest a key too.
    EXPECT_EQ(container.setKeyframeAt(40), 0);
    EXPECT_EQ(size->keyframes(), QList<int>{40});
    EXPECT_EQ(container.setKeyframeAt(40), -1);

    // Deleting removes the key from everyone that has it.
    speed->setKeyframeAt(50);
    EXPECT_EQ(container.deleteKeyframe(40), 0);
    EXPECT_FALSE(container.isKeyframe(40));
    EXPECT_EQ(container.keyframes(), QList<int>{50});
}

TEST_F(ParameterContainerFixture, KeyframeListIsMergedSortedAndBoundedByFrameCount)
{
    speed->setKeyframeAt(30);
    speed->setKeyframeAt(5);
    tint->setKeyframeAt(5);
    EXPECT_EQ(container.keyframes(), (QList<int>{5, 30}));
    container.setNumFrames(10);
    EXPECT_EQ(container.keyframes(), QList<int>{5});
}

TEST_F(ParameterContainerFixture, CallbacksMayUseTypedAccessorsDuringFrameOperations)
{
    // The frame operation holds the container's lock; by-name reads only lock the parameter.
    struct Reader
    {
        ParameterContainer* container;
        float seen = -1.0f;
        static void read(IParameterContainer*, Parameter* parameter, void* data)
        {
            auto* self = static_cast<Reader*>(data);
            if (parameter && parameter->name() == QLatin1String("speed"))
                self->seen = self->container->getFloatParam(QStringLiteral("speed"));
        }
    } reader{&container};
    speed->setKeyframeAt(0);
    speed->setKeyframeAt(2, std::array<float, 1>{6.0f}.data());
    container.paramCallbacks().append({&Reader::read, &reader});
    container.setCurrentFrame(2);
    EXPECT_FLOAT_EQ(reader.seen, 6.0f);
}

TEST(ParameterContainerLists, MoveToContainerSharesParametersAndRetargetsThem)
{
    ParameterContainer from(QStringLiteral("from"), QString());
    ParameterContainer to(QStringLiteral("to"), QString());
    auto* p = new NumGroupParameter<float>(QStringLiteral("p"), QString(), &from, nullptr, 1,
                                           0.0f, 1.0f, 0.0f, false, 1);
    from.paramLists().append(ParameterList{QStringLiteral("basic"), true, {p}});
    from.paramLists().first().moveToContainer(&to);
    EXPECT_EQ(p->container(), &to);
    ASSERT_EQ(to.paramLists().size(), 1);
    EXPECT_EQ(to.paramLists().first().parameters.first(), p);
    // Both now hold it; only one may own it.
    to.paramLists().clear();
}

TEST(ParameterContainerLists, FreeLookupFunctions)
{
    GroupBoxParameter alpha(QStringLiteral("alphaBox"), QString(), nullptr, 1);
    GroupBoxParameter al(QStringLiteral("al"), QString(), nullptr, 1);
    const QList<Parameter*> flat{&alpha, &al};
    EXPECT_EQ(getParamByName(flat, QStringLiteral("al")), &al);
    EXPECT_EQ(getParamByName(flat, QStringLiteral("alp")), &alpha);
    EXPECT_EQ(getParamByName(flat, QStringLiteral("Al")), nullptr);
    const QList<ParameterList> lists{ParameterList{QStringLiteral("a"), true, {&alpha}},
                                     ParameterList{QStringLiteral("b"), true, {&al}}};
    EXPECT_EQ(getParamByName(lists, QStringLiteral("al")), &al);
}

TEST(ParameterContainerLists, InstanceForwardsGroupSize)
{
    struct Holder : ParameterContainerInstance
    {
        ParameterContainer* container = nullptr;
        ParameterContainer* paramContainer() override { return container; }
        ParameterContainer const* paramContainer() const override { return container; }
    } holder;
    EXPECT_THROW(holder.groupParamSize(QStringLiteral("v")), KelException);

    ParameterContainer container(QStringLiteral("c"), QString());
    container.paramLists().append(ParameterList{
        QStringLiteral("basic"), true,
        {new NumGroupParameter<float>(QStringLiteral("v"), QString(), &container, nullptr, 3,
                                      0.0f, 1.0f, 0.0f, false, 1)}});
    holder.container = &container;
    EXPECT_EQ(holder.groupParamSize(QStringLiteral("v")), 3);
}
