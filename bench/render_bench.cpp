// Render speed and memory of the effect engine on a generated 3840 x 2160 ARGB32 picture, at
// one thread and at every core. See bench/README.md.

#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/ParallelRows.h"
#include "effects/RenderThreadPool.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/Node.h"
#include "nodes/NodeParameterContainer.h"
#include "params/Color.h"

#include <benchmark/benchmark.h>

#include <QImage>

#include <cstdio>
#include <malloc.h>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

using KelNodes::Node;
using KelVyxNodes::VyxNodeGraph;

namespace {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;

// A picture with detail everywhere: smooth ramps, a fine pattern and hashed noise.
QImage makePicture(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            unsigned int h = unsigned(x) * 73856093u ^ unsigned(y) * 19349663u;
            h ^= h >> 13;
            h *= 0x5bd1e995u;
            h ^= h >> 15;
            const unsigned int r = (unsigned(x) * 255u / unsigned(width) + (h & 31u)) & 0xFFu;
            const unsigned int g = (unsigned(y) * 255u / unsigned(height) + ((h >> 5) & 31u)) & 0xFFu;
            const unsigned int b = ((unsigned(x ^ y) & 0x3Fu) * 4u + ((h >> 10) & 15u)) & 0xFFu;
            line[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
        }
    }
    return image;
}

