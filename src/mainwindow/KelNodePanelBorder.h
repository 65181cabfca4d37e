#pragma once

#include <QWidget>

// The thin dark line between the node-graph view and the node panel.
class KelNodePanelBorder : public QWidget
{
    Q_OBJECT

public:
    explicit KelNodePanelBorder(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
