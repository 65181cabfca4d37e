#pragma once

#include <QColor>
#include <QWidget>

// A small colour swatch: a framed rectangle showing one colour. A left click opens a modal
// colour dialog with alpha; a changed colour is announced by colorChanged.
class KelColorField : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)

public:
    explicit KelColorField(QWidget* parent = nullptr);

    QColor color() const;

    // "KelColorField.sizeHint".
    QSize sizeHint() const override;

public slots:
    // Emits colorChanged only when the colour differs.
    void setColor(const QColor& color);

signals:
    void colorChanged(const QColor& color);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
};
