#pragma once

#include <QString>

#include <optional>

class QLineEdit;

// What a line edit's editingFinished commits. A field holds at most maxLength() characters, so
// a longer stored value is shown cut: the field's text is then not the value, and a field left
// as it was shown (focus in and out, Return without typing) must change nothing. Every editor
// field that commits when it is left asks here first.
class FieldEdit
{
public:
    FieldEdit() = delete;

    // The field's text when it differs from `stored` as the field shows it; nothing when the
    // field still shows the stored value (whole, or cut to the field's length).
    static std::optional<QString> committed(QLineEdit const* field, QString const& stored);
};
