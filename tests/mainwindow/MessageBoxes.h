#pragma once

// Answers every message box that comes, in turn, with the next of the given buttons (Cancel once
// they are used up); the texts of the boxes are kept in `texts`.

#include <QList>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

namespace MainWindowTest {

class MessageBoxes
{
public:
    explicit MessageBoxes(QList<QMessageBox::StandardButton> buttons);

    QStringList texts;

private:
    QList<QMessageBox::StandardButton> m_buttons;
    QTimer m_timer;
};

} // namespace MainWindowTest
