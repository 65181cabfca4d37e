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

struct Owner
{
    QList<Parameter*> changed;
    void paramChanged(Parameter* parameter) { changed.append(parameter); }
};

class CountedParameter : public GroupBoxParameter
{
public:
    CountedParameter(QString const& name, int* deaths)
        : GroupBoxParameter(name, name, nullptr, 1), m_deaths(deaths) {}
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
        speed = new NumGroupParameter<float>(QStringLiteral("speed"), QString(), &container,
                                             speedValues, 1, 0.0f, 10.0f, 1.0f, true, 1);
        size = new NumGroupParameter<int>(QStringLiteral("size"), QString(), &container,
                                          sizeValues, 2, 0, 100, 5, true, 1);
        enabled = new NumGroupParameter<int>(QStringLiteral("enabled"), QString(), &container,
                                             nullptr, 1, 0, 1, 1, false, 1);
        tint = new ColorParameter(QStringLiteral("tint"), QString(), &container, &tintValue, 1);
        mode = new ListParameter(QStringLiteral("mode"), QString(), &container, nullptr, items, 2, 7, 1);
        label = new StringParameter(QStringLiteral("label"), QString(), &container, nullptr, false, 1);
        auto* box = new GroupBoxParameter(QStringLiteral("box"), QString(), &container, 1);
        container.paramLists().append(ParameterList{QStringLiteral("basic"), true,
                                                    {box, speed, size, enabled, tint, mode, label}});
    }

    void listen(CallRecorder& recorder) { container.paramCallbacks().append({&CallRecorder::record, &recorder}); }

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

TEST_F(ParameterContainerFixture, LookupPrefersExactNamesThenPrefixesThenChildren)
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

    // A wrong-kind exact match falls through to a prefix of the right kind.
    auto* speedy = new NumGroupParameter<int>(QStringLiteral("speedyInt"), QString(), &container,
                                              nullptr, 1, 0, 9, 2, false, 1);
    container.paramLists().first().parameters.append(speedy);
    EXPECT_EQ(container.getParamByName(QStringLiteral("speed"), ParamIntGroup, ParamBool), speedy);

    // The exact phase covers the children before any prefix match of the parent.
    ParameterContainer child(QStringLiteral("child"), QString());
    auto* childSpeed = new NumGroupParameter<float>(QStringLiteral("speedChild"), QString(), &child,
                                                    nullptr, 1, 0.0f, 1.0f, 0.25f, false, 1);
    child.paramLists().append(ParameterList{QStringLiteral("basic"), true, {childSpeed}});
    container.children().append(&child);
    EXPECT_EQ(container.getParamByName(QStringLiteral("speedChild")), childSpeed);
    EXPECT_EQ(container.getParamByName(QStringLiteral("spee")), speed);
    EXPECT_FLOAT_EQ(container.getFloatParam(QStringLiteral("speedChild")), 0.25f);

    // Free lookup is case-sensitive and prefers exact names across lists.
    GroupBoxParameter alpha(QStringLiteral("alphaBox"), QString(), nullptr, 1);
    GroupBoxParameter al(QStringLiteral("al"), QString(), nullptr, 1);
    const QList<ParameterList> lists{ParameterList{QStringLiteral("a"), true, {&alpha}},
                                     ParameterList{QStringLiteral("b"), true, {&al}}};
    EXPECT_EQ(getParamByName(lists, QStringLiteral("al")), &al);
    EXPECT_EQ(getParamByName(lists, QStringLiteral("alp")), &alpha);
    EXPECT_EQ(getParamByName(lists, QStringLiteral("Al")), nullptr);
}

