#include "app/PictureReadWait.h"

#include "app/ModalWait.h"

#include "io/picture/PictureReader.h"

#include <QApplication>
#include <QMetaObject>

#include <memory>
#include <mutex>
#include <thread>

namespace {

// What the read's thread shares with the window's wait, which may end first (Esc): the thread
// then finds no wait to end.
struct WaitEnd {
    std::mutex mutex;
    ModalWait* wait = nullptr;
};

} // namespace

void PictureReadWait::install()
{
    PictureReader::setWait(&PictureReadWait::wait);
}

void PictureReadWait::wait(const std::function<void()>& work, const std::function<void()>& cancel)
{
    // Widgets wait only where there is a widget application; elsewhere the read blocks.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        work();
        return;
    }
    ModalWait wait;
    auto end = std::make_shared<WaitEnd>();
    end->wait = &wait;
    // Never joined: a read the user gave up on goes on alone until it returns.
    std::thread([end, work] {
        work();
        std::lock_guard lock(end->mutex);
        if (end->wait)
            QMetaObject::invokeMethod(end->wait, &ModalWait::end, Qt::QueuedConnection);
    }).detach();
    const ModalWait::Outcome outcome = wait.exec();
    {
        // An end posted before this is dropped with the wait.
        std::lock_guard lock(end->mutex);
        end->wait = nullptr;
    }
    if (outcome == ModalWait::Outcome::Escaped)
        cancel();
}
