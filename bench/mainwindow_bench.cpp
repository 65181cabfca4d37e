// A parameter change in the real main window, timed to the painted picture: the application as
// start-up builds it, on the offscreen platform, with a project of three objects (blur radius 3;
// inversion at opacity 50, Difference; brightness/contrast) on a generated 4000 x 2650 source.
// The brightness is changed as a slider drag changes it, over and over; the table gives the
// medians. A benchmark, not a test. See bench/README.md.
//
//   build-release/bin/mainwindow_bench [updates] [view width] [view height]

#include "BenchGraphs.h"
#include "BenchWindow.h"

#include "app/Renderer.h"
#include "app/TwCore.h"
#include "browser/ImageView.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "nodes/Node.h"
#include "nodes/NodeParameterContainer.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

using KelVyxNodes::VyxNodeGraph;

namespace {

// Stamps of one update, in milliseconds from the parameter change.
struct Update
{
    double threadStart = 0.0;
    double threadEnd = 0.0;
    double handedOver = 0.0;
    double paintStart = 0.0;
    double painted = 0.0;
};

// Watches the render thread, the core's finished() and the view's paints of one update.
class UpdateClock : public QObject
{
public:
    UpdateClock(TwCore* core, ImageView* view)
        : m_core(core), m_view(view)
    {
        m_clock.start();
        Renderer* renderer = core->renderer();
        connect(renderer, &QThread::started, this, [this] { m_threadStart = m_clock.nsecsElapsed(); },
                Qt::DirectConnection);
        connect(renderer, &Renderer::renderEnded, this, [this] { m_threadEnd = m_clock.nsecsElapsed(); },
                Qt::DirectConnection);
        // After the window's own slot: the view holds the result by now.
        connect(core, &TwCore::finished, this, [this] {
            if (m_waiting && m_handedOver == 0)
                m_handedOver = m_clock.nsecsElapsed();
        });
        view->installEventFilter(this);
    }

