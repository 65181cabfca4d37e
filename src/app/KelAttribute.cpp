#include "app/KelAttribute.h"

#include "app/KelAtomHolder.h"

#include <QCoreApplication>
#include <QUuid>

#include <cmath>
#include <limits>

namespace {

QString const kUuid = QStringLiteral("uuid");
QString const kIndex = QStringLiteral("index");
QString const kType = QStringLiteral("type");
QString const kName = QStringLiteral("name");
QString const kAtom = QStringLiteral("atom");
QString const kAtomParameter = QStringLiteral("atom_parameter");

// Values loaded from files are doubles; a hostile one must not overflow the int conversion.
int toIntOrZero(QVariant const& value)
{
    if (!value.isValid())
        return 0;
    if (value.metaType().id() == QMetaType::Double || value.metaType().id() == QMetaType::Float) {
        double const d = value.toDouble();
        if (!std::isfinite(d) || d < double(std::numeric_limits<int>::min())
            || d > double(std::numeric_limits<int>::max()))
            return 0;
        return static_cast<int>(d);
    }
    bool ok = false;
    int const result = value.toInt(&ok);
    return ok ? result : 0;
}

void* pointerValue(QVariant const& value)
{
    // Only a pointer the program stored counts; a loaded number or text never does.
    if (value.metaType().id() != QMetaType::VoidStar)
        return nullptr;
    return value.value<void*>();
}

} // namespace

KelAttribute::KelAttribute(Type type)
{
    setType(type);
    values.insert(kUuid, QUuid::createUuid().toString());
}

KelAttribute::Type KelAttribute::type() const
{
    return static_cast<Type>(toIntOrZero(values.value(kType)));
}

QString KelAttribute::uuid() const
{
    return values.value(kUuid).toString();
}

bool KelAttribute::contains(QString const& key) const
{
    return values.contains(key);
}

QVariant KelAttribute::value(QString const& key, QVariant const& defaultValue) const
{
    return values.value(key, defaultValue);
}

void KelAttribute::setValue(QString const& key, QVariant const& value)
{
    values.insert(key, value);
}

void KelAttribute::setName(QString const& name)
{
    values.insert(kName, name);
}

void KelAttribute::setType(int type)
{
    QString const uuidText = values.value(kUuid).toString();
    int const index = toIntOrZero(values.value(kIndex));
    values.clear();
    values.insert(kUuid, uuidText);
    values.insert(kIndex, index);
    values.insert(kType, type);
    QString const name = typeName(type);
    if (!name.isEmpty())
        setName(name);
}

KelAtomHolder* KelAttribute::atom() const
{
    return static_cast<KelAtomHolder*>(pointerValue(values.value(kAtom)));
}

KelUtils::Parameter* KelAttribute::atomParameter() const
{
    return static_cast<KelUtils::Parameter*>(pointerValue(values.value(kAtomParameter)));
}

void KelAttribute::setAtom(KelAtomHolder* atom)
{
    if (!atom) {
        values.remove(kAtom);
        values.remove(kAtomParameter);
        return;
    }
    values.insert(kAtom, QVariant::fromValue(static_cast<void*>(atom)));
    values.insert(kAtomParameter, QVariant::fromValue(static_cast<void*>(atom->parameter())));
}

QString KelAttribute::typeName(int type)
{
    switch (type) {
    case NodeParameterAttribute:
        return QCoreApplication::translate("QObject", "Node Parameter Attribute");
    case NodeDisconnectAttribute:
        return QCoreApplication::translate("QObject", "Node Disconnect Attribute");
    case NodeDeleteAttribute:
        return QCoreApplication::translate("QObject", "Node Delete Attribute");
    case TransformScript:
        return QCoreApplication::translate("QObject", "Transform Script");
    case Variable:
        return QCoreApplication::translate("QObject", "Variable");
    default:
        return QString();
    }
}
