#include "nodeui/KelTimelinePlayer.h"

#include "nodeui/KelTimeline.h"

KelTimelinePlayer::KelTimelinePlayer(KelTimeline* timeline)
    : m_timeline(timeline)
{
}

KelTimelinePlayer::~KelTimelinePlayer()
{
    stop();
    wait();
}

void KelTimelinePlayer::play(Settings const& settings)
{
    if (isRunning())
        return;
    m_settings = settings;
    // Raised before the thread exists, so that a stop right after the start is not lost.
    m_running.store(1);
    start(QThread::InheritPriority);
}

void KelTimelinePlayer::stop()
{
    m_running.store(0);
}

void KelTimelinePlayer::run()
{
    bool first = true;
    for (;;) {
        const bool more = playNextFrame(first);
        first = false;
        if (!more)
            m_running.store(0);
        if (m_running.load() == 0)
            break;
        msleep(25);
        if (m_running.load() == 0)
            break;
    }
}

bool KelTimelinePlayer::playNextFrame(bool first)
{
    Settings& s = m_settings;
    if (first) {
        m_ticks = 0;
        m_frame = s.first;
    } else {
        const bool forwards = s.forwards;
        if (forwards ? m_frame < s.end : m_frame > s.first) {
            m_frame += forwards ? 1 : -1;
        } else {
            switch (s.mode) {
            case Mode::Loop:
                m_frame = forwards ? s.first : s.end;
                break;
            case Mode::PingPong:
                s.forwards = !forwards;
                break;
            case Mode::Once:
                return false;
            case Mode::None:
                break;
            }
        }
    }
    ++m_ticks;
    if (m_timeline)
        emit m_timeline->setCurrentFrameSignal(m_frame);
    return s.duration >= m_ticks;
}
