#include "app/KelAdjective.h"

#include "app/KelAtomHolder.h"

#include <QSet>

KelAdjective::KelAdjective()
    : m_name(tr("New Adjective - Click to Change Name"))
{
}

KelAdjective::~KelAdjective()
{
    // Two attributes may share an editor (a copy stored under another uuid): delete it once.
    QSet<KelAtomHolder*> deleted;
    for (KelAttribute const& attribute : std::as_const(m_attributes)) {
        KelAtomHolder* atom = attribute.atom();
        if (atom && !deleted.contains(atom)) {
            deleted.insert(atom);
            delete atom;
        }
    }
}

void KelAdjective::setAttribute(KelAttribute const& attribute)
{
    QString const uuid = attribute.uuid();
    KelAtomHolder* replaced = nullptr;
    auto it = m_attributes.constFind(uuid);
    if (it != m_attributes.constEnd())
        replaced = it->atom();
    m_attributes.insert(uuid, attribute);
    if (replaced && replaced != attribute.atom())
        deleteOrphanedAtom(replaced);
}

QVariant KelAdjective::attributeValue(QString const& uuid, QString const& key) const
{
    auto it = m_attributes.constFind(uuid);
    if (it != m_attributes.constEnd())
        return it->value(key);
    return KelAttribute().value(key);
}

void KelAdjective::removeAttribute(QString const& uuid)
{
    auto it = m_attributes.find(uuid);
    if (it == m_attributes.end())
        return;
    KelAtomHolder* atom = it->atom();
    m_attributes.erase(it);
    deleteOrphanedAtom(atom);
}

void KelAdjective::setAttributeValue(QString const& uuid, QString const& key,
                                     QVariant const& value)
{
    KelAttribute copy = m_attributes.value(uuid, KelAttribute());
    copy.setValue(key, value);
    setAttribute(copy);
}

void KelAdjective::setAttributeType(QString const& uuid, KelAttribute::Type type)
{
    KelAttribute copy = m_attributes.value(uuid, KelAttribute());
    copy.setType(type);
    setAttribute(copy);
}

void KelAdjective::deleteOrphanedAtom(KelAtomHolder* atom)
{
    if (!atom)
        return;
    for (KelAttribute const& attribute : std::as_const(m_attributes)) {
        if (attribute.atom() == atom)
            return;
    }
    delete atom;
}
