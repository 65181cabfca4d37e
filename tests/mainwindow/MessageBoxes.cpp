#include "MessageBoxes.h"

#include <QAbstractButton>
#include <QApplication>

#include <gtest/gtest.h>

namespace MainWindowTest {

void clickOrFail(QMessageBox* box, QMessageBox::StandardButton button)
{
    if (QAbstractButton* target = box->button(button)) {
        target->click();
        return;
    }
    ADD_FAILURE() << "the box has no button " << int(button) << ": " << box->text().toStdString();
    box->reject();
}

MessageBoxes::MessageBoxes(QList<QMessageBox::StandardButton> buttons, QMessageBox::StandardButton then,
                           bool warningsTakeTheirButton)
    : m_buttons(std::move(buttons))
{
    m_timer.setInterval(10);
    QObject::connect(&m_timer, &QTimer::timeout, [this, then, warningsTakeTheirButton] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        texts << box->text();
        const QMessageBox::StandardButton button = m_buttons.isEmpty() ? then : m_buttons.takeFirst();
        if (warningsTakeTheirButton && !box->button(button) && box->buttons().size() == 1) {
            box->buttons().first()->click();
            return;
        }
        clickOrFail(box, button);
    });
    m_timer.start();
}

} // namespace MainWindowTest
