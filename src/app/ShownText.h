#pragma once

#include <QString>

// Text from outside (a project's names, a service's replies) shown in a title, a row or a
// message box. Such text can be megabytes long; what reaches a widget is cut first, so that no
// layout or font measurement ever sees more than a screenful. It is text, never markup: where it
// goes into rich text (a tool tip, the description panel) it is escaped here, since Qt's text
// document reads whatever file an <img> or <link> in it names.
namespace ShownText {

// A name in a narrow place, sharing a panel's width with fields or listed in a menu: a heading
// above a panel's rows, a form's label, a menu entry.
inline constexpr int kNarrowPlaceChars = 40;
// A menu entry that names something from outside: a recent file, what Undo would undo.
inline constexpr int kMenuEntryChars = 80;

// At most `maxChars` characters and `maxLines` lines; a cut text ends in "…". Never splits a
// surrogate pair. Directional embeddings, overrides and isolates left open are closed before
// the end, so that they cannot turn around the text shown after it.
QString bounded(QString const& text, int maxChars = 400, int maxLines = 6);

// The first `count` characters, one fewer when that would end inside a surrogate pair.
QString head(QString const& text, qsizetype count);

// A name on one line: line breaks (also the Unicode line and paragraph separators) and tabs
// become spaces, then at most `maxChars` characters.
QString name(QString const& text, int maxChars = 256);

// `text` as a paragraph of rich text that shows every character as it is: markup escaped, spaces
// and line breaks kept. Cut it first.
QString html(QString const& text);

// `text` for a tool tip, which Qt takes for rich text whenever it looks like markup: cut as
// bounded() cuts, and when it looks like markup, as html().
QString toolTip(QString const& text);

// `text` (already short) with the directional embeddings, overrides and isolates it leaves open
// closed at its end: for a head of a shown name cut further.
QString closed(QString const& text);

} // namespace ShownText
