#pragma once

#include <QAbstractButton>

class QStyleOptionToolBox;

// The checkable header of one KelToolBox section, painted by the style as a tool-box tab.
// Created without a parent: the tool box's layout adopts it.
class KelToolBoxButton : public QAbstractButton
{
    Q_OBJECT

public:
    KelToolBoxButton();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Selected while expanded, sunken while pressed; the position among the tool box's sections.
    void initStyleOption(QStyleOptionToolBox* option) const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
