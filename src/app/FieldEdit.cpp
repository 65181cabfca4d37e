#include "app/FieldEdit.h"

#include <QLineEdit>

std::optional<QString> FieldEdit::committed(QLineEdit const* field, QString const& stored)
{
    if (!field)
        return std::nullopt;
    QString const text = field->text();
    // QLineEdit cuts a longer text to its first maxLength() characters as it is set.
    if (text == stored || (stored.size() > field->maxLength() && text == stored.left(field->maxLength())))
        return std::nullopt;
    return text;
}
