#pragma once

#include <QWidget>

class KelTitleBarButton;
class QHBoxLayout;
class QSpacerItem;
class QToolButton;

// A thin bar (always 27 pixels high) heading a panel with a row of small controls, painted from
// the style keys "KelTitleBar.*". The controls live in its horizontal layout, in the order they
// were added.
class KelTitleBar : public QWidget
{
    Q_OBJECT

public:
    explicit KelTitleBar(QWidget* parent = nullptr);

    void addWidget(QWidget* widget);
    void addToolButton(QToolButton* button);
    void addTitleBarButton(KelTitleBarButton* button);
    // The layout takes ownership of the spacer.
    void addSpacerItem(QSpacerItem* spacer);
    // A sunken vertical line owned by the bar.
    void addSeparator();

    // "KelTitleBar.sizeHint"; both hints are the same.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QHBoxLayout* rowLayout() const;
};
