#pragma once

#include <QRect>

class QWidget;

// Where the close, maximise, minimise and help buttons of a title bar sit, in the title bar's
// coordinates. `button` is a window-flag value: Qt::WindowCloseButtonHint,
// Qt::WindowMaximizeButtonHint, Qt::WindowMinimizeButtonHint or Qt::WindowContextHelpButtonHint.
// Which buttons exist follows the flags of the title bar's parent widget; a button that is not
// there, and every button of a title bar without a parent widget, gives a null rectangle.
QRect titleBarButtonRect(const QWidget* titleBar, int button);

// The rectangle of button slot `position`, counted from the right edge (0 = rightmost), sized
// like the style pixmap "titleBarButtonNormal" and mirrored in right-to-left layouts.
QRect titleBarButtonRectFromPos(const QWidget* titleBar, int position);
