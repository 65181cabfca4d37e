#pragma once

#include <QString>

class QWidget;

// The name a save dialog returned, made into the file that is written. A file dialog filters
// by suffix, so a name typed without the suffix of its format gets it; the dialog asked before
// replacing the name as typed only, so the completed name is asked about here.
namespace TypedSaveName {

// `typed` as it is when its suffix is `suffix` (without regard to case); otherwise with
// "." and `suffix` appended (a name without a suffix, or with another one).
QString completed(QString const& typed, QString const& suffix);

// Whether `path` may be written: it is the name the dialog asked about (`typed`), no file has
// that name, or the user agreed to replace the file in a question titled `caption`.
bool mayReplace(QWidget* parent, QString const& caption, QString const& typed, QString const& path);

} // namespace TypedSaveName
