#include "params/ColorParameter.h"
#include "params/GroupBoxParameter.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterFactory.h"
#include "params/StringParameter.h"

#include <gtest/gtest.h>

#include <QDomDocument>

#include <array>
#include <memory>

using namespace KelUtils;

namespace {

std::unique_ptr<Parameter> fromXml(QString const& xml)
{
    QDomDocument document;
    EXPECT_TRUE(bool(document.setContent(xml)));
    return std::unique_ptr<Parameter>(createParameter(document.documentElement()));
}

// Stores a stand-alone parameter the way a template does and builds it back.
std::unique_ptr<Parameter> roundTrip(Parameter const& parameter)
{
    QDomDocument document;
    QDomElement element = document.createElement(QStringLiteral("parameter"));
    document.appendChild(element);
    EXPECT_EQ(parameter.store(element, document), 0);
    return std::unique_ptr<Parameter>(createParameter(element));
}

} // namespace

TEST(ParameterFactory, UnsupportedOrMissingTypesGiveNull)
{
    for (QString const& type : {QStringLiteral("9"), QStringLiteral("1"), QStringLiteral("4"),
                                QStringLiteral("10"), QStringLiteral("11"), QStringLiteral("0"),
                                QStringLiteral("abc"), QStringLiteral("2.0"), QString()}) {
        EXPECT_EQ(fromXml(QStringLiteral("<parameter type='%1' name='x'/>").arg(type)), nullptr)
            << type.toStdString();
    }
    EXPECT_EQ(fromXml(QStringLiteral("<parameter name='x' num_vals='1'/>")), nullptr);
}

TEST(ParameterFactory, ListsNeedOneTo999Items)
{
    EXPECT_EQ(fromXml(QStringLiteral("<parameter type='7' num_items='0'/>")), nullptr);
    EXPECT_EQ(fromXml(QStringLiteral("<parameter type='7' num_items='1000'/>")), nullptr);
    EXPECT_EQ(fromXml(QStringLiteral("<parameter type='7'/>")), nullptr);
    EXPECT_EQ(fromXml(QStringLiteral("<parameter type='7' num_items='-3'/>")), nullptr);

    const auto parameter = fromXml(QStringLiteral(
        "<parameter type='7' name='mode' ui_text='Mode:' num_items='2'"
        " item_id0='4' item_name0='Four' item_id1='9' item_name1='Nine'/>"));
    ASSERT_NE(parameter, nullptr);
    ListParameter* list = *parameter;
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->name(), QStringLiteral("mode"));
    EXPECT_EQ(list->text(), QStringLiteral("Mode:"));
    EXPECT_EQ(list->items(), (QList<ListItem>{{4, QStringLiteral("Four")}, {9, QStringLiteral("Nine")}}));
    EXPECT_EQ(list->value(), 4);
    EXPECT_EQ(list->container(), nullptr);

    // A stored choice selects its item; one naming no item keeps the first.
    const auto chosen = fromXml(QStringLiteral(
        "<parameter type='7' num_items='2' item_id0='4' item_id1='9' value='9'/>"));
    EXPECT_EQ(static_cast<ListParameter*>(*chosen)->value(), 9);
    const auto stray = fromXml(QStringLiteral(
        "<parameter type='7' num_items='2' item_id0='4' item_id1='9' value='5'/>"));
    EXPECT_EQ(static_cast<ListParameter*>(*stray)->value(), 4);
}

TEST(ParameterFactory, NumericGroupsFromAttributes)
{
    const auto bare = fromXml(QStringLiteral("<parameter type='2' name='f' num_vals='1'/>"));
    ASSERT_NE(bare, nullptr);
    NumGroupParameter<float>* group = *bare;
    ASSERT_NE(group, nullptr);
    float min = -1, max = -1, def = -1;
    group->getRange(&min, &max, &def);
    EXPECT_EQ(min, 0.0f);
    EXPECT_EQ(max, 0.0f);
    EXPECT_EQ(def, 0.0f);
    EXPECT_FALSE(group->showAsSlider());
    EXPECT_EQ(group->displayFlags(), 1);

    const auto ints = fromXml(QStringLiteral(
        "<parameter type='3' name='n' num_vals='3' min='-5' max='5' def='2'"
        " value0='-5' value1='1' value2='5'/>"));
    NumGroupParameter<int>* intGroup = *ints;
    ASSERT_NE(intGroup, nullptr);
    EXPECT_EQ(intGroup->numValues(), 3);
    EXPECT_EQ(intGroup->value(0), -5);
    EXPECT_EQ(intGroup->value(1), 1);
    EXPECT_EQ(intGroup->value(2), 5);

    // Type 5 is an int group that reports itself as boolean by its own rule.
    const auto flag = fromXml(QStringLiteral(
        "<parameter type='5' name='on' num_vals='1' min='0' max='1' def='1'/>"));
    ASSERT_NE(flag, nullptr);
    EXPECT_EQ(flag->type(), ParamBool);
    EXPECT_EQ(static_cast<NumGroupParameter<int>*>(*flag)->value(0), 1);
}

