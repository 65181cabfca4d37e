#pragma once

#include <QThread>

#include <atomic>

class KelTimeline;

// Playback thread of the timeline: one frame every 25 ms, handed to the panel's thread through
// the panel's queued setCurrentFrameSignal. Everything it reads is copied at the start, so the
// panel's widgets are never touched from this thread.
class KelTimelinePlayer : public QThread
{
    Q_OBJECT

public:
    enum class Mode { None, Loop, PingPong, Once };

    struct Settings
    {
        int first = 0;
        int end = 0;
        int duration = 0;
        Mode mode = Mode::Loop;
        bool forwards = true;
    };

    explicit KelTimelinePlayer(KelTimeline* timeline);
    ~KelTimelinePlayer() override;

    // Copies the settings and starts the thread; nothing while it runs.
    void play(Settings const& settings);
    // Asks the thread to end after its current tick (thread-safe); wait() to join it.
    void stop();
    bool isPlaying() const { return m_running.load() != 0; }

    // One step (exposed for tests that drive the sequence without the thread): false when
    // the run ends, also on a once-mode end without a new frame. `first` restarts at the first
    // frame.
    bool playNextFrame(bool first);
    int frame() const { return m_frame; }
    Settings const& settings() const { return m_settings; }

protected:
    void run() override;

private:
    KelTimeline* m_timeline;
    std::atomic<int> m_running{0};
    // Owned by the playing thread during a run.
    Settings m_settings;
    int m_frame = 0;
    int m_ticks = 0;
};
