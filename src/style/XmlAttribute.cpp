#include "style/XmlAttribute.h"

XmlAttribute::XmlAttribute(QString const& name, QString const& value)
    : name(name)
    , value(value)
{
}
