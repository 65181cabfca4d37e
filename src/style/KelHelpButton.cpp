#include "style/KelHelpButton.h"

#include <QEvent>
#include <QPainter>
#include <QPixmap>

namespace {

const QString NORMAL = QStringLiteral(":/images/title_bar_button_normal.png");
const QString HOVER = QStringLiteral(":/images/title_bar_button_hover.png");
const QString PRESSED = QStringLiteral(":/images/title_bar_button_pressed.png");
const QString SYMBOL = QStringLiteral(":/images/title_bar_help.png");

} // namespace

KelHelpButton::KelHelpButton(QWidget* parent)
    : QPushButton(parent)
{
    // Hover events repaint the button, so the hover face shows as the pointer enters.
    setAttribute(Qt::WA_Hover);
}

QSize KelHelpButton::sizeHint() const
{
    return QPixmap(NORMAL).size();
}

bool KelHelpButton::event(QEvent* e)
{
    if (e->type() == QEvent::StyleChange) {
        setFixedSize(sizeHint());
        updateGeometry();
        return true;
    }
    return QPushButton::event(e);
}

void KelHelpButton::paintEvent(QPaintEvent*)
{
    QString background = NORMAL;
    if (isDown())
        background = PRESSED;
    else if (underMouse())
        background = HOVER;

    QPainter painter(this);
    for (const QString& name : {background, SYMBOL}) {
        const QPixmap pixmap(name);
        if (pixmap.isNull())
            continue;
        painter.drawPixmap(rect(), pixmap.scaled(size(), Qt::IgnoreAspectRatio,
                                                 Qt::SmoothTransformation));
    }
}

bool KelHelpButton::hitButton(const QPoint&) const
{
    return true;
}
