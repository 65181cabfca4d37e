#include "mainwindow/SplashBeforeBoxes.h"

#include "dialogs/WelcomeScreen.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <utility>

SplashBeforeBoxes::SplashBeforeBoxes(QWidget* splash, std::function<void()> finish, QObject* parent)
    : QObject(parent), m_finish(std::move(finish))
{
    if (!splash)
        return;
    QCoreApplication::instance()->installEventFilter(this);
    connect(splash, &QObject::destroyed, this, &SplashBeforeBoxes::stopWatching);
}

SplashBeforeBoxes::~SplashBeforeBoxes()
{
    stopWatching();
}

bool SplashBeforeBoxes::isBox(QWidget const* window)
{
    if (!window || !window->isWindow() || qobject_cast<WelcomeScreen const*>(window))
        return false;
    return window->windowType() == Qt::Dialog || window->windowType() == Qt::Sheet || window->isModal();
}

bool SplashBeforeBoxes::eventFilter(QObject* watched, QEvent* event)
{
    // A widget's show event comes before its window is on the screen.
    if (event->type() == QEvent::Show && watched->isWidgetType() && isBox(static_cast<QWidget*>(watched))) {
        std::function<void()> finish = std::exchange(m_finish, {});
        stopWatching();
        if (finish)
            finish();
    }
    return false;
}

void SplashBeforeBoxes::stopWatching()
{
    if (QCoreApplication* application = QCoreApplication::instance())
        application->removeEventFilter(this);
    m_finish = {};
}
