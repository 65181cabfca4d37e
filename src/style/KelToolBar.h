#pragma once

#include <QToolBar>

// A tool bar of the toolkit; it has no behaviour of its own yet.
class KelToolBar : public QToolBar
{
    Q_OBJECT

public:
    explicit KelToolBar(QWidget* parent = nullptr);
    ~KelToolBar() override;
};
