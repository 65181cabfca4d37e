#pragma once

#include <QEvent>
#include <QList>
#include <QObject>
#include <QPointer>

class QMouseEvent;
class QPoint;
class QSplitter;
class QSplitterHandle;

// Keeps two or more splitters in step: a handle moved in one gives every one of them its
// section sizes. Synchronised splitters that are neighbours in one parent splitter and share
// an orientation also get a crossing drag: at the point where their handle crosses the
// parent's handle, one drag moves both. Has no parent: it deletes itself with the last splitter.
class KelSplitterSynchronizer : public QObject
{
    Q_OBJECT

public:
    KelSplitterSynchronizer(QSplitter* first, QSplitter* second);
    explicit KelSplitterSynchronizer(const QList<QSplitter*>& splitters);

    // Index of the first splitter's section whose following handle lies under `pos` (measured
    // from the first splitter's start along its orientation), or -1.
    int handleAtPos(int pos) const;

    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void splitterDeleted();
    void splitterMoved();
    void delayedInit();

private:
    void setUp();
    bool isSynchronized(const QObject* object) const;
    bool isCrossing(QSplitterHandle* handle, const QPoint& pos) const;
    int alongFirst(const QPoint& pos) const;
    void forward(QEvent::Type type, const QMouseEvent* event);

    QList<QSplitter*> m_splitters;
    // Guarded: the handle may be destroyed in the middle of a drag.
    QPointer<QSplitterHandle> m_pressedHandle;
};
