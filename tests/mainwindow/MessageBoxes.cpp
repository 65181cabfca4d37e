#include "MessageBoxes.h"

#include <QAbstractButton>
#include <QApplication>

namespace MainWindowTest {

MessageBoxes::MessageBoxes(QList<QMessageBox::StandardButton> buttons) : m_buttons(std::move(buttons))
{
    m_timer.setInterval(10);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        texts << box->text();
        const QMessageBox::StandardButton button = m_buttons.isEmpty() ? QMessageBox::Cancel : m_buttons.takeFirst();
        box->button(button)->click();
    });
    m_timer.start();
}

} // namespace MainWindowTest
