#include "style/TitleBarButtonRect.h"

#include "params/Rounding.h"
#include "style/KelStyleConfig.h"

#include <QDockWidget>
#include <QPixmap>
#include <QStyle>
#include <QWidget>

#include <array>

QRect titleBarButtonRect(const QWidget* titleBar, int button)
{
    const QWidget* parent = titleBar ? titleBar->parentWidget() : nullptr;
    // The buttons are the parent window's; without one there are none.
    if (!parent)
        return QRect();

    const bool isDock = qobject_cast<const QDockWidget*>(parent) != nullptr;
    const int close = Qt::WindowCloseButtonHint;
    const int maximize = Qt::WindowMaximizeButtonHint;
    const int minimize = Qt::WindowMinimizeButtonHint;
    const int help = Qt::WindowContextHelpButtonHint;

    int flags = int(parent->windowFlags());
    if (!(flags & Qt::CustomizeWindowHint)) {
        if (isDock)
            flags = close | maximize;
        else if ((flags & 0x3) != 0x3)
            flags |= close | maximize | minimize;
        else
            flags |= close; // dialog-like windows
    }

    const std::array<std::pair<int, bool>, 4> order = {{
        {close, (flags & close) != 0},
        {maximize, (flags & maximize) != 0 || isDock},
        {minimize, (flags & minimize) != 0},
        {help, (flags & help) != 0},
    }};
    int position = 0;
    for (const auto& [kind, present] : order) {
        if (!present)
            continue;
        if (kind == button)
            return titleBarButtonRectFromPos(titleBar, position);
        ++position;
    }
    return QRect();
}

QRect titleBarButtonRectFromPos(const QWidget* titleBar, int position)
{
    if (!titleBar)
        return QRect();
    const QSize button =
        KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("titleBarButtonNormal")).size();
    const int w = titleBar->width();
    const int h = titleBar->height();

    const int top = KelUtils::roundHalfUpToInt((h - button.height()) / 2.0);
    const int left = (w - 1) - 4 - button.width() - top / 6 - position * (button.width() + 6);
    return QStyle::visualRect(titleBar->layoutDirection(), QRect(0, 0, w, h),
                              QRect(left, top, button.width(), button.height()));
}
