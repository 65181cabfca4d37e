#pragma once

// Helpers of the tone node tests: images from a function and an observer that cancels after a
// given number of questions.

#include "params/StatusObserver.h"

#include <QImage>

#include <functional>

namespace ToneTest {

// A w x h ARGB32 image whose pixel (x, y) is 0xFF000000 | rgb(x, y).
inline QImage imageOf(int w, int h, std::function<unsigned int(int, int)> const& rgb)
{
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, 0xFF000000u | (rgb(x, y) & 0xFFFFFFu));
    return image;
}

// Answers "no" to the first `allowed` cancellation questions and "yes" to every later one.
class CancelAfter : public KelUtils::StatusObserver
{
public:
    explicit CancelAfter(int allowed) : m_allowed(allowed) {}
    void started() override {}
    void statusChanged(QString const&) override {}
    void operationStarted(double) override {}
    void completePercentChanged(double, double) override {}
    void completed() override {}
    bool cancelationRequested() override { return ++questions > m_allowed; }

    int questions = 0;

private:
    int m_allowed;
};

} // namespace ToneTest
