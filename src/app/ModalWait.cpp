#include "app/ModalWait.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {

int g_runningWaits = 0;

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::NativeGesture:
    case QEvent::InputMethod:
        return true;
    default:
        return false;
    }
}

bool isEscape(QEvent* event)
{
    return static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
}

} // namespace

ModalWait::ModalWait(QObject* parent) : QObject(parent) {}

ModalWait::~ModalWait() = default;

void ModalWait::end()
{
    m_ended = true;
    m_loop.quit();
}

ModalWait::Outcome ModalWait::exec()
{
    if (m_ended)
        return Outcome::Ended;
    m_modalAtStart = QApplication::activeModalWidget();
    m_running = true;
    ++g_runningWaits;
    QCoreApplication::instance()->installEventFilter(this);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_loop.exec();
    QApplication::restoreOverrideCursor();
    QCoreApplication::instance()->removeEventFilter(this);
    --g_runningWaits;
    m_running = false;
    return m_escaped && !m_ended ? Outcome::Escaped : Outcome::Ended;
}

bool ModalWait::isWaiting()
{
    return g_runningWaits > 0;
}

bool ModalWait::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_running)
        return QObject::eventFilter(watched, event);
    const QEvent::Type type = event->type();
    const bool closing = type == QEvent::Close && event->spontaneous();
    if (!closing && !isUserInput(type))
        return false;
    // A dialog opened during the wait is answered as usual; the windows under it stay blocked.
    if (QApplication::activeModalWidget() != m_modalAtStart)
        return false;
    if (type == QEvent::ShortcutOverride) {
        // Accepted: the key is taken as typed, so that no shortcut fires; the key press that
        // follows is held back as well.
        event->accept();
    } else if (type == QEvent::KeyPress && isEscape(event)) {
        m_escaped = true;
        m_loop.quit();
    } else if (closing) {
        event->ignore();
    }
    return true;
}
