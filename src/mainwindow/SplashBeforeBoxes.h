#pragma once

#include <QObject>

#include <functional>

class QWidget;

// The splash screen stays on top of every window: a box opened while it stands would wait under
// it for an answer no one can give. While installed, the first box to show (a dialog or any
// modal window, not the Welcome screen, which start-up shows under the splash by design) runs
// `finish` first, which takes the splash away.
class SplashBeforeBoxes : public QObject
{
    Q_OBJECT

public:
    // Watches every window's showing until the first box or until `splash` is gone.
    SplashBeforeBoxes(QWidget* splash, std::function<void()> finish, QObject* parent);
    ~SplashBeforeBoxes() override;

    static bool isBox(QWidget const* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void stopWatching();

    std::function<void()> m_finish;
};