TEST_F(ParameterContainerFixture, UnknownNamesThrowWithTheName)
{
    const QString expected = QStringLiteral("No parameter found (missing)");
    const QString missing = QStringLiteral("missing");
    const std::function<void()> calls[] = {
        [&] { container.getIntParam(missing); },
        [&] { container.setFloatParam(missing, 1.0f); },
        [&] { container.getColorParam(missing); },
        [&] { container.getStringParam(missing); },
        [&] { container.setListParam(missing, 3); },
        [&] { container.groupParamSize(missing); },
        [&] { container.setParamFlags(missing, 1); },
    };
    for (auto const& call : calls)
        EXPECT_EQ(exceptionMessage(call), expected);

    // A name that exists only as a float group is no int group.
    EXPECT_EQ(exceptionMessage([&] { container.getIntParam(QStringLiteral("speed")); }),
              QStringLiteral("No parameter found (speed)"));
    EXPECT_EQ(exceptionMessage([&] { container.getStringParam(QString()); }),
              QStringLiteral("No parameter found ()"));

    // A holder without a container throws too instead of crashing.
    struct Holder : ParameterContainerInstance
    {
        ParameterContainer* paramContainer() override { return nullptr; }
        ParameterContainer const* paramContainer() const override { return nullptr; }
    } holder;
    EXPECT_THROW(holder.groupParamSize(QStringLiteral("v")), KelException);
}

