#include "style/KelTitleBarButton.h"

#include "style/KelStyleConfig.h"

#include <QPainter>
#include <QPixmap>

KelTitleBarButton::KelTitleBarButton(const QString& pixmapName, QWidget* parent)
    : QPushButton(parent)
    , m_pixmapName(pixmapName)
{
    setFocusPolicy(Qt::NoFocus);
}

QString KelTitleBarButton::pixmapName() const
{
    return m_pixmapName;
}

void KelTitleBarButton::setPixmapName(const QString& pixmapName)
{
    m_pixmapName = pixmapName;
    update();
}

QSize KelTitleBarButton::sizeHint() const
{
    return KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("titleBarButtonNormal")).size();
}

void KelTitleBarButton::enterEvent(QEnterEvent* event)
{
    update();
    QPushButton::enterEvent(event);
}

void KelTitleBarButton::leaveEvent(QEvent* event)
{
    update();
    QPushButton::leaveEvent(event);
}

void KelTitleBarButton::paintEvent(QPaintEvent*)
{
    const KelStyleConfig* config = KelStyleConfig::instance();
    QString background = QStringLiteral("titleBarButtonNormal");
    if (isDown())
        background = QStringLiteral("titleBarButtonPressed");
    else if (testAttribute(Qt::WA_UnderMouse))
        background = QStringLiteral("titleBarButtonHover");

    QPainter painter(this);
    for (const QString& key : {background, m_pixmapName}) {
        const QPixmap pixmap = config->value<QPixmap>(key);
        if (pixmap.isNull())
            continue;
        painter.drawPixmap(0, 0,
                           pixmap.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
}

bool KelTitleBarButton::hitButton(const QPoint&) const
{
    return true;
}
