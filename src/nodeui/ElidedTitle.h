#pragma once

#include <QString>

class QFont;

// Titles painted into a box of fixed width: one that does not fit is cut at the right and ends
// in "…", whether or not the font has a glyph for it (Qt would fall back to "..."). A title is
// one line: line breaks and tabs show as spaces. The cost does not grow with the title's length.
namespace ElidedTitle {

QString fit(QString const& title, QFont const& font, int width);

} // namespace ElidedTitle
