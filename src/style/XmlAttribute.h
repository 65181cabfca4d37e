#pragma once

#include <QString>

// One attribute of a style-file element.
class XmlAttribute
{
public:
    XmlAttribute() = default;
    XmlAttribute(QString const& name, QString const& value);

    QString name;
    QString value;
};
