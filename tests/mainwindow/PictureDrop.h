#pragma once

// A file dragged from another program onto a view, as the platform sends it.

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QString>
#include <QUrl>
#include <QWidget>

namespace MainWindowTest {

// Enter and drop as the platform sends them; true when the drop was taken.
inline bool dropOnView(QWidget* view, QString const& path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &enter);
    QDropEvent dropped(QPointF(12, 12), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &dropped);
    return enter.isAccepted() && dropped.isAccepted();
}

} // namespace MainWindowTest
