#include "params/ButtonGroupParameter.h"

#include "params/XmlNumbers.h"

#include <QDomDocument>
#include <QDomElement>

namespace KelUtils {

ButtonGroupParameter::ButtonGroupParameter(QString const& name, QString const& text,
                                           IParameterContainer* container, QList<Item>& items,
                                           bool vertical, int columns, Style style,
                                           int displayFlags)
    : Parameter(name, text, container, displayFlags),
      m_items(&items),
      m_vertical(vertical),
      m_columns(columns),
      m_style(style)
{
}

ButtonGroupParameter::~ButtonGroupParameter() = default;

void ButtonGroupParameter::press(int index)
{
    int notifications = 0;
    {
        QWriteLocker locker(&m_lock);
        if (index < 0 || index >= m_items->size())
            return;
        QList<Item>& items = *m_items;
        switch (m_style) {
        case Push:
            items[index].pressed = true;
            notifications = 2;
            break;
        case Toggle:
            items[index].pressed = !items[index].pressed;
            notifications = 1;
            break;
        case Exclusive:
        case ExclusiveOptional:
            if (items[index].pressed) {
                if (m_style == Exclusive)
                    return;
                items[index].pressed = false;
            } else {
                for (Item& item : items)
                    item.pressed = false;
                items[index].pressed = true;
            }
            notifications = 1;
            break;
        default:
            return;
        }
    }
    notifyUpdate();
    if (notifications == 2) {
        {
            // The callbacks may have changed the list; the index is checked again.
            QWriteLocker locker(&m_lock);
            if (index < m_items->size())
                (*m_items)[index].pressed = false;
        }
        notifyUpdate();
    }
}

bool ButtonGroupParameter::isPressed(int index) const
{
    QReadLocker locker(&m_lock);
    if (index < 0 || index >= m_items->size())
        return false;
    return m_items->at(index).pressed;
}

int ButtonGroupParameter::itemCount() const
{
    QReadLocker locker(&m_lock);
    return int(m_items->size());
}

QList<ButtonGroupParameter::Item> ButtonGroupParameter::items() const
{
    QReadLocker locker(&m_lock);
    return *m_items;
}

int ButtonGroupParameter::storeSpecific(QDomElement& element, QDomDocument&) const
{
    const qsizetype n = m_items->size();
    unsigned mask = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const qsizetype bit = n - 1 - i;
        if (bit < 32 && m_items->at(i).pressed)
            mask |= 1u << bit;
    }
    element.setAttribute(QStringLiteral("pressed"), formatXmlUnsigned(mask));
    return 0;
}

int ButtonGroupParameter::loadSpecific(QDomElement const& element)
{
    unsigned mask = 0;
    readXmlAttribute(element, QStringLiteral("pressed"), mask);
    QList<Item>& items = *m_items;
    for (qsizetype i = items.size() - 1; i >= 0; --i) {
        items[i].pressed = (mask & 1u) != 0;
        mask >>= 1;
    }
    return 0;
}

} // namespace KelUtils
