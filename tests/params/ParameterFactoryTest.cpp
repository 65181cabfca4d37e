#include "params/ColorParameter.h"
#include "params/GroupBoxParameter.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterFactory.h"
#include "params/StringParameter.h"

#include <gtest/gtest.h>

#include <QDomDocument>

#include <array>
#include <climits>
#include <memory>

using namespace KelUtils;

namespace {

std::unique_ptr<Parameter> fromXml(QString const& xml)
{
    QDomDocument document;
    EXPECT_TRUE(bool(document.setContent(xml)));
    return std::unique_ptr<Parameter>(createParameter(document.documentElement()));
}

NumGroupParameter<float>* floats(std::unique_ptr<Parameter> const& p)
{
    return p ? static_cast<NumGroupParameter<float>*>(*p) : nullptr;
}

} // namespace

TEST(ParameterFactory, UnsupportedMissingOrHostileDescriptionsGiveNull)
{
    const QString bad[] = {
        // Unknown or non-template kinds, or no kind at all.
        QStringLiteral("type='9'"), QStringLiteral("type='1'"), QStringLiteral("type='4'"),
        QStringLiteral("type='10'"), QStringLiteral("type='0'"), QStringLiteral("type='abc'"),
        QStringLiteral("type='2.0'"), QStringLiteral("type=''"), QStringLiteral("num_vals='1'"),
        // Lists need 1 to 999 items.
        QStringLiteral("type='7' num_items='0'"), QStringLiteral("type='7' num_items='1000'"),
        QStringLiteral("type='7'"), QStringLiteral("type='7' num_items='-3'"),
        // Value counts outside 0..MaxStoredGroupValues.
        QStringLiteral("type='2' num_vals='-1'"), QStringLiteral("type='2' num_vals='262145'"),
        QStringLiteral("type='3' num_vals='2147483647'"),
    };
    for (QString const& attributes : bad)
        EXPECT_EQ(fromXml(QStringLiteral("<parameter name='x' %1/>").arg(attributes)), nullptr)
            << qPrintable(attributes);
}

TEST(ParameterFactory, BuildsParametersFromAttributes)
{
    const auto list = fromXml(QStringLiteral(
        "<parameter type='7' name='mode' ui_text='Mode:' num_items='2'"
        " item_id0='4' item_name0='Four' item_id1='9' item_name1='Nine'/>"));
    ListParameter* l = list ? static_cast<ListParameter*>(*list) : nullptr;
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->items(), (QList<ListItem>{{4, QStringLiteral("Four")}, {9, QStringLiteral("Nine")}}));
    EXPECT_EQ(l->value(), 4);
    // A stored choice naming no item keeps the first.
    const auto stray = fromXml(QStringLiteral("<parameter type='7' num_items='2' item_id0='4' item_id1='9' value='5'/>"));
    EXPECT_EQ(static_cast<ListParameter*>(*stray)->value(), 4);

    const auto ints = fromXml(QStringLiteral(
        "<parameter type='3' name='n' num_vals='3' min='-5' max='5' def='2' value0='-5' value1='1' value2='5'/>"));
    NumGroupParameter<int>* i = ints ? static_cast<NumGroupParameter<int>*>(*ints) : nullptr;
    ASSERT_NE(i, nullptr);
    EXPECT_EQ(i->numValues(), 3);
    EXPECT_EQ(i->value(2), 5);

    // Type 5 is an int group that reports itself as boolean by its own rule.
    const auto flag = fromXml(QStringLiteral("<parameter type='5' name='on' num_vals='1' min='0' max='1' def='1'/>"));
    ASSERT_NE(flag, nullptr);
    EXPECT_EQ(flag->type(), ParamBool);

    const auto empty = fromXml(QStringLiteral("<parameter type='2' num_vals='0'/>"));
    ASSERT_NE(floats(empty), nullptr);
    EXPECT_EQ(floats(empty)->numValues(), 0);

    // Non-finite range numbers count as absent; a default outside a closed range is brought into it.
    const auto nan = fromXml(QStringLiteral("<parameter type='2' num_vals='1' min='nan' max='inf' def='-inf' value='nan'/>"));
    ASSERT_NE(floats(nan), nullptr);
    float min = -1, max = -1, def = -1;
    floats(nan)->getRange(&min, &max, &def);
    EXPECT_EQ(min, 0.0f);
    EXPECT_EQ(max, 0.0f);
    EXPECT_EQ(def, 0.0f);
    EXPECT_EQ(floats(nan)->value(0), 0.0f);
    const auto outside = fromXml(QStringLiteral("<parameter type='2' num_vals='2' min='0' max='1' def='7'/>"));
    ASSERT_NE(floats(outside), nullptr);
    EXPECT_EQ(floats(outside)->defaultValue(), 1.0f);
    EXPECT_EQ(floats(outside)->value(1), 1.0f);
}