    // Runs `change`, then the event loop until the view has painted the new result.
    bool measure(std::function<void()> const& change, Update* update)
    {
        m_handedOver = 0;
        m_painted = 0;
        m_paintStart = 0;
        m_threadStart = 0;
        m_threadEnd = 0;
        m_waiting = true;
        const qint64 start = m_clock.nsecsElapsed();
        change();
        QElapsedTimer limit;
        limit.start();
        QTimer wake; // so that the limit is seen while nothing else happens
        wake.start(1000);
        while (m_painted == 0 && limit.elapsed() < 120000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        m_waiting = false;
        if (m_painted == 0 || !m_core->renderer()->completedSucceeded())
            return false;
        // The render thread may be stamped after the GUI thread has handled its end.
        m_threadEnd = std::min<qint64>(m_threadEnd, m_handedOver);
        auto ms = [start](qint64 at) { return double(at - start) / 1e6; };
        *update = {ms(m_threadStart), ms(m_threadEnd), ms(m_handedOver), ms(m_paintStart), ms(m_painted)};
        return true;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_view && event->type() == QEvent::Paint && m_waiting && m_handedOver != 0
            && m_paintPosted == false && m_view->image().cacheKey() == m_core->resultImage()->cacheKey()) {
            // Stamped once the paint, and the flush of the window it belongs to, have ended.
            m_paintPosted = true;
            m_paintStart = m_clock.nsecsElapsed();
            QTimer::singleShot(0, this, [this] {
                m_painted = m_clock.nsecsElapsed();
                m_paintPosted = false;
            });
        }
        return false;
    }

private:
    TwCore* m_core;
    ImageView* m_view;
    QElapsedTimer m_clock;
    std::atomic<qint64> m_threadStart{0};
    std::atomic<qint64> m_threadEnd{0};
    qint64 m_handedOver = 0;
    qint64 m_paintStart = 0;
    qint64 m_painted = 0;
    bool m_waiting = false;
    bool m_paintPosted = false;
};

// A top-level object of one node, linked as a template's effect is.
KelNodes::Node* addObject(TwCore* core, QString const& name, QString const& type, QString const& in,
                          QString const& out)
{
    core->cancelRender();
    VyxNodeGraph* graph = core->rootGraph()->addSubGraph(-1);
    graph->setName(name);
    graph->setUp(core->sourceImage(), nullptr, nullptr, false);
    KelNodes::Node* node = graph->addNode(type, -1);
    if (!node || graph->sourceNode()->connect(QStringLiteral("rgb"), node, in) != 0
        || node->connect(out, graph->destinationNode(), QStringLiteral("rgb")) != 0)
        return nullptr;
    core->addObjectFromNodeGraph(graph);
    return node;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(file.readLine()).section(QLatin1Char(' '), 0, 2);
}

int fail(char const* what)
{
    std::fprintf(stderr, "mainwindow_bench: %s\n", what);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    const int updates = std::max(9, argc > 1 ? std::atoi(argv[1]) : 11);
    const int viewWidth = argc > 2 ? std::atoi(argv[2]) : 1200;
    const int viewHeight = argc > 3 ? std::atoi(argv[3]) : 800;

    QTemporaryDir work;
    BenchWindow bench(argv[0]);
    TwMainWindow* window = bench.window();
    if (!window)
        return fail(qPrintable(bench.errorText()));
    TwCore* core = window->core();
    ImageView* view = window->imageView();
    // The view gets the size asked for, the window grows around it (it starts maximised on the
    // offscreen platform's small screen).
    window->showNormal();
    for (int pass = 0; pass < 3 && view->size() != QSize(viewWidth, viewHeight); ++pass) {
        window->resize(window->size() + QSize(viewWidth, viewHeight) - view->size());
        QCoreApplication::processEvents();
    }
    UpdateClock clock(core, view);
    Update update;

    const QString photo = work.filePath(QStringLiteral("photo.png"));
    QImageWriter writer(photo);
    writer.setQuality(100); // no compression: quick to write and read
    if (!writer.write(VyxBench::makePicture(4000, 2650)))
        return fail("the source picture could not be written");
    if (!clock.measure([&] { window->imageChangedInBrowser(photo); }, &update))
        return fail("the source picture was not shown");

    KelNodes::Node* blur = nullptr;
    KelNodes::Node* brightness = nullptr;
    const bool built = clock.measure([&] {
        blur = addObject(core, QStringLiteral("Blur"), QStringLiteral("operator.blur"), QStringLiteral("in"),
                         QStringLiteral("out"));
        KelNodes::Node* inversion = addObject(core, QStringLiteral("Inversion"), QStringLiteral("operator.inversion"),
                                              QStringLiteral("inRgb"), QStringLiteral("outRgb"));
        brightness = addObject(core, QStringLiteral("Brightness/contrast"),
                               QStringLiteral("operator.brightness/contrast"), QStringLiteral("in"),
                               QStringLiteral("rgb"));
        if (!blur || !inversion || !brightness)
            return;
        core->cancelRender();
        blur->paramContainer()->setIntParam(QStringLiteral("radius"), 3);
        auto* inversionObject = inversion->parentGraph();
        inversionObject->paramContainer()->setIntParam(QStringLiteral("opacity"), 50);
        inversionObject->paramContainer()->setListParam(QStringLiteral("blendMode"), 14); // Difference
        brightness->paramContainer()->setIntParam(QStringLiteral("Contrast Factor"), 10);
        core->start();
    }, &update);
    if (!built || !blur || !brightness)
        return fail("the project could not be built");

    std::printf("Main window offscreen, image view %d x %d, source 4000 x 2650, %d updates after 2 "
                "warm-up updates; load average at the start %s\n",
                view->width(), view->height(), updates, qPrintable(loadAverage()));
    std::vector<double> threadTimes, beforeThread, toHandOver, toPaintStart, paints, totals;
    for (int i = 0; i < updates + 2; ++i) {
        // As a slider drag: the panel's edit cancels the render, sets the value and starts anew.
        const bool ok = clock.measure([&] {
            core->cancelRender();
            brightness->paramContainer()->setIntParam(QStringLiteral("Brightness Factor"), 20 + i % 2);
            core->setModified(true);
            core->start();
        }, &update);
        if (!ok)
            return fail("an update was not painted");
        if (i < 2)
            continue;
        beforeThread.push_back(update.threadStart);
        threadTimes.push_back(update.threadEnd - update.threadStart);
        toHandOver.push_back(update.handedOver - update.threadEnd);
        toPaintStart.push_back(update.paintStart - update.handedOver);
        paints.push_back(update.painted - update.paintStart);
        totals.push_back(update.painted);
    }
    std::printf("| Step | Median | Fastest | Slowest |\n|---|---:|---:|---:|\n");
    auto row = [](char const* name, std::vector<double> const& values) {
        std::printf("| %s | %.1f ms | %.1f ms | %.1f ms |\n", name, median(values),
                    *std::min_element(values.begin(), values.end()),
                    *std::max_element(values.begin(), values.end()));
    };
    row("change to render thread start", beforeThread);
    row("render thread", threadTimes);
    row("render end to result in the view", toHandOver);
    row("result in the view to its paint", toPaintStart);
    row("paint (and the window's flush)", paints);
    row("change to painted", totals);
    std::printf("Painted / render thread (medians): %.2f; load average at the end %s\n",
                median(totals) / median(threadTimes), qPrintable(loadAverage()));

    return 0;
}
