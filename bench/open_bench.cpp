// Opening projects of many stacked objects in the real main window (offscreen): 25, 100 and
// 400 objects of 12 nodes each (source, ten inversions, result), and 250, 1 000 and 4 000
// objects as the program writes them (openAsWritten, the same objects) and empty (source and
// result only: openEmptyEffects), written by the benchmark itself. Each iteration opens the
// file into an empty window (openStacked) or over the same project (reopenStacked, the clearing
// of the old one timed too); openCyclic opens a project whose last object also feeds the first,
// a stored link that closes a cycle through every object (refused and reported, the report
// closed as soon as it shows); openUnmadeLinks opens one object with 10 000 or 100 000 stored links
// that cannot be made, each named in a report closed as it shows. openChainInImageView and openChainInNodeGraphView open one effect
// whose graph is a chain of 1 000 or 10 000 nodes. The render the open starts is not waited for.
// A benchmark, not a test. See bench/README.md.
//
//   build-release/bin/open_bench [Google Benchmark options]

#include "BenchWindow.h"

#include "app/HostileFiles.h"

#include "app/TwCore.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

TwMainWindow* g_window = nullptr;
QTemporaryDir* g_work = nullptr;

// The project written into the work folder under `name`; empty (and the run skipped) when it
// could not be written.
QString writeProject(benchmark::State& state, QString const& name, QByteArray const& project)
{
    const QString path = g_work->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(project) < 0) {
        state.SkipWithError("the project could not be written");
        return {};
    }
    return path;
}

// Opens the project of `state.range(0)` objects of `nodesPerObject` nodes (2: empty effects),
// into an empty window (`overOldProject` false, the old one cleared untimed) or over the same
// project opened before (its clearing timed); with `closeCycle` the last object feeds the first.
void open(benchmark::State& state, bool overOldProject, int nodesPerObject = 12, bool closeCycle = false,
          int unmadeLinks = 0)
{
    const int objects = unmadeLinks > 0 ? 1 : int(state.range(0));
    QByteArray project = HostileFiles::stackedProject(objects, nodesPerObject, closeCycle);
    if (unmadeLinks > 0) {
        // Links between the first object's two inversions that cannot be made: a channel output
        // into a colour-only input, and a terminal neither node has.
        QByteArray unmade;
        for (int i = 0; i < unmadeLinks; ++i)
            unmade += i % 2 ? "<connection node_uid1=\"6\" terminal1=\"out\" terminal2=\"inRgb\" node_uid2=\"7\"/>\n"
                            : "<connection node_uid1=\"6\" terminal1=\"missing\" terminal2=\"in\" node_uid2=\"7\"/>\n";
        project.replace("</connections>", unmade + "</connections>");
    }
    const QString path = writeProject(
        state, QStringLiteral("stacked-%1-%2-%3-%4.vyxsg").arg(objects).arg(nodesPerObject).arg(closeCycle).arg(unmadeLinks),
        project);
    if (path.isEmpty())
        return;
    // The report of a project not read whole would wait for an answer.
    QTimer closer;
    closer.setInterval(0);
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    if (closeCycle || unmadeLinks > 0)
        closer.start();
    for (auto _ : state) {
        QString openPath = path;
        g_window->openNodeGraph(g_window->core()->rootGraph(), openPath);
        state.PauseTiming();
        if (g_window->core()->objectList().size() != objects)
            state.SkipWithError("the project did not open whole");
        g_window->core()->cancelRender();
        g_window->core()->setModified(false);
        if (!overOldProject) {
            g_window->clear();
            g_window->core()->setModified(false);
        }
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["objects"] = objects;
    state.counters["nodes"] = objects * nodesPerObject;
}

void openStacked(benchmark::State& state)
{
    open(state, false);
}

void reopenStacked(benchmark::State& state)
{
    open(state, true);
}

void openCyclic(benchmark::State& state)
{
    open(state, false, 12, true);
}

// One object of two inversions and `state.range(0)` links that cannot be made: each is named in
// the report, which is closed as soon as it shows.
void openUnmadeLinks(benchmark::State& state)
{
    const int links = int(state.range(0));
    open(state, false, 4, false, links);
    state.counters["links"] = links;
}

// Empty effects (source and result only), and objects as the program writes them.
void openEmptyEffects(benchmark::State& state)
{
    open(state, false, 2);
}

// One effect whose graph is a chain of `state.range(0)` inversions (a shared project of 2.2 MB
// at 10 000), opened into an empty window in the view mode `mode` names: both modes draw every
// node and wire of the selected effect (the image view in its object editor). What the open
// posted is delivered in the time too: the window answers only after it.
void openChain(benchmark::State& state, char const* mode)
{
    const int inversions = int(state.range(0));
    auto* action = g_window->findChild<QAction*>(QLatin1String(mode));
    if (!action) {
        state.SkipWithError("no such view mode");
        return;
    }
    action->trigger();
    QCoreApplication::processEvents();
    const QString path = writeProject(state, QStringLiteral("chain-%1.vyxsg").arg(inversions),
                                      HostileFiles::stackedProject(1, inversions + 2));
    if (path.isEmpty())
        return;
    for (auto _ : state) {
        QString openPath = path;
        g_window->openNodeGraph(g_window->core()->rootGraph(), openPath);
        QCoreApplication::sendPostedEvents();
        state.PauseTiming();
        if (g_window->core()->objectList().size() != 1)
            state.SkipWithError("the project did not open whole");
        g_window->core()->cancelRender();
        QCoreApplication::processEvents();
        g_window->core()->setModified(false);
        g_window->clear();
        g_window->core()->setModified(false);
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["nodes"] = inversions + 2;
}

void openChainInImageView(benchmark::State& state)
{
    openChain(state, "actionImageView");
}

void openChainInNodeGraphView(benchmark::State& state)
{
    openChain(state, "actionNodeGraphView");
}

BENCHMARK(openStacked)->Arg(25)->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(openCyclic)->Arg(25)->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(openStacked)->Name("openAsWritten")->Arg(250)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(openEmptyEffects)->Arg(250)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(reopenStacked)->Arg(25)->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(openUnmadeLinks)->Arg(1)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(openChainInImageView)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(openChainInNodeGraphView)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir work;
    g_work = &work;
    BenchWindow bench(argv[0]);
    g_window = bench.window();
    if (!g_window) {
        std::fprintf(stderr, "open_bench: %s\n", qPrintable(bench.errorText()));
        return 2;
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
