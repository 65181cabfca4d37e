#pragma once

#include "params/Parameter.h"

#include <QIcon>
#include <QList>
#include <QString>

namespace KelUtils {

// A row of buttons (type 10) over the caller's item list. Only the pressed states are stored.
class ButtonGroupParameter : public Parameter
{
public:
    struct Item
    {
        QString text;
        QString toolTip;
        QIcon icon;
        int id = 0;
        bool enabled = true;
        bool pressed = false;
    };

    // What press() does to the pressed states.
    enum Style : int {
        Push = 0,              // momentary: set, notify, clear again
        Toggle = 1,            // each button on its own
        Exclusive = 2,         // exactly one pressed
        ExclusiveOptional = 3  // at most one pressed
    };

    // Keeps a pointer to items: the list must outlive the parameter.
    ButtonGroupParameter(QString const& name, QString const& text, IParameterContainer* container,
                         QList<Item>& items, bool vertical, int columns, Style style,
                         int displayFlags);
    ~ButtonGroupParameter() override;

    ParamType type() const override { return ParamButtonGroup; }
    operator ButtonGroupParameter*() override { return this; }
    operator ButtonGroupParameter const*() const override { return this; }

    // Presses the button at index as its style says; an index out of range, or a style outside
    // the known ones, changes nothing and notifies nobody.
    void press(int index);

    // False for an index out of range.
    bool isPressed(int index) const;
    int itemCount() const;
    QList<Item> items() const;
    Style style() const { return m_style; }
    bool isVertical() const { return m_vertical; }
    int columns() const { return m_columns; }

    // "pressed": the last item is bit 0, the one before it bit 1, and so on; so only the last 32
    // buttons keep their state.
    int storeSpecific(QDomElement& element, QDomDocument& document) const override;
    // An absent "pressed" releases every button.
    int loadSpecific(QDomElement const& element) override;

private:
    QList<Item>* m_items = nullptr;
    bool m_vertical = false;
    int m_columns = 0;
    Style m_style = Push;
};

} // namespace KelUtils
