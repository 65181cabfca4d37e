#include "style/KelToolBox.h"

#include "style/KelStyleConfig.h"
#include "style/KelToolBoxButton.h"

#include <QPainter>
#include <QPen>
#include <QVBoxLayout>

KelToolBox::Item::Item()
    : button(new KelToolBoxButton)
    , widget(nullptr)
{
}

KelToolBox::KelToolBox(QWidget* parent)
    : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(1, 0, 0, 0);
    layout->addStretch(1);
}

KelToolBox::~KelToolBox() = default;

QVBoxLayout* KelToolBox::boxLayout() const
{
    return static_cast<QVBoxLayout*>(layout());
}

bool KelToolBox::validIndex(int index) const
{
    return index >= 0 && index < m_items.size();
}

int KelToolBox::insertItem(int index, QWidget* widget, const QString& text)
{
    if (index < 0 || index > count())
        return insertItem(count(), widget, text);

    Item item;
    item.button->setText(text); // plain field
    item.widget = widget;
    m_items.insert(index, item);

    boxLayout()->insertWidget(2 * index, item.button);
    boxLayout()->insertWidget(2 * index + 1, widget);
    connect(item.button, &QAbstractButton::toggled, widget, &QWidget::setVisible);
    widget->hide();
    return index;
}

int KelToolBox::addItem(QWidget* widget, const QString& text)
{
    return insertItem(count(), widget, text);
}

int KelToolBox::count() const
{
    return int(m_items.size());
}

QWidget* KelToolBox::widget(int index) const
{
    return validIndex(index) ? m_items.at(index).widget : nullptr;
}

int KelToolBox::indexOf(const QWidget* w) const
{
    for (int i = 0; i < m_items.size(); ++i) {
        const Item& item = m_items.at(i);
        if (item.widget == w || item.button == w)
            return i;
    }
    return -1;
}

bool KelToolBox::isExpanded(int index) const
{
    return validIndex(index) && m_items.at(index).button->isChecked();
}

bool KelToolBox::isExpanded(QWidget* w) const
{
    return isExpanded(indexOf(w));
}

bool KelToolBox::isVisible(int index) const
{
    return validIndex(index) && m_items.at(index).button->isVisible();
}

bool KelToolBox::isVisible(QWidget* w) const
{
    return isVisible(indexOf(w));
}

void KelToolBox::setVisible(int index, bool visible)
{
    if (!validIndex(index))
        return;
    const Item& item = m_items.at(index);
    item.button->setVisible(visible);
    item.widget->setVisible(visible && item.button->isChecked());
}

void KelToolBox::setVisible(QWidget* w, bool visible)
{
    setVisible(indexOf(w), visible);
}

void KelToolBox::setExpanded(int index, bool expanded)
{
    if (validIndex(index))
        m_items.at(index).button->setChecked(expanded);
}

void KelToolBox::setExpanded(QWidget* w, bool expanded)
{
    setExpanded(indexOf(w), expanded);
}

void KelToolBox::setItemText(int index, const QString& text)
{
    if (validIndex(index))
        m_items.at(index).button->setText(text); // plain field
}

void KelToolBox::paintEvent(QPaintEvent*)
{
    const KelStyleConfig* config = KelStyleConfig::instance();
    QPainter painter(this);
    painter.setPen(config->value<QPen>(QStringLiteral("KelToolBox.borderPen")));
    painter.fillRect(QRect(0, 0, width(), height()),
                     config->value<QColor>(QStringLiteral("KelToolBox.backgroundColor")));
    painter.drawRect(0, 0, width() - 1, height() - 1);
}
