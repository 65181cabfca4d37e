#pragma once

#include "app/KelAttribute.h"

#include <QMap>
#include <QObject>
#include <QString>
#include <QVariant>

// A named group of template attributes, keyed by attribute uuid. Owns the attribute editors
// ("atom") of its attributes; each editor owns its parameter.
class KelAdjective : public QObject
{
    Q_OBJECT

public:
    KelAdjective();
    ~KelAdjective() override;

    QString const& name() const { return m_name; }
    void setName(QString const& name) { m_name = name; }
    QString const& groupName() const { return m_groupName; }
    void setGroupName(QString const& groupName) { m_groupName = groupName; }
    QString const& alternativeNames() const { return m_alternativeNames; }
    void setAlternativeNames(QString const& names) { m_alternativeNames = names; }

    QMap<QString, KelAttribute> const& attributes() const { return m_attributes; }

    // Stores the attribute under its uuid, replacing one with the same uuid. An editor that the
    // replaced attribute held and that no attribute refers to any more is deleted.
    void setAttribute(KelAttribute const& attribute);
    // The key's value in the attribute of that uuid; an absent uuid is answered by a default
    // attribute of type NodeParameterAttribute.
    QVariant attributeValue(QString const& uuid, QString const& key) const;
    // Removes the attribute and deletes its editor.
    void removeAttribute(QString const& uuid);
    // Change a copy of the stored attribute (a default one when absent) and store it back under
    // the copy's own uuid; an editor left without attribute is deleted.
    void setAttributeValue(QString const& uuid, QString const& key, QVariant const& value);
    void setAttributeType(QString const& uuid, KelAttribute::Type type);

private:
    void deleteOrphanedAtom(KelAtomHolder* atom);

    QMap<QString, KelAttribute> m_attributes;
    QString m_name;
    QString m_groupName;
    QString m_alternativeNames;
};
