// Render speed and memory of the effect engine on a generated 3840 x 2160 ARGB32 picture, at
// one thread and at every core; the three-object photo graph on 4000 x 2650; every node type
// alone at one thread; chains of window nodes at two depths. See bench/README.md.

#include "BenchGraphs.h"

#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/NodeTypeRegistry.h"
#include "effects/ParallelRows.h"
#include "effects/RenderThreadPool.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/NodeDescriptor.h"

#include <benchmark/benchmark.h>

#include <QImage>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <malloc.h>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using KelVyxNodes::VyxNodeGraph;

namespace {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;

constexpr int kPhotoWidth = 4000;
constexpr int kPhotoHeight = 2650;

QImage const& picture(int width)
{
    static const QImage big = VyxBench::makePicture(kWidth, kHeight);
    static const QImage preview = VyxBench::makePicture(600, 400);
    static const QImage tiny = VyxBench::makePicture(96, 64);
    if (width == kPhotoWidth) {
        // Made on first use only: the runs before it keep their resident sizes.
        static const QImage photo = VyxBench::makePicture(kPhotoWidth, kPhotoHeight);
        return photo;
    }
    if (width == 600)
        return preview;
    return width == 96 ? tiny : big;
}

// Resident memory of the process in KiB: "VmRSS" now or "VmHWM", the peak since the last
// resetPeak().
long long statusKiB(char const* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(status, line)) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            return std::stoll(line.substr(prefix.size()));
    }
    return -1;
}

void resetPeak()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

using VyxBench::Builder;

struct Fixture
{
    std::unique_ptr<VyxNodeGraph> graph;
    bool ok = false;
};

