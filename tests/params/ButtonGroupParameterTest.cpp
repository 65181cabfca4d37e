#include "params/ButtonGroupParameter.h"
#include "params/ParameterContainer.h"

#include <QDomDocument>
#include <QDomElement>

#include <gtest/gtest.h>

using namespace KelUtils;

namespace {

void countPress(IParameterContainer*, Parameter* p, void* userData)
{
    auto* log = static_cast<QList<bool>*>(userData);
    ButtonGroupParameter* group = *p;
    log->append(group && group->isPressed(0));
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
};

QDomElement parseButtons(QDomDocument& doc, QString const& xml)
{
    EXPECT_TRUE(bool(doc.setContent(xml)));
    return doc.documentElement();
}

} // namespace

TEST(ButtonGroupParameter, PushIsMomentary)
{
    ButtonFixture f(ButtonGroupParameter::Push);
    EXPECT_EQ(f.param->type(), ParamButtonGroup);
    f.param->press(0);
    EXPECT_EQ(f.log, (QList<bool>{true, false}));
    EXPECT_FALSE(f.items.at(0).pressed);
}

TEST(ButtonGroupParameter, ToggleAndExclusiveStyles)
{
    ButtonFixture toggle(ButtonGroupParameter::Toggle);
    toggle.param->press(1);
    toggle.param->press(2);
    toggle.param->press(1);
    EXPECT_EQ(toggle.log.size(), 3);
    EXPECT_FALSE(toggle.param->isPressed(1));
    EXPECT_TRUE(toggle.param->isPressed(2));

    ButtonFixture exclusive(ButtonGroupParameter::Exclusive);
    exclusive.param->press(0);
    exclusive.param->press(2);
    EXPECT_EQ(exclusive.log.size(), 2);
    exclusive.param->press(2); // already pressed: nothing, no notification
    EXPECT_EQ(exclusive.log.size(), 2);
    EXPECT_FALSE(exclusive.param->isPressed(0));
    EXPECT_TRUE(exclusive.param->isPressed(2));

    ButtonFixture optional(ButtonGroupParameter::ExclusiveOptional);
    optional.param->press(1);
    optional.param->press(1);
    EXPECT_EQ(optional.log.size(), 2);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(optional.param->isPressed(i));
}

TEST(ButtonGroupParameter, OutOfRangeAndUnknownStylesDoNothing)
{
    ButtonFixture f(ButtonGroupParameter::Toggle);
    f.param->press(-1);
    f.param->press(3);
    EXPECT_TRUE(f.log.isEmpty());
    EXPECT_FALSE(f.param->isPressed(3));
    EXPECT_FALSE(f.param->isPressed(-1));

    ButtonFixture odd(7);
    odd.param->press(0);
    EXPECT_TRUE(odd.log.isEmpty());
    EXPECT_FALSE(odd.param->isPressed(0));
}

TEST(ButtonGroupParameter, PressedMaskCountsFromTheLastButton)
{
    ButtonFixture f(ButtonGroupParameter::Toggle);
    EXPECT_EQ(f.storedMask(), QStringLiteral("0"));
    f.param->press(2);
    EXPECT_EQ(f.storedMask(), QStringLiteral("1"));
    f.param->press(2);
    f.param->press(0);
    EXPECT_EQ(f.storedMask(), QStringLiteral("4"));

    QDomDocument doc;
    ASSERT_EQ(f.param->load(parseButtons(doc, QStringLiteral("<param name='buttons' pressed='5'/>"))), 0);
    EXPECT_TRUE(f.param->isPressed(0));
    EXPECT_FALSE(f.param->isPressed(1));
    EXPECT_TRUE(f.param->isPressed(2));
    EXPECT_EQ(f.log.size(), 3); // loading does not notify

    for (QString const& xml : {QStringLiteral("<param/>"), QStringLiteral("<param pressed='abc'/>"),
                               QStringLiteral("<param pressed='-1'/>")}) {
        f.param->load(parseButtons(doc, QStringLiteral("<param pressed='7'/>")));
        ASSERT_EQ(f.param->load(parseButtons(doc, xml)), 0);
        for (int i = 0; i < 3; ++i)
            EXPECT_FALSE(f.param->isPressed(i)) << qPrintable(xml);
    }
}

TEST(ButtonGroupParameter, OnlyTheLast32ButtonsKeepTheirState)
{
    ButtonFixture f(ButtonGroupParameter::Toggle, 34);
    f.param->press(0);
    f.param->press(2);
    f.param->press(33);
    QDomDocument doc;
    const QString mask = f.storedMask();
    EXPECT_EQ(mask, QString::number((1u << 31) | 1u));

    ButtonFixture g(ButtonGroupParameter::Toggle, 34);
    ASSERT_EQ(g.param->load(parseButtons(doc, QStringLiteral("<param pressed='%1'/>").arg(mask))), 0);
    EXPECT_FALSE(g.param->isPressed(0));
    EXPECT_TRUE(g.param->isPressed(2));
    EXPECT_TRUE(g.param->isPressed(33));
}
