#include "mainwindow/VyxApplication.h"

#include "mainwindow/TwMainWindow.h"

#include <QFileOpenEvent>

VyxApplication::VyxApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool VyxApplication::event(QEvent* event)
{
    if (event->type() != QEvent::FileOpen)
        return QApplication::event(event);
    const QString path = static_cast<QFileOpenEvent*>(event)->file();
    if (m_mainWindow)
        m_mainWindow->openAndSetupProject(path);
    else
        m_pendingProjectPath = path;
    return true;
}