QImage const& picture(bool small)
{
    static const QImage big = makePicture(kWidth, kHeight);
    static const QImage preview = makePicture(600, 400);
    return small ? preview : big;
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

Node* add(VyxNodeGraph* graph, char const* type)
{
    Node* node = graph->addNode(QString::fromLatin1(type), -1);
    if (!node)
        std::fprintf(stderr, "render_bench: no node type %s\n", type);
    return node;
}

bool link(Node* a, char const* from, Node* b, char const* to)
{
    if (!a || !b || a->connect(QString::fromLatin1(from), b, QString::fromLatin1(to)) != 0) {
        std::fprintf(stderr, "render_bench: cannot link %s to %s\n", from, to);
        return false;
    }
    return true;
}

using Builder = std::function<bool(VyxNodeGraph*)>;

// 1: the source straight into the destination.
bool identity(VyxNodeGraph*)
{
    return true;
}

// 2: Perlin noise, fractal sum of 6 octaves.
bool noise(VyxNodeGraph* g)
{
    Node* n = add(g, "generator.noise");
    if (!n)
        return false;
    auto* c = n->paramContainer();
    c->setListParam(QStringLiteral("type"), 2); // Perlin
    c->setIntParam(QStringLiteral("enableFrac"), 1);
    c->setFloatParam(QStringLiteral("octaves"), 6.0f);
    c->setFloatParam(QStringLiteral("scaleGlobal"), 0.05f);
    return link(n, "out", g->destinationNode(), "rgb");
}

Builder blur(int radius)
{
    return [radius](VyxNodeGraph* g) {
        Node* b = add(g, "operator.blur");
        if (!b)
            return false;
        b->paramContainer()->setIntParam(QStringLiteral("radius"), radius);
        return link(g->sourceNode(), "rgb", b, "in") && link(b, "out", g->destinationNode(), "rgb");
    };
}

// 4: HSV offset, levels, Overlay blend with the source.
bool colourChain(VyxNodeGraph* g)
{
    Node* hsv = add(g, "operator.hsv");
    Node* levels = add(g, "operator.levels");
    Node* blend = add(g, "operator.blend");
    if (!hsv || !levels || !blend)
        return false;
    hsv->paramContainer()->setIntParam(QStringLiteral("Hue"), 40);
    hsv->paramContainer()->setIntParam(QStringLiteral("Saturation"), 30);
    levels->paramContainer()->setIntParam(QStringLiteral("Black point"), 20);
    levels->paramContainer()->setIntParam(QStringLiteral("Gamma"), 30);
    blend->paramContainer()->setListParam(QStringLiteral("mode"), 9); // Overlay
    return link(g->sourceNode(), "rgb", hsv, "rgb") && link(hsv, "out rgb", levels, "source")
           && link(levels, "out", blend, "foreground") && link(g->sourceNode(), "rgb", blend, "background")
           && link(blend, "rgb", g->destinationNode(), "rgb");
}

// 5: an effect object as a template makes it: ten nodes in a compound effect, blended into the
// root at opacity 70.
bool effectObject(VyxNodeGraph* g)
{
    VyxNodeGraph* effect = g->addSubGraph(-1);
    if (!effect || !link(g->sourceNode(), "rgb", effect, "rgbIn")
        || !link(effect, "rgbOut", g->destinationNode(), "rgb"))
        return false;
    effect->paramContainer()->setIntParam(QStringLiteral("opacity"), 70);
    Node* in = effect->sourceNode();
    Node* out = effect->destinationNode();
    Node* blurNode = add(effect, "operator.blur");
    Node* sharpen = add(effect, "operator.sharpen");
    Node* hsy = add(effect, "operator.hsy");
    Node* gradient = add(effect, "operator.gradient3color");
    Node* blend = add(effect, "operator.blend");
    Node* grey = add(effect, "operator.grayscale");
    Node* levels = add(effect, "operator.levels");
    Node* mix = add(effect, "operator.weightmix");
    if (!in || !out || !blurNode || !sharpen || !hsy || !gradient || !blend || !grey || !levels || !mix)
        return false;
    blurNode->paramContainer()->setIntParam(QStringLiteral("radius"), 3);
    sharpen->paramContainer()->setFloatParam(QStringLiteral("base"), 0.5f);
    hsy->paramContainer()->setIntParam(QStringLiteral("Hue"), 25);
    hsy->paramContainer()->setFloatParam(QStringLiteral("Saturation"), 0.2f);
    blend->paramContainer()->setListParam(QStringLiteral("mode"), 9); // Overlay
    blend->paramContainer()->setIntParam(QStringLiteral("Opacity"), 60);
    levels->paramContainer()->setIntParam(QStringLiteral("White point"), 230);
    levels->paramContainer()->setIntParam(QStringLiteral("Gamma"), -20);
    mix->paramContainer()->setFloatParam(QStringLiteral("weight"), 0.35f);
    return link(in, "rgb", blurNode, "in") && link(blurNode, "out", sharpen, "in")
           && link(sharpen, "out", hsy, "rgb") && link(hsy, "out rgb", blend, "foreground")
           && link(gradient, "out", blend, "background") && link(blend, "rgb", levels, "source")
           && link(in, "rgb", grey, "rgb") && link(levels, "out", mix, "in1")
           && link(grey, "out3d", mix, "in2") && link(mix, "out", out, "rgb");
}

struct Fixture
{
    std::unique_ptr<VyxNodeGraph> graph;
    bool ok = false;
};

void renderBenchmark(benchmark::State& state, Builder const& build, bool small)
{
    QImage const& source = picture(small);
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
    for (auto _ : state) {
        if (f.graph->filter(nullptr) != 0) {
            state.SkipWithError("render failed");
            break;
        }
        benchmark::DoNotOptimize(f.graph->resultImage().constBits());
    }
    const long long peak = statusKiB("VmHWM");
    const double imageMiB = double(source.sizeInBytes()) / 1048576.0;
    state.counters["Mpix/s"] = benchmark::Counter(megapixels, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peakMiB"] = double(peak) / 1024.0;
    // What the renders added beyond the source (resident before) and the result image, in
    // image sizes.
    state.counters["extraImages"] = (double(peak - before) / 1024.0 - imageMiB) / imageMiB;
    state.counters["threads"] = threads;
}

void memcpyBenchmark(benchmark::State& state)
{
    QImage const& source = picture(false);
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
        char const* name;
        Builder build;
        bool small;
    };
    const Graph graphs[] = {
        {"1_identity", identity, false},
        {"2_noise_perlin_fractal6", noise, false},
        {"3a_blur_r5", blur(5), false},
        {"3b_blur_r50", blur(50), false},
        {"4_colour_chain", colourChain, false},
        {"5_effect_object", effectObject, false},
        {"5_effect_object_600x400", effectObject, true},
    };
    for (Graph const& g : graphs) {
        Builder build = g.build;
        const bool small = g.small;
        benchmark::RegisterBenchmark(g.name, [build, small](benchmark::State& state) {
            renderBenchmark(state, build, small);
        })->Arg(1)->Arg(all)->ArgName("threads")->UseRealTime()->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("6_memcpy", memcpyBenchmark)
        ->Arg(1)->Arg(all)->ArgName("threads")->UseRealTime()->Unit(benchmark::kMillisecond);
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
