#include "style/KelTitleBar.h"

#include "style/KelStyleConfig.h"
#include "style/KelTitleBarButton.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QPen>
#include <QSpacerItem>
#include <QToolButton>

namespace {
constexpr int BAR_HEIGHT = 27;
}

KelTitleBar::KelTitleBar(QWidget* parent)
    : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    // The bottom margin keeps the controls off the two-pixel bottom border.
    layout->setContentsMargins(0, 0, 0, 2);
    setFixedHeight(BAR_HEIGHT);
}

QHBoxLayout* KelTitleBar::rowLayout() const
{
    return static_cast<QHBoxLayout*>(layout());
}

void KelTitleBar::addWidget(QWidget* widget)
{
    rowLayout()->addWidget(widget);
}

void KelTitleBar::addToolButton(QToolButton* button)
{
    rowLayout()->addWidget(button);
}

void KelTitleBar::addTitleBarButton(KelTitleBarButton* button)
{
    rowLayout()->addWidget(button);
}

void KelTitleBar::addSpacerItem(QSpacerItem* spacer)
{
    rowLayout()->addItem(spacer);
}

void KelTitleBar::addSeparator()
{
    auto* line = new QFrame(this);
    line->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    rowLayout()->addWidget(line);
}

QSize KelTitleBar::sizeHint() const
{
    return KelStyleConfig::instance()->value<QSize>(QStringLiteral("KelTitleBar.sizeHint"));
}

QSize KelTitleBar::minimumSizeHint() const
{
    return sizeHint();
}

void KelTitleBar::paintEvent(QPaintEvent*)
{
    const KelStyleConfig* config = KelStyleConfig::instance();
    const int w = width();
    const int h = height();
    QPainter painter(this);

    painter.setPen(config->value<QPen>(QStringLiteral("KelTitleBar.borderTopPen")));
    painter.drawLine(0, 0, w - 1, 0);

    QLinearGradient gradient =
        config->value<QLinearGradient>(QStringLiteral("KelTitleBar.backgroundGradient"));
    gradient.setStart(0.0, 1.0);
    gradient.setFinalStop(0.0, h - 3);
    painter.fillRect(QRect(0, 1, w, h - 3), QBrush(gradient));

    painter.setPen(config->value<QPen>(QStringLiteral("KelTitleBar.borderBottomPen")));
    painter.drawLine(0, h - 2, w - 1, h - 2);
    painter.drawLine(0, h - 1, w - 1, h - 1);
}

void KelTitleBar::resizeEvent(QResizeEvent*)
{
}