TEST(ParameterFactory, HostileNumbersAreRefusedOrIgnored)
{
    // Value counts outside 0..262144 build nothing.
    for (QString const& count : {QStringLiteral("-1"), QStringLiteral("262145"),
                                 QStringLiteral("2147483647")}) {
        EXPECT_EQ(fromXml(QStringLiteral("<parameter type='2' num_vals='%1'/>").arg(count)), nullptr)
            << count.toStdString();
        EXPECT_EQ(fromXml(QStringLiteral("<parameter type='3' num_vals='%1'/>").arg(count)), nullptr);
    }
    const auto empty = fromXml(QStringLiteral("<parameter type='2' num_vals='0'/>"));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(static_cast<NumGroupParameter<float>*>(*empty)->numValues(), 0);

    // Non-finite range numbers count as absent.
    const auto nan = fromXml(QStringLiteral(
        "<parameter type='2' num_vals='1' min='nan' max='inf' def='-inf' value='nan'/>"));
    ASSERT_NE(nan, nullptr);
    float min = -1, max = -1, def = -1;
    static_cast<NumGroupParameter<float>*>(*nan)->getRange(&min, &max, &def);
    EXPECT_EQ(min, 0.0f);
    EXPECT_EQ(max, 0.0f);
    EXPECT_EQ(def, 0.0f);
    EXPECT_EQ(static_cast<NumGroupParameter<float>*>(*nan)->value(0), 0.0f);

    // A default outside a closed range is brought into it.
    const auto outside = fromXml(QStringLiteral(
        "<parameter type='2' num_vals='2' min='0' max='1' def='7'/>"));
    NumGroupParameter<float>* group = *outside;
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->defaultValue(), 1.0f);
    EXPECT_EQ(group->value(1), 1.0f);
}

TEST(ParameterFactory, StoredStandAloneParametersComeBackAlike)
{
    NumGroupParameter<float> floats(QStringLiteral("dir"), QStringLiteral("Direction:"), nullptr,
                                    nullptr, 2, -1.0f, 1.0f, 0.0f, true, 5);
    floats.setValues(std::array<float, 2>{0.1f, -0.75f}.data(), -1);
    floats.setKeyframeAt(3, std::array<float, 2>{0.5f, 0.5f}.data());
    const auto floatCopy = roundTrip(floats);
    ASSERT_NE(floatCopy, nullptr);
    NumGroupParameter<float>* f = *floatCopy;
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->text(), QStringLiteral("Direction:"));
    EXPECT_EQ(f->displayFlags(), 5);
    EXPECT_EQ(f->keyframes(), QList<int>{3});
    EXPECT_FLOAT_EQ(f->value(0), 0.5f); // frame 0 holds the only key's values
    EXPECT_EQ(f->container(), nullptr);

    ColorParameter color(QStringLiteral("c"), QStringLiteral("Colour:"), nullptr, nullptr, 1);
    color.setValue(Color(1.5f, 0.25f, 0.0f, 0.5f));
    const auto colorCopy = roundTrip(color);
    ASSERT_NE(colorCopy, nullptr);
    EXPECT_EQ(colorCopy->type(), ParamColor);
    EXPECT_EQ(static_cast<ColorParameter*>(*colorCopy)->value(), Color(1.5f, 0.25f, 0.0f, 0.5f));

    StringParameter text(QStringLiteral("s"), QStringLiteral("Text:"), nullptr, nullptr, false, 1);
    text.setValue(QStringLiteral("Ünïcode ✓ text"));
    const auto textCopy = roundTrip(text);
    ASSERT_NE(textCopy, nullptr);
    EXPECT_EQ(static_cast<StringParameter*>(*textCopy)->value(), QStringLiteral("Ünïcode ✓ text"));

    // A stand-alone parameter notifies nobody but takes its setters.
    NumGroupParameter<float>* copy = *floatCopy;
    EXPECT_EQ(copy->setValue(-1.0f, 1), 0);
    EXPECT_EQ(copy->value(1), -1.0f);

    // A file-path string and a group box are not template parameters.
    StringParameter path(QStringLiteral("p"), QString(), nullptr, nullptr, true, 1);
    EXPECT_EQ(roundTrip(path), nullptr);
    GroupBoxParameter box(QStringLiteral("b"), QString(), nullptr, 1);
    EXPECT_EQ(roundTrip(box), nullptr);
}