TEST_F(ParameterContainerFixture, TypedAccessByName)
{
    EXPECT_EQ(container.setFloatParam(QStringLiteral("speed"), 2.5f), 0);
    EXPECT_FLOAT_EQ(speedValues[0], 2.5f);
    EXPECT_EQ(container.setFloatParam(QStringLiteral("speed"), 11.0f), -1);

    const int pair[2] = {7, 8};
    EXPECT_EQ(container.setIntGroupParam(QStringLiteral("size"), pair), 2);
    EXPECT_EQ(container.setIntParam(QStringLiteral("size"), 40, 1), 0);
    int out[2] = {};
    EXPECT_EQ(container.getIntGroupParam(QStringLiteral("size"), out), 2);
    EXPECT_EQ(out[0], 7);
    EXPECT_EQ(out[1], 40);
    EXPECT_EQ(container.groupParamSize(QStringLiteral("size")), 2);

    EXPECT_EQ(container.setColorParam(QStringLiteral("tint"), Color(1.5f, 0.0f, 0.25f, 0.5f)), 0);
    EXPECT_EQ(container.getColorParam(QStringLiteral("tint")), Color(1.5f, 0.0f, 0.25f, 0.5f));
    EXPECT_EQ(container.setColorParam(QStringLiteral("tint"), Color(-1.0f, 0.0f, 0.0f, 1.0f)), -1);

    EXPECT_EQ(container.setStringParam(QStringLiteral("label"), QStringLiteral("héllo")), 0);
    EXPECT_EQ(container.getStringParam(QStringLiteral("label")), QStringLiteral("héllo"));
    EXPECT_EQ(container.setListParam(QStringLiteral("mode"), 3), 0);
    EXPECT_EQ(container.getListParam(QStringLiteral("mode"))->id, 3);

    // Flags keep the low bits and notify only on change.
    QStringList log;
    CallRecorder x{QStringLiteral("X"), &log};
    listen(x);
    container.setParamFlags(QStringLiteral("speed"), 13);
    EXPECT_EQ(container.paramFlags(QStringLiteral("speed")), 5);
    container.setParamFlags(QStringLiteral("speed"), 5);
    EXPECT_EQ(log, QStringList{QStringLiteral("X(speed)")});
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

TEST_F(ParameterContainerFixture, BlockedSignalsReplayCallbackMajorInOrderOfFirstChange)
{
    Owner owner;
    container.paramCallbacks().append({&paramChangeCallback<Owner>, &owner});
    container.paramCallbacks().append({nullptr, &owner}); // skipped
    QStringList log;
    CallRecorder x{QStringLiteral("X"), &log};
    CallRecorder y{QStringLiteral("Y"), &log};
    listen(x);
    listen(y);

    // Unblocking without a change calls nobody; unblocking while not blocked does nothing.
    container.blockSignals(true);
    container.blockSignals(false);
    container.blockSignals(false);
    EXPECT_TRUE(log.isEmpty());

    container.blockSignals(true);
    container.setFloatParam(QStringLiteral("speed"), 2.0f); // A
    container.setIntParam(QStringLiteral("size"), 3, 0);    // B
    container.blockSignals(true);                           // not counted: keeps what was recorded
    container.setFloatParam(QStringLiteral("speed"), 4.0f); // A again
    EXPECT_TRUE(log.isEmpty());
    EXPECT_EQ(container.recordedParameters(), (QList<Parameter*>{speed, size}));

    container.blockSignals(false); // one unblock ends both
    EXPECT_FALSE(container.signalsBlocked());
    EXPECT_EQ(log, (QStringList{QStringLiteral("X(speed)"), QStringLiteral("X(size)"),
                                QStringLiteral("Y(speed)"), QStringLiteral("Y(size)")}));
    EXPECT_EQ(owner.changed, (QList<Parameter*>{speed, size}));

    log.clear();
    container.setStringParam(QStringLiteral("label"), QStringLiteral("z"));
    EXPECT_EQ(log, (QStringList{QStringLiteral("X(label)"), QStringLiteral("Y(label)")}));
}

TEST(ParameterContainerUndo, BeginWhileActiveClosesTheOpenBlockFirst)
{
    QStringList calls;
    const UndoBlockCallback callback{
        [](IParameterContainer*, QString const& text, int id, void* data) {
            static_cast<QStringList*>(data)->append(QStringLiteral("begin %1 %2").arg(text).arg(id));
        },
        [](IParameterContainer*, bool flag, void* data) {
            static_cast<QStringList*>(data)->append(QStringLiteral("end %1").arg(flag));
        },
        &calls};
    ParameterContainer container(QStringLiteral("c"), QString());
    container.setUndoBlockCallback(&callback);
    EXPECT_EQ(container.undoBlockBegin(QStringLiteral("first"), 1), 0);
    EXPECT_EQ(container.undoBlockBegin(QStringLiteral("second"), 2), 0);
    EXPECT_EQ(container.undoBlockEnd(false), 0);
    EXPECT_FALSE(container.undoBlockActive());
    EXPECT_EQ(calls, (QStringList{QStringLiteral("begin first 1"), QStringLiteral("end 1"),
                                  QStringLiteral("begin second 2"), QStringLiteral("end 0")}));
}

TEST_F(ParameterContainerFixture, FrameCountAndCurrentFrame)
{
    container.setNumFrames(-1);
    EXPECT_EQ(container.numFrames(), 100);
    ParameterContainer child(QStringLiteral("child"), QString());
    container.children().append(&child);
    container.setNumFrames(20);
    EXPECT_EQ(child.numFrames(), 20);

    QStringList log;
    CallRecorder x{QStringLiteral("X"), &log};
    listen(x);
    // The current frame again: parameters are not touched.
    EXPECT_EQ(container.setCurrentFrame(0), 0);
    EXPECT_TRUE(log.isEmpty());

    EXPECT_EQ(container.setCurrentFrame(5), 0);
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
    EXPECT_FALSE(container.isKeyframe(11));

    // Animate through the container: values at 10 and 20, halfway at 15.
    container.setCurrentFrame(20);
    container.setFloatParam(QStringLiteral("speed"), 3.0f);
    EXPECT_EQ(container.setKeyframeAt(20), 0);
    container.setCurrentFrame(15);
    EXPECT_FLOAT_EQ(container.getFloatParam(QStringLiteral("speed")), 2.0f);
    EXPECT_EQ(container.setKeyframeAt(20), -1);

    EXPECT_EQ(container.moveKeyframe(20, 30), 0);
    EXPECT_EQ(container.keyframes(), (QList<int>{10, 30}));
    EXPECT_TRUE(tint->isKeyframe(30));
    EXPECT_FALSE(size->isKeyframe(20));

    EXPECT_EQ(container.deleteKeyframe(10), 0);
    EXPECT_EQ(container.deleteKeyframe(10), -1);
    EXPECT_EQ(container.moveKeyframe(12, 13), -1);
    EXPECT_EQ(container.moveKeyframe(30, 30), -1);
    EXPECT_EQ(container.moveKeyframe(30, 100), -1);
    EXPECT_EQ(container.setKeyframeAt(100), -1);
    EXPECT_EQ(container.setKeyframeAt(-1), -1);
    EXPECT_EQ(container.keyframes(), QList<int>{30});

    // The merged list is bounded by the frame count.
    speed->setKeyframeAt(5);
    container.setNumFrames(10);
    EXPECT_EQ(container.keyframes(), QList<int>{5});
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

    speed->setKeyframeAt(50);
    EXPECT_EQ(container.deleteKeyframe(40), 0);
    EXPECT_EQ(container.keyframes(), QList<int>{50});
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