void renderBenchmark(benchmark::State& state, Builder const& build, int width)
{
    QImage const& source = picture(width);
    const int threads = int(state.range(0));
    const double megapixels = double(source.width()) * double(source.height()) / 1e6;

    Fixture f;
    f.graph = std::make_unique<VyxNodeGraph>();
    f.graph->setRenderThreadCount(threads);
    f.ok = f.graph->setUp(&source) == 0 && build(f.graph.get());
    f.ok = f.ok && f.graph->setUp(&source) == 0;
    if (!f.ok) {
        state.SkipWithError("graph could not be built");
        return;
    }
    const long long before = statusKiB("VmRSS");
    resetPeak();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (f.graph->filter(nullptr) != 0) {
            state.SkipWithError("render failed");
            break;
        }
        benchmark::DoNotOptimize(f.graph->resultImage().constBits());
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long long peak = statusKiB("VmHWM");
    const double imageMiB = double(source.sizeInBytes()) / 1048576.0;
    state.counters["Mpix/s"] = benchmark::Counter(megapixels, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peakMiB"] = double(peak) / 1024.0;
    // What the renders added beyond the source (resident before) and the result image, in
    // image sizes.
    state.counters["extraImages"] = (double(peak - before) / 1024.0 - imageMiB) / imageMiB;
    state.counters["threads"] = threads;
    const double renders = double(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["ns/px"] = seconds * 1e3 / megapixels / renders;
}

// Window nodes, each reading a square around the point, chained `depth` deep: noise reduction,
// sharpen, chromatic aberration and edge detection in turn.
Builder windowChain(int depth)
{
    return [depth](VyxNodeGraph* graph) {
        static char const* const types[][3] = {{"operator.noiseReduction", "in", "out"},
                                               {"operator.sharpen", "in", "out"},
                                               {"operator.chromaaber", "in", "out"},
                                               {"operator.edgedetection", "in", "out"}};
        KelNodes::Node* previous = graph->sourceNode();
        char const* previousOut = "rgb";
        for (int i = 0; i < depth; ++i) {
            auto const& type = types[i % 4];
            KelNodes::Node* node = VyxBench::addNode(graph, type[0]);
            if (!node || !VyxBench::linkNodes(previous, previousOut, node, type[1]))
                return false;
            previous = node;
            previousOut = type[2];
        }
        KelNodes::Node* destination = graph->destinationNode();
        return VyxBench::linkNodes(previous, previousOut, destination, "rgb");
    };
}

void memcpyBenchmark(benchmark::State& state)
{
    QImage const& source = picture(kWidth);
    const int threads = int(state.range(0));
    QImage target(source.size(), source.format());
    uchar* to = target.bits();
    uchar const* from = source.constBits();
    const qsizetype bytes = source.sizeInBytes();
    const qsizetype line = source.bytesPerLine();
    const double megapixels = double(source.width()) * double(source.height()) / 1e6;
    resetPeak();
    for (auto _ : state) {
        if (threads == 1) {
            std::memcpy(to, from, std::size_t(bytes));
        } else {
            KelVyxNodes::ParallelRows::run(source.height(), threads, [&](int row, int) {
                std::memcpy(to + row * line, from + row * line, std::size_t(line));
            }, nullptr, false);
        }
        benchmark::DoNotOptimize(to);
        benchmark::ClobberMemory();
    }
    state.counters["Mpix/s"] = benchmark::Counter(megapixels, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peakMiB"] = double(statusKiB("VmHWM")) / 1024.0;
    state.counters["threads"] = threads;
}

void registerAll()
{
    const int all = KelVyxNodes::RenderThreadPool::coreCount();
    struct Graph
    {
        std::string name;
        Builder build;
        int width;
    };
    std::vector<Graph> graphs;
    for (VyxBench::BenchGraph const& g : VyxBench::benchGraphs()) {
        // The every-node graph is far too slow for the big picture.
        if (std::string(g.name) == "7_every_node")
            graphs.push_back({std::string(g.name) + "_96x64", g.build, 96});
        else
            graphs.push_back({g.name, g.build, kWidth});
    }
    graphs.insert(graphs.begin() + 6, Graph{"5_effect_object_600x400", VyxBench::effectObject, 600});
    for (Graph const& g : graphs) {
        Builder build = g.build;
        const int width = g.width;
        benchmark::RegisterBenchmark(g.name.c_str(), [build, width](benchmark::State& state) {
            renderBenchmark(state, build, width);
        })->Arg(1)->Arg(all)->ArgName("threads")->UseRealTime()->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("6_memcpy", memcpyBenchmark)
        ->Arg(1)->Arg(all)->ArgName("threads")->UseRealTime()->Unit(benchmark::kMillisecond);

    // After the others, so that the bigger picture does not count in their memory.
    benchmark::RegisterBenchmark("8_photo_3_objects_4000x2650", [](benchmark::State& state) {
        renderBenchmark(state, VyxBench::photoObjects, kPhotoWidth);
    })->Arg(1)->Arg(all)->ArgName("threads")->UseRealTime()->Unit(benchmark::kMillisecond);

    for (int depth : {2, 6}) {
        const std::string name = "10_window_chain_" + std::to_string(depth) + "_600x400";
        Builder build = windowChain(depth);
        benchmark::RegisterBenchmark(name.c_str(), [build](benchmark::State& state) {
            renderBenchmark(state, build, 600);
        })->Arg(1)->Arg(all)->ArgName("threads")->UseRealTime()->Unit(benchmark::kMillisecond);
    }

    QString const source = KelVyxNodes::NodeOriginalImage::m_descriptor.typeId;
    QString const destination = KelVyxNodes::NodeFilteredImage::m_descriptor.typeId;
    for (KelNodes::NodeDescriptor const* type : KelVyxNodes::NodeTypeRegistry::builtIns()) {
        if (type->typeId == source || type->typeId == destination)
            continue;
        Builder build = VyxBench::nodeAlone(type->typeId);
        VyxNodeGraph probe;
        if (probe.setUp(&picture(96)) != 0 || !build(&probe))
            continue;
        const std::string name = "9_node:" + type->typeId.toStdString();
        benchmark::RegisterBenchmark(name.c_str(), [build](benchmark::State& state) {
            renderBenchmark(state, build, kWidth);
        })->Arg(1)->ArgName("threads")->UseRealTime()->Unit(benchmark::kMillisecond);
    }
}

} // namespace

int main(int argc, char** argv)
{
    // Big blocks straight from and back to the system, so that the resident size follows what
    // a render holds (the default threshold grows after the first free and keeps freed blocks).
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    registerAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
