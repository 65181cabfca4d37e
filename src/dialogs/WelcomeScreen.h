#pragma once

#include <QDialog>

namespace Ui {
class WelcomeScreen;
}

// The first-start dialog: offers the template check and whether to show itself again. Only a
// close (not Escape) requests the check and stores the choice.
class WelcomeScreen : public QDialog
{
    Q_OBJECT

public:
    explicit WelcomeScreen(QWidget* parent = nullptr);
    ~WelcomeScreen() override;

    Ui::WelcomeScreen* ui() const { return m_ui; }

signals:
    void checkTemplatesRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Ui::WelcomeScreen* m_ui;
};
