#pragma once

#include <QEventLoop>
#include <QObject>
#include <QPointer>

class QWidget;

// A wait on the GUI thread for one thing that ends by itself (a render, a keyring's answer),
// which the user may end early with Esc.
//
// Meanwhile the event loop goes on: windows repaint, timers fire, replies arrive. But no user
// input reaches the windows that were open when the wait began (keys, clicks, wheel, drops,
// shortcuts, the window manager's close), so no other command runs inside the wait; that input
// is dropped, not replayed afterwards. A dialog that opens during the wait (a reply's message
// box) takes its own input as usual. The wait shows a busy cursor.
class ModalWait : public QObject
{
    Q_OBJECT

public:
    enum class Outcome { Ended, Escaped };

    explicit ModalWait(QObject* parent = nullptr);
    ~ModalWait() override;

    // Ends the wait; before exec() it makes exec() return at once.
    void end();
    bool hasEnded() const { return m_ended; }
    // Waits until end() or Esc.
    Outcome exec();
    // Whether a wait runs, anywhere in the program.
    static bool isWaiting();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QEventLoop m_loop;
    bool m_ended = false;
    bool m_escaped = false;
    bool m_running = false;
    QPointer<QWidget> m_modalAtStart;
};
