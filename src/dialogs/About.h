#pragma once

#include <QDialog>

namespace Ui {
class About;
}

class About : public QDialog
{
    Q_OBJECT

public:
    explicit About(QWidget* parent = nullptr);
    ~About() override;

    Ui::About* ui() const { return m_ui; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void setTexts();

    Ui::About* m_ui;
};