TEST(ParameterFactory, StoredStandAloneParametersComeBackAlike)
{
    auto roundTrip = [](Parameter const& parameter) {
        QDomDocument document;
        QDomElement element = document.createElement(QStringLiteral("parameter"));
        document.appendChild(element);
        EXPECT_EQ(parameter.store(element, document), 0);
        return std::unique_ptr<Parameter>(createParameter(element));
    };

    NumGroupParameter<float> group(QStringLiteral("dir"), QStringLiteral("Direction:"), nullptr,
                                   nullptr, 2, -1.0f, 1.0f, 0.0f, true, 5);
    group.setValues(std::array<float, 2>{0.1f, -0.75f}.data(), -1);
    group.setKeyframeAt(3, std::array<float, 2>{0.5f, 0.5f}.data());
    const auto floatCopy = roundTrip(group);
    NumGroupParameter<float>* f = floats(floatCopy);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->text(), QStringLiteral("Direction:"));
    EXPECT_EQ(f->displayFlags(), 5);
    EXPECT_EQ(f->keyframes(), QList<int>{3});
    EXPECT_FLOAT_EQ(f->value(0), 0.5f); // frame 0 holds the only key's values
    EXPECT_EQ(f->setValue(-1.0f, 1), 0);

    ColorParameter color(QStringLiteral("c"), QStringLiteral("Colour:"), nullptr, nullptr, 1);
    color.setValue(Color(1.5f, 0.25f, 0.0f, 0.5f));
    const auto colorCopy = roundTrip(color);
    ASSERT_NE(colorCopy, nullptr);
    EXPECT_EQ(static_cast<ColorParameter*>(*colorCopy)->value(), Color(1.5f, 0.25f, 0.0f, 0.5f));

    StringParameter text(QStringLiteral("s"), QStringLiteral("Text:"), nullptr, nullptr, false, 4);
    text.setValue(QStringLiteral("Ünïcode ✓ text"));
    const auto textCopy = roundTrip(text);
    ASSERT_NE(textCopy, nullptr);
    EXPECT_EQ(static_cast<StringParameter*>(*textCopy)->value(), QStringLiteral("Ünïcode ✓ text"));
    EXPECT_EQ(textCopy->displayFlags(), 4);

    // A file-path string and a group box are not template parameters.
    StringParameter path(QStringLiteral("p"), QString(), nullptr, nullptr, true, 1);
    EXPECT_EQ(roundTrip(path), nullptr);
    GroupBoxParameter box(QStringLiteral("b"), QString(), nullptr, 1);
    EXPECT_EQ(roundTrip(box), nullptr);
}

// Every kind code a file may name, with each count attribute at the bounds, past them and far
// past them: a parameter is built only within its kind's bound, holding exactly the count asked
// for; a count past the bound of the kind that reads it says so, any other count never does.
TEST(ParameterFactory, NoStoredCountBuildsMorePastItsBound)
{
    const int counts[] = {-1, 0, 1, 4, MaxStoredGroupValues, MaxStoredGroupValues + 1, MaxStoredListItems,
                          MaxStoredListItems + 1, MaxGroupValues, MaxGroupValues + 1, 1 << 30, INT_MAX};
    const char* countNames[] = {"num_vals", "num_items"};
    for (int type = ParamNone - 1; type <= ParamImage + 1; ++type) {
        const bool group = type == ParamFloatGroup || type == ParamIntGroup || type == ParamBool;
        const bool list = type == ParamList;
        for (const char* countName : countNames) {
            for (int count : counts) {
                SCOPED_TRACE(testing::Message() << "type " << type << ", " << countName << " " << count);
                QDomDocument document;
                QDomElement element = document.createElement(QStringLiteral("parameter"));
                element.setAttribute(QStringLiteral("type"), type);
                element.setAttribute(QLatin1String(countName), count);
                // The other count within its bound, as a stored list or group has it.
                element.setAttribute(QLatin1String(countName == countNames[0] ? "num_items" : "num_vals"), 1);
                bool overBound = !!(count & 1);
                std::unique_ptr<Parameter> p(createParameter(element, &overBound));

                const bool read = (group && countName == countNames[0]) || (list && countName == countNames[1]);
                const int bound = group ? MaxStoredGroupValues : MaxStoredListItems;
                EXPECT_EQ(overBound, read && count > bound);
                if (read && (count > bound || count < (list ? 1 : 0))) {
                    EXPECT_EQ(p, nullptr);
                } else if (read) {
                    ASSERT_NE(p, nullptr);
                    if (list)
                        EXPECT_EQ(static_cast<ListParameter*>(*p)->items().size(), count);
                    else if (type == ParamFloatGroup)
                        EXPECT_EQ(floats(p)->numValues(), count);
                    else
                        EXPECT_EQ(static_cast<NumGroupParameter<int>*>(*p)->numValues(), count);
                }
                if (p && group) {
                    EXPECT_LE(type == ParamFloatGroup ? floats(p)->numValues()
                                                      : static_cast<NumGroupParameter<int>*>(*p)->numValues(),
                              MaxStoredGroupValues);
                }
                if (p && list) {
                    EXPECT_LE(static_cast<ListParameter*>(*p)->items().size(), MaxStoredListItems);
                }
            }
        }
    }
}
