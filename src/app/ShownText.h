#pragma once

#include <QString>

// Text from outside (a project's names, a service's replies) shown in a title, a row or a
// message box. Such text can be megabytes long; what reaches a widget is cut first, so that no
// layout or font measurement ever sees more than a screenful.
namespace ShownText {

// At most `maxChars` characters and `maxLines` lines; a cut text ends in "…". Never splits a
// surrogate pair. Directional embeddings, overrides and isolates left open are closed before
// the end, so that they cannot turn around the text shown after it.
QString bounded(QString const& text, int maxChars = 400, int maxLines = 6);

// The first `count` characters, one fewer when that would end inside a surrogate pair.
QString head(QString const& text, qsizetype count);

// A name on one line: line breaks (also the Unicode line and paragraph separators) and tabs
// become spaces, then at most `maxChars` characters.
QString name(QString const& text, int maxChars = 256);

// `text` (already short) with the directional embeddings, overrides and isolates it leaves open
// closed at its end: for a head of a shown name cut further.
QString closed(QString const& text);

} // namespace ShownText
