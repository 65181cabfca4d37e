#pragma once

#include <QString>
#include <QWidget>

// The painted heading of the description panels and of the important-parameters panel.
class KelNodeDescriptionTitle : public QWidget
{
    Q_OBJECT

public:
    explicit KelNodeDescriptionTitle(QWidget* parent = nullptr);

    // Holders assign it before the bar is shown.
    QString title;

    // The title as painted: cut to the bar's text width, ending in "…" when cut.
    QString shownTitle() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
