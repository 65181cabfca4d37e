#pragma once

// Answers every message box that comes, in turn, with the next of the given buttons (Cancel once
// they are used up); the texts of the boxes are kept in `texts`. A box without the scripted
// button is a test failure, and is rejected so that the run goes on.

#include <QList>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

namespace MainWindowTest {

// Clicks `button` on `box`; a box without it records a failure naming the box and is rejected.
void clickOrFail(QMessageBox* box, QMessageBox::StandardButton button);

class MessageBoxes
{
public:
    // `then` answers once the list is used up; with `warningsTakeTheirButton`, a box without the
    // button it is to get but with a single one of its own (a warning) takes that one.
    explicit MessageBoxes(QList<QMessageBox::StandardButton> buttons,
                          QMessageBox::StandardButton then = QMessageBox::Cancel, bool warningsTakeTheirButton = false);

    QStringList texts;

private:
    QList<QMessageBox::StandardButton> m_buttons;
    QTimer m_timer;
};

} // namespace MainWindowTest
