#include "app/PictureReadWait.h"

#include "app/ModalWait.h"

#include "io/picture/PictureReader.h"

#include <QApplication>
#include <QMetaObject>

#include <thread>

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
    std::thread reader([&work, &wait] {
        work();
        QMetaObject::invokeMethod(&wait, &ModalWait::end, Qt::QueuedConnection);
    });
    if (wait.exec() == ModalWait::Outcome::Escaped)
        cancel();
    reader.join();
}
