#include "style/KelColorField.h"

#include "style/KelStyleConfig.h"

#include <QColorDialog>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QPointer>

KelColorField::KelColorField(QWidget* parent)
    : QWidget(parent)
    , m_color(Qt::black)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::StrongFocus);
}

QColor KelColorField::color() const
{
    return m_color;
}

void KelColorField::setColor(const QColor& color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
    emit colorChanged(color);
}

QSize KelColorField::sizeHint() const
{
    return KelStyleConfig::instance()->value<QSize>(QStringLiteral("KelColorField.sizeHint"));
}

void KelColorField::mousePressEvent(QMouseEvent* event)
{
    event->ignore();
    if (!isEnabled() || event->button() != Qt::LeftButton)
        return;

    // A child of the field, so the focus frame stays while the dialog runs.
    QPointer<KelColorField> self(this);
    QPointer<QColorDialog> dialog = new QColorDialog(m_color, this);
    dialog->setOptions(QColorDialog::ShowAlphaChannel | QColorDialog::DontUseNativeDialog);
    const int result = dialog->exec();
    // The nested event loop may have taken the field, and the dialog with it.
    if (!self || !dialog)
        return;
    const QColor chosen = dialog->currentColor();
    delete dialog;
    if (result == QDialog::Accepted)
        setColor(chosen);
    event->accept();
}

void KelColorField::enterEvent(QEnterEvent*)
{
    update();
}

void KelColorField::leaveEvent(QEvent*)
{
    update();
}

void KelColorField::paintEvent(QPaintEvent*)
{
    const KelStyleConfig* config = KelStyleConfig::instance();
    const int w = width();
    const int h = height();
    QPainter painter(this);

    if (hasFocus() || findChild<QColorDialog*>(QString(), Qt::FindDirectChildrenOnly)) {
        painter.setPen(config->value<QPen>(QStringLiteral("KelColorField.colorHasFocus")));
        painter.drawRect(0, 0, w - 1, h - 1);
    }

    painter.setPen(config->value<QPen>(isEnabled() ? QStringLiteral("KelColorField.colorEnabled")
                                                   : QStringLiteral("KelColorField.colorDisabled")));
    painter.drawRect(1, 1, w - 3, h - 3);

    const QRect swatch(3, 3, w - 6, h - 6);
    if (swatch.isValid())
        painter.fillRect(swatch, m_color);
}
