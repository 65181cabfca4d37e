#include "params/ListParameter.h"

#include "params/XmlNumbers.h"

#include <QDomDocument>
#include <QDomElement>

namespace KelUtils {

ListParameter::ListParameter(QString const& name, QString const& text,
                             IParameterContainer* container, int* value, ListItem const* items,
                             int count, int defaultId, int displayFlags)
    : Parameter(name, text, container, displayFlags), m_value(value ? value : &m_own)
{
    if (!items || count < 1)
        return;
    m_items.reserve(count);
    for (int i = 0; i < count; ++i)
        appendItem(items[i], defaultId);
}

ListParameter::ListParameter(QString const& name, QString const& text,
                             IParameterContainer* container, int* value,
                             QList<ListItem*> const& items, int defaultId, int displayFlags)
    : Parameter(name, text, container, displayFlags), m_value(value ? value : &m_own)
{
    m_items.reserve(items.size());
    for (ListItem const* item : items) {
        if (item)
            appendItem(*item, defaultId);
    }
}

ListParameter::~ListParameter()
{
    qDeleteAll(m_items);
}

void ListParameter::appendItem(ListItem const& item, int defaultId)
{
    auto* copy = new ListItem(item);
    m_items.append(copy);
    if (copy->id == defaultId) {
        m_current = copy;
        *m_value = copy->id;
    }
}

int ListParameter::findId(int id) const
{
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        if (m_items.at(i)->id == id)
            return int(i);
    }
    return -1;
}

Parameter* ListParameter::clone() const
{
    QReadLocker locker(&m_lock);
    const int chosen = m_current ? m_current->id : *m_value;
    return new ListParameter(m_name, m_text, nullptr, nullptr, m_items, chosen, DisplayEnabled);
}

int ListParameter::setValue(int id)
{
    {
        QWriteLocker locker(&m_lock);
        if (m_current && m_current->id == id)
            return 0;
        const int index = findId(id);
        if (index < 0)
            return -1;
        m_current = m_items.at(index);
        *m_value = m_current->id;
    }
    notifyUpdate();
    return 0;
}

int ListParameter::value() const
{
    QReadLocker locker(&m_lock);
    return *m_value;
}

ListItem const* ListParameter::currentItem() const
{
    QReadLocker locker(&m_lock);
    return m_current;
}

int ListParameter::currentIndex() const
{
    QReadLocker locker(&m_lock);
    return m_current ? int(m_items.indexOf(m_current)) : -1;
}

int ListParameter::itemCount() const
{
    QReadLocker locker(&m_lock);
    return int(m_items.size());
}

ListItem const* ListParameter::itemAt(int index) const
{
    QReadLocker locker(&m_lock);
    if (index < 0 || index >= m_items.size())
        return nullptr;
    return m_items.at(index);
}

int ListParameter::indexOfId(int id) const
{
    QReadLocker locker(&m_lock);
    return findId(id);
}

QList<ListItem> ListParameter::items() const
{
    QList<ListItem> copies;
    QReadLocker locker(&m_lock);
    copies.reserve(m_items.size());
    for (ListItem const* item : m_items)
        copies.append(*item);
    return copies;
}

int ListParameter::storeSpecific(QDomElement& element, QDomDocument&) const
{
    if (!m_container) {
        element.setAttribute(QStringLiteral("num_items"), formatXmlInt(m_items.size()));
        for (qsizetype i = 0; i < m_items.size(); ++i) {
            const QString index = QString::number(i);
            element.setAttribute(QStringLiteral("item_id") + index, formatXmlInt(m_items.at(i)->id));
            element.setAttribute(QStringLiteral("item_name") + index, m_items.at(i)->name);
        }
    }
    if (m_current)
        element.setAttribute(QStringLiteral("value"), formatXmlInt(m_current->id));
    return 0;
}

int ListParameter::loadSpecific(QDomElement const& element)
{
    int id = 0;
    if (!readXmlAttribute(element, QStringLiteral("value"), id))
        return -1;
    const int index = findId(id);
    if (index < 0)
        return -1;
    m_current = m_items.at(index);
    *m_value = m_current->id;
    return 0;
}

} // namespace KelUtils
