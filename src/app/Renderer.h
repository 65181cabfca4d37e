#pragma once

#include "app/RenderStatus.h"

#include <QImage>
#include <QMutex>
#include <QThread>

#include <atomic>

namespace KelVyxNodes {
class VyxNodeGraph;
}

// The render thread: filters a graph onto the source image and writes the result image.
//
// render() cancels and waits for a running render, then sets the graph up and sorts its node
// lists on the calling (GUI) thread, so that the render thread never creates nodes or publishes
// node events, and starts the thread; until the run ends the graph is marked as read by it
// (NodeGraph::beginRenderRead), so that a change the window makes meanwhile is caught. Every
// hand-over gets a new generation number; the end of a render is announced by renderFinished(),
// on the renderer's own thread (queued), and only for the latest generation: a render replaced
// by another, or outdated with advanceGeneration(), announces nothing. QThread::finished() still
// fires once per run; do not listen to it.
class Renderer : public QThread
{
    Q_OBJECT

public:
    explicit Renderer(QObject* parent = nullptr);
    // Cancels and waits for a running render.
    ~Renderer() override;

    // GUI thread. Hands a render over and returns its generation. A null graph copies the source
    // into the result. A graph that refuses the source (neither RGB32 nor ARGB32), or a null
    // source or result, starts no thread but still gives exactly one queued renderFinished() with
    // success false. Source and result must stay alive until the render has ended; the result is
    // written only by a render that succeeds.
    quint64 render(QImage* source, QImage* result, KelVyxNodes::VyxNodeGraph* graph);

    // GUI thread. Requests cancellation and waits until the thread has stopped. Returns true when
    // it stopped a running render (which then leaves the success flag false), false when idle.
    bool cancel();

    // Any thread, never blocks: whether the last render completed successfully. False from the
    // hand-over until the render has succeeded.
    bool completedSucceeded() const;
    // GUI thread, once the render has ended: why the last render failed, in words for the user;
    // empty after a success or a cancel.
    QString failureReason() const;
    // For a result made without the thread (effects off: the caller copies the source itself).
    void setCompletedSucceeded(bool success);

    // The generation of the latest hand-over (0 before the first).
    quint64 generation() const;
    // Outdates every render handed over so far: their end is no longer announced. Returns the new
    // generation.
    quint64 advanceGeneration();
    // Any thread: whether the render handed over as this generation has ended (completed, failed,
    // cancelled or replaced), announced or not.
    bool hasEnded(quint64 generation) const;

    // The progress and cancellation object of the renders (tests replace its clock).
    RenderStatus& status() { return m_status; }

signals:
    // Progress of the running render, 0..100 (queued to the renderer's thread).
    void progress(int percentCompleted);
    // The latest render has ended: completed, failed or cancelled (see completedSucceeded()).
    void renderFinished();

    // Internal: a render of the given generation ended (emitted on the render thread).
    void renderEnded(quint64 generation, QPrivateSignal);

protected:
    void run() override;

private:
    void onRenderEnded(quint64 generation);

    QMutex m_mutex; // guards the inputs; held by the render thread for a whole run
    KelVyxNodes::VyxNodeGraph* m_graph = nullptr;
    QImage* m_source = nullptr;
    QImage* m_result = nullptr;
    quint64 m_runGeneration = 0;
    std::atomic<bool> m_success{false};
    std::atomic<quint64> m_generation{0};
    std::atomic<quint64> m_endedGeneration{0};
    RenderStatus m_status;
};
