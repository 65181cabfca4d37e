#pragma once

#include <QPointer>
#include <QWidget>

// A plain widget that looks like a dock: a 22-pixel title strip painted from the style store,
// and at most one content widget below it.
class PseudoDockWidget : public QWidget
{
    Q_OBJECT

public:
    explicit PseudoDockWidget(QWidget* parent = nullptr);

    void setWidget(QWidget* widget);
    // Null once the content widget has been destroyed.
    QWidget* widget() const { return m_widget; }
    // Where the content goes for a dock of that size.
    static QRect contentRect(QSize size);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<QWidget> m_widget;
};
