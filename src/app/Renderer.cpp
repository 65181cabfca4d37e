#include "app/Renderer.h"

#include "effects/RenderStack.h"
#include "effects/VyxNodeGraph.h"

#include <QMutexLocker>

Renderer::Renderer(QObject* parent)
    : QThread(parent)
{
    // The stack a render is measured for, whatever the process's default.
    setStackSize(uint(KelVyxNodes::RenderStack::kThreadBytes));
    connect(&m_status, &RenderStatus::percentCompleted, this, &Renderer::progress);
    // Queued even when emitted on this thread: a refused hand-over reports after render() returns,
    // as a render that ran would.
    connect(this, &Renderer::renderEnded, this, &Renderer::onRenderEnded, Qt::QueuedConnection);
}

Renderer::~Renderer()
{
    cancel();
    wait();
}

quint64 Renderer::render(QImage* source, QImage* result, KelVyxNodes::VyxNodeGraph* graph)
{
    cancel();

    const quint64 generation = m_generation.fetch_add(1) + 1;
    m_success.store(false);
    m_status.clearCancel();
    m_status.clearFailure();

    // Set-up and sorting change node lists and may create nodes, whose events subscribers on this
    // thread receive; the render thread only filters.
    bool accepted = source && result;
    if (!accepted)
        m_status.failed(tr("there is no picture to render"));
    if (accepted && graph) {
        accepted = graph->setUp(source, nullptr, nullptr, false) == 0;
        if (accepted)
            graph->sortForRender();
        else
            m_status.failed(tr("the effects cannot read the picture's pixel format"));
    }
    if (!accepted) {
        m_endedGeneration.store(generation);
        emit renderEnded(generation, QPrivateSignal());
        return generation;
    }

    {
        QMutexLocker lock(&m_mutex);
        m_graph = graph;
        m_source = source;
        m_result = result;
        m_runGeneration = generation;
    }
    // From here until the run ends the window must not change the graph (NodeGraph checks it).
    if (graph)
        graph->beginRenderRead(this);
    start(QThread::InheritPriority);
    return generation;
}

bool Renderer::cancel()
{
    const bool running = isRunning();
    if (running) {
        m_status.cancel();
        wait();
    }
    // Takes over what the last run did before its end (QThread::wait does too, unseen by a race
    // checker: Qt's own locks are not instrumented).
    m_endedGeneration.load(std::memory_order_acquire);
    return running;
}

bool Renderer::completedSucceeded() const
{
    return m_success.load();
}

QString Renderer::failureReason() const
{
    return m_status.failureReason();
}

void Renderer::setCompletedSucceeded(bool success)
{
    if (success)
        m_status.clearFailure();
    m_success.store(success);
}

quint64 Renderer::generation() const
{
    return m_generation.load();
}

quint64 Renderer::advanceGeneration()
{
    return m_generation.fetch_add(1) + 1;
}

bool Renderer::hasEnded(quint64 generation) const
{
    return m_endedGeneration.load() >= generation;
}

void Renderer::run()
{
    QMutexLocker lock(&m_mutex);
    const quint64 generation = m_runGeneration;
    bool success = false;
    if (!m_graph) {
        *m_result = *m_source;
        success = true;
    } else {
        // Only this render makes the previews the node editor shows (not an icon render of the
        // same graph).
        m_graph->setMakesPreviews(true);
        if (m_graph->filter(&m_status) >= 0) {
            *m_result = m_graph->resultImage();
            success = true;
        }
        m_graph->setMakesPreviews(false);
        m_graph->endRenderRead();
    }
    // A node that gave up without saying why still leaves a reason for the user.
    if (!success && !m_status.cancelationRequested())
        m_status.failed(tr("an effect could not filter the picture"));
    // The result is written before the flag, so whoever sees success sees the picture.
    m_success.store(success);
    m_endedGeneration.store(generation);
    lock.unlock();
    emit renderEnded(generation, QPrivateSignal());
}

void Renderer::onRenderEnded(quint64 generation)
{
    // As in cancel(): the queued call hands the run's writes over, here seen by a race checker.
    m_endedGeneration.load(std::memory_order_acquire);
    if (generation == m_generation.load())
        emit renderFinished();
}
