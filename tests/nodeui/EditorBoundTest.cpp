// What an editor builds for one parameter: a bounded number of widgets, the same few for each
// value, whatever count a file or a node's code gave the parameter.

#include "PanelTestSupport.h"

#include "app/KelAtomHolder.h"
#include "nodeui/KelParamAtom.h"
#include "nodeui/KelParamAtomHolder.h"
#include "nodeui/KelParamRow.h"
#include "params/ParamType.h"
#include "params/ParameterFactory.h"

#include <gtest/gtest.h>

#include <QDomDocument>
#include <QLayout>
#include <QSlider>

#include <memory>

using KelUtils::MaxGroupValues;
using KelUtils::MaxStoredGroupValues;
using KelUtils::MaxStoredListItems;

namespace {

// Every widget of a row, the layouts' own included (a row's widgets have no parent yet).
int widgetsOf(KelParamRow const& row)
{
    int widgets = 0;
    auto count = [&widgets](QWidget* widget) {
        if (widget)
            widgets += 1 + int(widget->findChildren<QWidget*>().size());
    };
    count(row.field);
    if (row.fieldLayout) {
        for (int i = 0; i < row.fieldLayout->count(); ++i)
            count(row.fieldLayout->itemAt(i)->widget());
    }
    return widgets;
}

// Builds the row, counts it and frees it.
int rowWidgets(KelUtils::Parameter* parameter, int* editors = nullptr, int* sliders = nullptr)
{
    KelParamRow row = KelParamRow::build(parameter, 80);
    const int widgets = widgetsOf(row);
    if (editors)
        *editors = int(row.editors.size());
    if (sliders)
        *sliders = int(row.sliders.size());
    if (row.fieldLayout) {
        while (QLayoutItem* item = row.fieldLayout->takeAt(0)) {
            delete item->widget();
            delete item;
        }
    }
    delete row.fieldLayout;
    delete row.field;
    return widgets;
}

std::unique_ptr<KelUtils::Parameter> group(bool floats, int count, bool slider)
{
    if (floats)
        return std::make_unique<PanelTest::Floats>(QStringLiteral("g"), QString(), nullptr, nullptr, count, 0.0f,
                                                   1.0f, 0.5f, slider, 1);
    return std::make_unique<PanelTest::Ints>(QStringLiteral("g"), QString(), nullptr, nullptr, count, 0, 9, 1,
                                             slider, 1);
}

} // namespace

// Groups of every count a node's code may give (up to MaxGroupValues): one box, and a slider
// where the group shows one, for each value up to the bound; past it the row is one inert field.
TEST(EditorBound, AGroupRowBuildsTheSameWidgetsForEachValueUpToTheBound)
{
    const int counts[] = {0, 1, 2, 4, 16, 32, MaxStoredGroupValues, MaxStoredGroupValues + 1, 1000, MaxGroupValues};
    for (bool floats : {true, false}) {
        for (bool slider : {false, true}) {
            const int empty = rowWidgets(group(floats, 0, slider).get());
            const int perValue = rowWidgets(group(floats, 1, slider).get()) - empty;
            ASSERT_GT(perValue, 0);
            for (int count : counts) {
                SCOPED_TRACE(testing::Message() << "floats " << floats << ", slider " << slider << ", " << count
                                                << " values");
                int editors = -1;
                int sliders = -1;
                const int widgets = rowWidgets(group(floats, count, slider).get(), &editors, &sliders);
                if (count <= MaxStoredGroupValues) {
                    ASSERT_EQ(editors, count);
                    ASSERT_EQ(sliders, slider ? count : 0);
                    ASSERT_EQ(widgets, empty + count * perValue);
                } else {
                    ASSERT_EQ(editors, 0);
                    ASSERT_EQ(sliders, 0);
                    ASSERT_EQ(widgets, 1);
                }
            }
        }
    }
}

// Every kind code a file may name, with its counts at the bounds and past them, as the template
// store builds it: through the editor factory the program installs. No editor holds more than
// the bound's boxes.
TEST(EditorBound, TemplateEditorsOfStoredParametersStayWithinTheBound)
{
    KelAtomHolder::setFactory(KelParamAtomHolder::factory());
    const int counts[] = {1, 4, MaxStoredGroupValues, MaxStoredGroupValues + 1, MaxStoredListItems,
                          MaxStoredListItems + 1, MaxGroupValues};
    for (int type = KelUtils::ParamNone; type <= KelUtils::ParamImage; ++type) {
        for (int count : counts) {
            SCOPED_TRACE(testing::Message() << "type " << type << ", count " << count);
            QDomDocument document;
            QDomElement element = document.createElement(QStringLiteral("parameter"));
            element.setAttribute(QStringLiteral("type"), type);
            element.setAttribute(QStringLiteral("num_vals"), count);
            element.setAttribute(QStringLiteral("num_items"), count);
            std::unique_ptr<KelAtomHolder> holder(KelAtomHolder::create(KelUtils::createParameter(element)));
            if (!holder)
                continue;
            holder->createUI();
            auto* atom = qobject_cast<KelParamAtom*>(holder->widget());
            ASSERT_NE(atom, nullptr);
            // A box and its line edit for each value, a label, a combo box's popup.
            EXPECT_LE(atom->findChildren<QWidget*>().size(), 2 * MaxStoredGroupValues + 8);
            EXPECT_LE(atom->editors().size(), MaxStoredGroupValues);
        }
    }
    KelAtomHolder::setFactory({});
}
