// The engine against libvips on one photo, the same pipelines in memory, side by side in one
// run: interleaved rounds after a warm-up, medians, every result checked against a plain
// reference computed here. See bench/README.md.
//
//   peer_bench [photo] [rounds]

// libvips (through glib) first: Qt's keyword macros would break glib's headers.
#include <vips/vips.h>

#include "BenchGraphs.h"

#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/ParallelRows.h"
#include "effects/RenderThreadPool.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/Node.h"
#include "nodes/NodeParameterContainer.h"

#include <QCoreApplication>
#include <QImage>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using KelNodes::Node;
using KelVyxNodes::VyxNodeGraph;
using VyxBench::addNode;
using VyxBench::linkNodes;

namespace {

constexpr char const* kDefaultPhoto = "/usr/share/wallpapers/Path/contents/images/2560x1600.jpg";

// The photo as the engine reads it (ARGB32) and as libvips reads it (packed RGB bytes).
struct Photo
{
    QImage argb;
    std::vector<unsigned char> rgb;
    int width = 0;
    int height = 0;
};

unsigned int channelOf(unsigned int pixel, int c)
{
    return (pixel >> (16 - 8 * c)) & 0xFFu;
}

// One pipeline: the engine graph, the libvips operations from an RGB image, and the reference
// value of channel c at (x, y) (0..255, or -1 to skip the point).
struct Pipeline
{
    char const* name;
    VyxBench::Builder build;
    std::function<VipsImage*(VipsImage* in, std::vector<VipsObject*>& keep)> vips;
    std::function<int(Photo const&, int x, int y, int c)> reference;
    // Largest difference allowed from the reference, ours and libvips'.
    int oursTolerance;
    int vipsTolerance;
    // Points closer to the edge than this are not compared for libvips (edge rules differ).
    int vipsMargin;
};

double seconds(std::function<void()> const& work)
{
    auto const start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// A box mean of radius r, clipped to the image, rounded half up, as a plain double loop.
int boxMean(Photo const& p, int x, int y, int c, int r)
{
    long long sum = 0, count = 0;
    for (int yy = std::max(0, y - r); yy <= std::min(p.height - 1, y + r); ++yy) {
        for (int xx = std::max(0, x - r); xx <= std::min(p.width - 1, x + r); ++xx) {
            sum += p.rgb[(size_t(yy) * size_t(p.width) + size_t(xx)) * 3 + size_t(c)];
            ++count;
        }
    }
    return int(std::floor(double(sum) / double(count) + 0.5));
}

int sourceAt(Photo const& p, int x, int y, int c)
{
    return p.rgb[(size_t(y) * size_t(p.width) + size_t(x)) * 3 + size_t(c)];
}

// Hue shift by `degrees` in the HSV model, hue held at 0..359 (not wrapped), in doubles.
int hueShifted(Photo const& p, int x, int y, int c, double degrees, bool wrap)
{
    const double r = sourceAt(p, x, y, 0) / 255.0, g = sourceAt(p, x, y, 1) / 255.0, b = sourceAt(p, x, y, 2) / 255.0;
    const double mx = std::max({r, g, b}), mn = std::min({r, g, b}), d = mx - mn;
    double h = 0.0;
    if (d > 0.0) {
        if (mx == r)
            h = std::fmod((g - b) / d + 6.0, 6.0);
        else if (mx == g)
            h = (b - r) / d + 2.0;
        else
            h = (r - g) / d + 4.0;
        h *= 60.0;
    } else {
        return sourceAt(p, x, y, c); // a grey keeps its value whatever its hue
    }
    const double s = mx > 0.0 ? d / mx : 0.0, v = mx;
    h += degrees;
    h = wrap ? std::fmod(h, 360.0) : std::min(h, 359.0);
    const double hh = h / 60.0;
    const int i = int(hh) % 6;
    const double f = hh - std::floor(hh);
    const double pp = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    double out[3];
    switch (i) {
    case 0: out[0] = v; out[1] = t; out[2] = pp; break;
    case 1: out[0] = q; out[1] = v; out[2] = pp; break;
    case 2: out[0] = pp; out[1] = v; out[2] = t; break;
    case 3: out[0] = pp; out[1] = q; out[2] = v; break;
    case 4: out[0] = t; out[1] = pp; out[2] = v; break;
    default: out[0] = v; out[1] = pp; out[2] = q; break;
    }
    return int(std::lround(out[c] * 255.0));
}

std::vector<Pipeline> pipelines()
{
    std::vector<Pipeline> list;
    list.push_back({"identity", [](VyxNodeGraph*) { return true; },
                    [](VipsImage* in, std::vector<VipsObject*>& keep) {
                        VipsImage* out = nullptr;
                        vips_copy(in, &out, nullptr);
                        keep.push_back(VIPS_OBJECT(out));
                        return out;
                    },
                    [](Photo const& p, int x, int y, int c) { return sourceAt(p, x, y, c); }, 0, 0, 0});
    list.push_back({"invert",
                    [](VyxNodeGraph* g) {
                        Node* n = addNode(g, "operator.inversion");
                        return linkNodes(g->sourceNode(), "rgb", n, "inRgb") && linkNodes(n, "outRgb", g->destinationNode(), "rgb");
                    },
                    [](VipsImage* in, std::vector<VipsObject*>& keep) {
                        VipsImage* out = nullptr;
                        vips_invert(in, &out, nullptr);
                        keep.push_back(VIPS_OBJECT(out));
                        return out;
                    },
                    [](Photo const& p, int x, int y, int c) { return 255 - sourceAt(p, x, y, c); }, 0, 0, 0});
    for (int radius : {10, 50}) {
        list.push_back({radius == 10 ? "box blur r = 10" : "box blur r = 50", VyxBench::blur(radius),
                        [radius](VipsImage* in, std::vector<VipsObject*>& keep) {
                            // A separable box of ones, integer arithmetic.
                            VipsImage* mask = vips_image_new_matrix(2 * radius + 1, 1);
                            for (int i = 0; i < 2 * radius + 1; ++i)
                                *VIPS_MATRIX(mask, i, 0) = 1.0;
                            vips_image_set_double(mask, "scale", 2 * radius + 1);
                            vips_image_set_double(mask, "offset", 0.0);
                            VipsImage* out = nullptr;
                            vips_convsep(in, &out, mask, "precision", VIPS_PRECISION_INTEGER, nullptr);
                            keep.push_back(VIPS_OBJECT(mask));
                            keep.push_back(VIPS_OBJECT(out));
                            return out;
                        },
                        [radius](Photo const& p, int x, int y, int c) { return boxMean(p, x, y, c, radius); },
                        // libvips rounds after each of its two passes.
                        0, 3, radius + 1});
    }
    list.push_back({"greyscale (Rec. 709)",
                    [](VyxNodeGraph* g) {
                        Node* n = addNode(g, "operator.grayscale");
                        if (!n)
                            return false;
                        n->paramContainer()->setListParam(QStringLiteral("conversion"), 1); // Rec. 709
                        return linkNodes(g->sourceNode(), "rgb", n, "rgb") && linkNodes(n, "out3d", g->destinationNode(), "rgb");
                    },
                    [](VipsImage* in, std::vector<VipsObject*>& keep) {
                        VipsImage* matrix = vips_image_new_matrixv(3, 1, 0.2126, 0.7152, 0.0722);
                        VipsImage* grey = nullptr;
                        VipsImage* out = nullptr;
                        vips_recomb(in, &grey, matrix, nullptr);
                        vips_cast(grey, &out, VIPS_FORMAT_UCHAR, nullptr);
                        keep.push_back(VIPS_OBJECT(matrix));
                        keep.push_back(VIPS_OBJECT(grey));
                        keep.push_back(VIPS_OBJECT(out));
                        return out;
                    },
                    [](Photo const& p, int x, int y, int) {
                        return int(0.2126 * sourceAt(p, x, y, 0) + 0.7152 * sourceAt(p, x, y, 1)
                                   + 0.0722 * sourceAt(p, x, y, 2) + 0.5);
                    },
                    1, 1, 0});
    list.push_back({"HSV hue shift",
                    [](VyxNodeGraph* g) {
                        Node* n = addNode(g, "operator.hsv");
                        if (!n)
                            return false;
                        n->paramContainer()->setIntParam(QStringLiteral("Hue"), 40);
                        return linkNodes(g->sourceNode(), "rgb", n, "rgb") && linkNodes(n, "out rgb", g->destinationNode(), "rgb");
                    },
                    [](VipsImage* in, std::vector<VipsObject*>& keep) {
                        // Hue as a byte of 256 steps: 40 degrees is about 28 steps, wrapping.
                        VipsImage* hsv = nullptr;
                        VipsImage* shifted = nullptr;
                        VipsImage* wrapped = nullptr;
                        VipsImage* back = nullptr;
                        VipsImage* out = nullptr;
                        double add[3] = {28.0, 0.0, 0.0};
                        double one[3] = {1.0, 1.0, 1.0};
                        vips_colourspace(in, &hsv, VIPS_INTERPRETATION_HSV, nullptr);
                        vips_linear(hsv, &shifted, one, add, 3, "uchar", FALSE, nullptr);
                        vips_remainder_const1(shifted, &wrapped, 256.0, nullptr);
                        VipsImage* typed = nullptr;
                        vips_cast(wrapped, &typed, VIPS_FORMAT_UCHAR, nullptr);
                        vips_copy(typed, &back, "interpretation", VIPS_INTERPRETATION_HSV, nullptr);
                        vips_colourspace(back, &out, VIPS_INTERPRETATION_sRGB, nullptr);
                        for (VipsImage* i : {hsv, shifted, wrapped, typed, back, out})
                            keep.push_back(VIPS_OBJECT(i));
                        return out;
                    },
                    [](Photo const& p, int x, int y, int c) { return hueShifted(p, x, y, c, 40.0, false); },
                    // libvips wraps hues and keeps them in 256 steps.
                    2, 12, 0});
    list.push_back({"multiply with own blur",
                    [](VyxNodeGraph* g) {
                        Node* b = addNode(g, "operator.blur");
                        Node* m = addNode(g, "operator.blend");
                        if (!b || !m)
                            return false;
                        b->paramContainer()->setIntParam(QStringLiteral("radius"), 10);
                        m->paramContainer()->setListParam(QStringLiteral("mode"), 2); // Multiply
                        return linkNodes(g->sourceNode(), "rgb", b, "in") && linkNodes(b, "out", m, "foreground")
                               && linkNodes(g->sourceNode(), "rgb", m, "background")
                               && linkNodes(m, "rgb", g->destinationNode(), "rgb");
                    },
                    [](VipsImage* in, std::vector<VipsObject*>& keep) {
                        VipsImage* mask = vips_image_new_matrix(21, 1);
                        for (int i = 0; i < 21; ++i)
                            *VIPS_MATRIX(mask, i, 0) = 1.0;
                        vips_image_set_double(mask, "scale", 21);
                        vips_image_set_double(mask, "offset", 0.0);
                        VipsImage* blurred = nullptr;
                        VipsImage* product = nullptr;
                        VipsImage* scaled = nullptr;
                        VipsImage* out = nullptr;
                        vips_convsep(in, &blurred, mask, "precision", VIPS_PRECISION_INTEGER, nullptr);
                        vips_multiply(in, blurred, &product, nullptr);
                        vips_linear1(product, &scaled, 1.0 / 255.0, 0.0, nullptr);
                        vips_cast(scaled, &out, VIPS_FORMAT_UCHAR, nullptr);
                        for (VipsObject* o : {VIPS_OBJECT(mask), VIPS_OBJECT(blurred), VIPS_OBJECT(product),
                                              VIPS_OBJECT(scaled), VIPS_OBJECT(out)})
                            keep.push_back(o);
                        return out;
                    },
                    [](Photo const& p, int x, int y, int c) {
                        return sourceAt(p, x, y, c) * boxMean(p, x, y, c, 10) / 255;
                    },
                    2, 3, 11});
    return list;
}

// Compares a result with the reference on a grid of points; the largest difference found.
int worstDifference(Photo const& photo, Pipeline const& pipe, int margin,
                    std::function<int(int x, int y, int c)> const& value)
{
    int worst = 0;
    for (int y = margin; y < photo.height - margin; y += 37) {
        for (int x = margin; x < photo.width - margin; x += 41) {
            for (int c = 0; c < 3; ++c) {
                const int expected = pipe.reference(photo, x, y, c);
                if (expected >= 0)
                    worst = std::max(worst, std::abs(value(x, y, c) - expected));
            }
        }
    }
    return worst;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (VIPS_INIT(argv[0]))
        vips_error_exit("peer_bench: libvips did not start");
    // Every round must do the work again, not find it in the operation cache.
    vips_cache_set_max(0);

    const char* path = argc > 1 ? argv[1] : kDefaultPhoto;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
    Photo photo;
    QImage loaded(QString::fromLocal8Bit(path));
    if (loaded.isNull()) {
        std::fprintf(stderr, "peer_bench: cannot read %s\n", path);
        return 1;
    }
    photo.argb = loaded.convertToFormat(QImage::Format_ARGB32);
    photo.width = photo.argb.width();
    photo.height = photo.argb.height();
    photo.rgb.resize(size_t(photo.width) * size_t(photo.height) * 3);
    for (int y = 0; y < photo.height; ++y) {
        auto const* line = reinterpret_cast<QRgb const*>(photo.argb.constScanLine(y));
        for (int x = 0; x < photo.width; ++x) {
            for (int c = 0; c < 3; ++c)
                photo.rgb[(size_t(y) * size_t(photo.width) + size_t(x)) * 3 + size_t(c)] =
                    (unsigned char)channelOf(line[x], c);
        }
    }
    const int cores = KelVyxNodes::RenderThreadPool::coreCount();
    vips_concurrency_set(cores);
    std::printf("photo %s, %d x %d; %d threads each; %d rounds after one warm-up, medians\n\n", path,
                photo.width, photo.height, cores, rounds);

    VipsImage* input = vips_image_new_from_memory(photo.rgb.data(), photo.rgb.size(), photo.width,
                                                  photo.height, 3, VIPS_FORMAT_UCHAR);
    const size_t rgbBytes = photo.rgb.size();
    std::vector<unsigned char> vipsOut(rgbBytes);

    struct Row
    {
        std::string name;
        std::vector<double> ours, vips;
        int oursDiff = 0, vipsDiff = 0;
        bool oursOk = true, vipsOk = true;
    };
    std::vector<Pipeline> const list = pipelines();
    std::vector<Row> rows(list.size());
    std::vector<std::unique_ptr<VyxNodeGraph>> graphs;
    for (size_t i = 0; i < list.size(); ++i) {
        rows[i].name = list[i].name;
        auto graph = std::make_unique<VyxNodeGraph>();
        graph->setRenderThreadCount(0);
        if (graph->setUp(&photo.argb) != 0 || !list[i].build(graph.get()) || graph->setUp(&photo.argb) != 0) {
            std::fprintf(stderr, "peer_bench: graph %s could not be built\n", list[i].name);
            return 1;
        }
        graphs.push_back(std::move(graph));
    }

    std::vector<double> copies;
    std::vector<unsigned char> copyTarget(size_t(photo.argb.sizeInBytes()));
    for (int round = 0; round <= rounds; ++round) {
        const bool warmUp = round == 0;
        const double copy = seconds([&] {
            std::memcpy(copyTarget.data(), photo.argb.constBits(), copyTarget.size());
        });
        if (!warmUp)
            copies.push_back(copy);
        for (size_t i = 0; i < list.size(); ++i) {
            VyxNodeGraph* graph = graphs[i].get();
            int status = 0;
            const double ours = seconds([&] { status = graph->filter(nullptr); });
            std::vector<VipsObject*> keep;
            int vipsStatus = 0;
            const double theirs = seconds([&] {
                VipsImage* out = list[i].vips(input, keep);
                size_t size = 0;
                void* memory = out ? vips_image_write_to_memory(out, &size) : nullptr;
                vipsStatus = memory ? 0 : -1;
                if (memory) {
                    std::memcpy(vipsOut.data(), memory, std::min(size, vipsOut.size()));
                    vipsOut.resize(size);
                    g_free(memory);
                }
                for (VipsObject* o : keep)
                    g_object_unref(o);
            });
            if (status != 0 || vipsStatus != 0) {
                std::fprintf(stderr, "peer_bench: %s failed (%s)\n", list[i].name, status ? "ours" : vips_error_buffer());
                return 1;
            }
            if (warmUp) {
                // Results checked once, on the warm-up round.
                QImage const& result = graph->resultImage();
                rows[i].oursDiff = worstDifference(photo, list[i], 0, [&](int x, int y, int c) {
                    return int(channelOf(result.pixel(x, y), c));
                });
                const int bands = int(vipsOut.size() / (size_t(photo.width) * size_t(photo.height)));
                rows[i].vipsDiff = worstDifference(photo, list[i], list[i].vipsMargin, [&](int x, int y, int c) {
                    return int(vipsOut[(size_t(y) * size_t(photo.width) + size_t(x)) * size_t(bands)
                                       + size_t(std::min(c, bands - 1))]);
                });
                vipsOut.resize(rgbBytes);
                rows[i].oursOk = rows[i].oursDiff <= list[i].oursTolerance;
                rows[i].vipsOk = rows[i].vipsDiff <= list[i].vipsTolerance;
            } else {
                rows[i].ours.push_back(ours);
                rows[i].vips.push_back(theirs);
            }
        }
    }

    const double copy = median(copies);
    std::printf("| Pipeline | Ours | libvips | Ours / libvips | Checked (largest difference: ours, libvips) |\n");
    std::printf("|---|---:|---:|---:|---|\n");
    bool allOk = true;
    for (Row const& row : rows) {
        const double ours = median(row.ours) * 1e3, vips = median(row.vips) * 1e3;
        std::printf("| %s | %.2f ms | %.2f ms | %.2f | %s (%d, %d) |\n", row.name.c_str(), ours, vips, ours / vips,
                    row.oursOk && row.vipsOk ? "yes" : "NO", row.oursDiff, row.vipsDiff);
        allOk = allOk && row.oursOk && row.vipsOk;
    }
    std::printf("\nmemcpy of the picture (one thread): %.2f ms; identity / memcpy: %.2f\n", copy * 1e3,
                median(rows[0].ours) / copy);
    g_object_unref(input);
    vips_shutdown();
    return allOk ? 0 : 2;
}
