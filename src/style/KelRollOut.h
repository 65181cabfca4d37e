#pragma once

#include <QWidget>

// A roll-out container of the toolkit; it has no behaviour of its own yet.
class KelRollOut : public QWidget
{
    Q_OBJECT

public:
    explicit KelRollOut(QWidget* parent = nullptr);
    ~KelRollOut() override;
};
