#pragma once

#include <QPushButton>

// A small help button: a title-bar button face with a help symbol, both from pictures compiled
// into the program (":/images/"), not from the style store. Every point of it counts as on it.
class KelHelpButton : public QPushButton
{
    Q_OBJECT

public:
    explicit KelHelpButton(QWidget* parent = nullptr);

    // The size of ":/images/title_bar_button_normal.png".
    QSize sizeHint() const override;

protected:
    // A style change fixes the button's size to its hint.
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
};
