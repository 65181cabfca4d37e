#include "params/ButtonGroupParameter.h"
#include "params/ParameterContainer.h"

#include <QDomDocument>
#include <QDomElement>

#include <gtest/gtest.h>

using namespace KelUtils;

namespace {

void countPress(IParameterContainer*, Parameter* p, void* userData)
{
    ButtonGroupParameter* group = *p;
    static_cast<QList<bool>*>(userData)->append(group && group->isPressed(0));
}

struct ButtonFixture
{
    ParameterContainer container{QStringLiteral("node"), QString()};
    QList<ButtonGroupParameter::Item> items;
    ButtonGroupParameter* param = nullptr;
    QList<bool> log; // the first button's state at each notification

    explicit ButtonFixture(int style, int count = 3)
    {
        for (int i = 0; i < count; ++i)
            items.append(ButtonGroupParameter::Item{QStringLiteral("b%1").arg(i), QString(), QIcon(), i, true, false});
        param = new ButtonGroupParameter(QStringLiteral("buttons"), QString(), &container, items,
                                         false, 0, ButtonGroupParameter::Style(style), 1);
        container.paramLists().append(ParameterList{QStringLiteral("basic"), true, {param}});
        container.paramCallbacks().append(ParameterCallback{countPress, &log});
    }

    QString storedMask() const
    {
        QDomDocument doc;
        QDomElement e = doc.createElement(QStringLiteral("param"));
        param->store(e, doc);
        return e.attribute(QStringLiteral("pressed"));
    }

    int load(QString const& mask)
    {
        QDomDocument doc;
        QDomElement e = doc.createElement(QStringLiteral("param"));
        if (!mask.isNull())
            e.setAttribute(QStringLiteral("pressed"), mask);
        return param->load(e);
    }

    QList<bool> pressed() const
    {
        QList<bool> out;
        for (int i = 0; i < items.size(); ++i)
            out.append(param->isPressed(i));
        return out;
    }
};

} // namespace

TEST(ButtonGroupParameter, PressFollowsTheStyle)
{
    ButtonFixture push(ButtonGroupParameter::Push);
    push.param->press(0);
    EXPECT_EQ(push.log, (QList<bool>{true, false})); // momentary

    ButtonFixture toggle(ButtonGroupParameter::Toggle);
    toggle.param->press(1);
    toggle.param->press(2);
    toggle.param->press(1);
    EXPECT_EQ(toggle.log.size(), 3);
    EXPECT_EQ(toggle.pressed(), (QList<bool>{false, false, true}));

    ButtonFixture exclusive(ButtonGroupParameter::Exclusive);
    exclusive.param->press(0);
    exclusive.param->press(2);
    exclusive.param->press(2); // already pressed: nothing, no notification
    EXPECT_EQ(exclusive.log.size(), 2);
    EXPECT_EQ(exclusive.pressed(), (QList<bool>{false, false, true}));

    ButtonFixture optional(ButtonGroupParameter::ExclusiveOptional);
    optional.param->press(1);
    optional.param->press(1);
    EXPECT_EQ(optional.log.size(), 2);
    EXPECT_EQ(optional.pressed(), (QList<bool>{false, false, false}));

    // Out-of-range indexes and unknown styles do nothing.
    toggle.param->press(-1);
    toggle.param->press(3);
    EXPECT_FALSE(toggle.param->isPressed(3));
    ButtonFixture odd(7);
    odd.param->press(0);
    EXPECT_TRUE(odd.log.isEmpty());
    EXPECT_FALSE(odd.param->isPressed(0));
}

TEST(ButtonGroupParameter, PressedMaskCountsFromTheLastButton)
{
    ButtonFixture f(ButtonGroupParameter::Toggle);
    f.param->press(2);
    EXPECT_EQ(f.storedMask(), QStringLiteral("1"));
    f.param->press(2);
    f.param->press(0);
    EXPECT_EQ(f.storedMask(), QStringLiteral("4"));

    ASSERT_EQ(f.load(QStringLiteral("5")), 0);
    EXPECT_EQ(f.pressed(), (QList<bool>{true, false, true}));
    EXPECT_EQ(f.log.size(), 3); // loading does not notify
    for (QString const& mask : {QString(), QStringLiteral("abc"), QStringLiteral("-1")}) {
        f.load(QStringLiteral("7"));
        ASSERT_EQ(f.load(mask), 0);
        EXPECT_EQ(f.pressed(), (QList<bool>{false, false, false})) << qPrintable(mask);
    }

    // Only the last 32 buttons keep their state.
    ButtonFixture many(ButtonGroupParameter::Toggle, 34);
    many.param->press(0);
    many.param->press(2);
    many.param->press(33);
    const QString mask = many.storedMask();
    EXPECT_EQ(mask, QString::number((1u << 31) | 1u));
    ButtonFixture g(ButtonGroupParameter::Toggle, 34);
    ASSERT_EQ(g.load(mask), 0);
    EXPECT_FALSE(g.param->isPressed(0));
    EXPECT_TRUE(g.param->isPressed(2));
    EXPECT_TRUE(g.param->isPressed(33));
}
