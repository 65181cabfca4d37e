#include "mainwindow/VyxApplication.h"

#include "mainwindow/TwMainWindow.h"

#include <QFileOpenEvent>
#include <QWidget>

#include <atomic>

namespace {

std::atomic<quint64> searchedLayoutRequests{0};

} // namespace

VyxApplication::VyxApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool VyxApplication::compressEvent(QEvent* event, QObject* receiver, QPostEventList* posted)
{
    // Qt looks for an earlier layout request of the receiver through every event posted since
    // the loop last ran. A widget made in this turn (not yet polished) has the polish request
    // pending, so each of its layout requests was looked for in vain through all the others:
    // thousands of panels built in one go (a node panel per node of a large graph) cost the
    // square of their number. Such a widget is hidden; a second request, should one come,
    // finds its layout done.
    if (event->type() == QEvent::LayoutRequest) {
        if (receiver->isWidgetType() && !static_cast<QWidget*>(receiver)->testAttribute(Qt::WA_WState_Polished))
            return false;
        searchedLayoutRequests.fetch_add(1, std::memory_order_relaxed);
    }
    return QApplication::compressEvent(event, receiver, posted);
}

quint64 VyxApplication::searchedLayoutRequestCount()
{
    return searchedLayoutRequests.load(std::memory_order_relaxed);
}

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
