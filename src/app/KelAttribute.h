#pragma once

#include <QMap>
#include <QString>
#include <QVariant>

class KelAtomHolder;

namespace KelUtils {
class Parameter;
}

// One attribute of a template adjective: an open set of named values. Fixed keys: "uuid"
// (braced text), "index", "type" (a KelAttribute::Type), "name" (the type's display name),
// and for an exposed node parameter "atom" (the KelAtomHolder*, as void*) and "atom_parameter"
// (its KelUtils::Parameter*, as void*). A copy is the same attribute: it keeps the uuid.
class KelAttribute
{
public:
    enum Type {
        NodeParameterAttribute = 0,
        NodeDisconnectAttribute = 1,
        NodeDeleteAttribute = 2,
        TransformScript = 3,
        Variable = 4
    };

    explicit KelAttribute(Type type = NodeParameterAttribute);
    KelAttribute(KelAttribute const& other) = default;
    KelAttribute& operator=(KelAttribute const& other) = default;

    Type type() const;
    QString uuid() const;
    bool contains(QString const& key) const;
    QVariant value(QString const& key, QVariant const& defaultValue = QVariant()) const;
    void setValue(QString const& key, QVariant const& value);
    void setName(QString const& name);
    // Keeps "uuid" and "index", drops every other value ("atom" included) and sets "type" and,
    // for a known type, "name". Any int is accepted as a type.
    void setType(int type);

    // The editor and parameter held by "atom" / "atom_parameter"; null when the value is absent
    // or is not a pointer (a value read from a file never counts as one).
    KelAtomHolder* atom() const;
    KelUtils::Parameter* atomParameter() const;
    // Sets both pointer values from the editor (null removes both).
    void setAtom(KelAtomHolder* atom);

    // The translated display name of a type; empty for an unknown one.
    static QString typeName(int type);

    QMap<QString, QVariant> values;
};
