#include "style/KelSplitterSynchronizer.h"

#include "style/KelStyleConfig.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPixmap>
#include <QSplitter>
#include <QSplitterHandle>

KelSplitterSynchronizer::KelSplitterSynchronizer(QSplitter* first, QSplitter* second)
    : KelSplitterSynchronizer(QList<QSplitter*>{first, second})
{
}

KelSplitterSynchronizer::KelSplitterSynchronizer(const QList<QSplitter*>& splitters)
{
    for (QSplitter* splitter : splitters) {
        if (splitter && !m_splitters.contains(splitter))
            m_splitters.append(splitter);
    }
    setUp();
}

void KelSplitterSynchronizer::setUp()
{
    for (QSplitter* splitter : std::as_const(m_splitters))
        connect(splitter, &QObject::destroyed, this, &KelSplitterSynchronizer::splitterDeleted);
    // The rest waits until the splitters have their parents and children.
    QMetaObject::invokeMethod(this, &KelSplitterSynchronizer::delayedInit, Qt::QueuedConnection);
}

void KelSplitterSynchronizer::delayedInit()
{
    if (m_splitters.isEmpty())
        return;
    QSplitter* const first = m_splitters.first();
    auto* const parentSplitter = qobject_cast<QSplitter*>(first->parentWidget());
    const Qt::Orientation orientation = first->orientation();
    bool neighbours = parentSplitter != nullptr;
    for (QSplitter* splitter : std::as_const(m_splitters)) {
        connect(splitter, &QSplitter::splitterMoved, this, &KelSplitterSynchronizer::splitterMoved,
                Qt::UniqueConnection);
        if (splitter != first)
            splitter->setSizes(first->sizes());
        if (splitter->parentWidget() != parentSplitter || splitter->orientation() != orientation)
            neighbours = false;
    }
    if (!neighbours)
        return;
    parentSplitter->repaint();
    for (int i = 0; i < parentSplitter->count(); ++i) {
        QSplitterHandle* const handle = parentSplitter->handle(i);
        handle->setAttribute(Qt::WA_MouseTracking);
        handle->installEventFilter(this);
    }
}

void KelSplitterSynchronizer::splitterMoved()
{
    auto* const source = qobject_cast<QSplitter*>(sender());
    if (!source)
        return;
    const QList<int> sizes = source->sizes();
    for (QSplitter* splitter : std::as_const(m_splitters))
        splitter->setSizes(sizes);
}

void KelSplitterSynchronizer::splitterDeleted()
{
    // The sender is half destroyed: compare addresses only, never cast it.
    const QObject* const gone = sender();
    m_splitters.removeIf([gone](QSplitter* splitter) {
        return static_cast<QObject*>(splitter) == gone;
    });
    if (m_splitters.isEmpty())
        deleteLater();
}

int KelSplitterSynchronizer::handleAtPos(int pos) const
{
    if (m_splitters.isEmpty() || pos < 0)
        return -1;
    const QSplitter* const first = m_splitters.first();
    if (!qobject_cast<const QSplitter*>(first->parentWidget()))
        return -1;
    const QList<int> sizes = first->sizes();
    const int handleWidth = first->handleWidth();
    for (int i = 0; i < sizes.size(); ++i) {
        pos -= sizes.at(i);
        if (pos < 0)
            return -1;
        if (pos < handleWidth)
            return i;
        pos -= handleWidth;
    }
    return -1;
}

bool KelSplitterSynchronizer::isSynchronized(const QObject* object) const
{
    for (const QSplitter* splitter : m_splitters) {
        if (splitter == object)
            return true;
    }
    return false;
}

int KelSplitterSynchronizer::alongFirst(const QPoint& pos) const
{
    return m_splitters.first()->orientation() == Qt::Horizontal ? pos.x() : pos.y();
}

bool KelSplitterSynchronizer::isCrossing(QSplitterHandle* handle, const QPoint& pos) const
{
    const QSplitter* const splitter = handle->splitter();
    if (!splitter)
        return false;
    const int index = splitter->indexOf(handle);
    if (index <= 0)
        return false;
    return isSynchronized(splitter->widget(index)) && isSynchronized(splitter->widget(index - 1))
           && handleAtPos(alongFirst(pos)) != -1;
}

void KelSplitterSynchronizer::forward(QEvent::Type type, const QMouseEvent* event)
{
    QSplitterHandle* const target = m_pressedHandle;
    const QPointF global = event->globalPosition();
    QMouseEvent copy(type, target->mapFromGlobal(global), global, event->button(),
                     event->buttons(), event->modifiers());
    QCoreApplication::sendEvent(target, &copy);
}

bool KelSplitterSynchronizer::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease
        && type != QEvent::MouseMove && type != QEvent::MouseButtonDblClick)
        return QObject::eventFilter(watched, event);
    auto* const handle = qobject_cast<QSplitterHandle*>(watched);
    if (!handle || m_splitters.isEmpty())
        return QObject::eventFilter(watched, event);

    const auto* const mouse = static_cast<QMouseEvent*>(event);
    const QPoint pos = mouse->position().toPoint();
    const bool crossing = isCrossing(handle, pos);
    const bool leftPress = type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton;
    const bool leftRelease =
        type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton;

    if (leftPress && crossing) {
        // Past the last section the first splitter has no handle: nothing is pressed there.
        QSplitter* const first = m_splitters.first();
        const int index = handleAtPos(alongFirst(pos)) + 1;
        if (index < first->count()) {
            m_pressedHandle = first->handle(index);
            forward(QEvent::MouseButtonPress, mouse);
        }
    } else if (leftRelease && m_pressedHandle) {
        forward(QEvent::MouseButtonRelease, mouse);
        m_pressedHandle = nullptr;
    } else if (type == QEvent::MouseMove && m_pressedHandle) {
        forward(QEvent::MouseMove, mouse);
    }

    if (!m_pressedHandle && (type == QEvent::MouseMove || leftRelease)) {
        if (crossing) {
            const QPixmap pixmap =
                KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("cursorSizeAll"));
            // A cursor from a null pixmap would be invisible.
            if (pixmap.isNull())
                handle->setCursor(Qt::SizeAllCursor);
            else
                handle->setCursor(QCursor(pixmap, pixmap.width() / 2, pixmap.height() / 2));
        } else {
            handle->setCursor(m_splitters.first()->orientation() == Qt::Horizontal
                                  ? Qt::SplitVCursor
                                  : Qt::SplitHCursor);
        }
    }
    return QObject::eventFilter(watched, event);
}
