#include "params/ParameterFactory.h"

#include "params/ColorParameter.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/StringParameter.h"
#include "params/XmlNumbers.h"

#include <QDomElement>

#include <algorithm>
#include <vector>

namespace KelUtils {

namespace {

// A default outside a closed range would leave the group holding an out-of-range value.
template<typename T>
T defaultInRange(T min, T max, T def)
{
    return max >= min ? std::clamp(def, min, max) : def;
}

template<typename T>
Parameter* createNumGroup(QDomElement const& element, QString const& name, QString const& text, bool& overBound)
{
    int count = 0;
    readXmlAttribute(element, QStringLiteral("num_vals"), count);
    overBound = count > MaxStoredGroupValues;
    if (count < 0 || overBound)
        return nullptr;
    // Absent and non-finite numbers read as 0.
    T min = 0, max = 0, def = 0;
    readXmlAttribute(element, QStringLiteral("min"), min);
    readXmlAttribute(element, QStringLiteral("max"), max);
    readXmlAttribute(element, QStringLiteral("def"), def);
    return new NumGroupParameter<T>(name, text, nullptr, nullptr, count, min, max,
                                    defaultInRange(min, max, def), false, 1);
}

Parameter* createList(QDomElement const& element, QString const& name, QString const& text, bool& overBound)
{
    int count = 0;
    readXmlAttribute(element, QStringLiteral("num_items"), count);
    overBound = count > MaxStoredListItems;
    if (count < 1 || overBound)
        return nullptr;
    std::vector<ListItem> items(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const QString index = QString::number(i);
        readXmlAttribute(element, QStringLiteral("item_id") + index, items[i].id);
        items[i].name = element.attribute(QStringLiteral("item_name") + index);
    }
    return new ListParameter(name, text, nullptr, nullptr, items.data(), count, items.front().id, 1);
}

// The parameter of the element's kind, before its stored state is read.
Parameter* createUnloaded(QDomElement const& element, bool& overBound)
{
    const QString typeText = element.attribute(QStringLiteral("type"));
    if (typeText.isEmpty())
        return nullptr;
    const int type = parseXmlInt(typeText);

    const QString name = element.attribute(QStringLiteral("name"));
    const QString text = element.attribute(QStringLiteral("ui_text"));

    switch (type) {
    case ParamFloatGroup:
        return createNumGroup<float>(element, name, text, overBound);
    case ParamIntGroup:
    case ParamBool:
        return createNumGroup<int>(element, name, text, overBound);
    case ParamColor:
        return new ColorParameter(name, text, nullptr, nullptr, 1);
    case ParamList:
        return createList(element, name, text, overBound);
    case ParamString:
        return new StringParameter(name, text, nullptr, nullptr, false, 1);
    default:
        return nullptr;
    }
}

} // namespace

Parameter* createParameter(QDomElement const& element, bool* overBound)
{
    bool over = false;
    Parameter* parameter = createUnloaded(element, over);
    if (overBound)
        *overBound = over;
    if (!parameter)
        return nullptr;
    // A list whose stored choice names no item keeps its first item.
    parameter->load(element);
    return parameter;
}

} // namespace KelUtils
