// The graphs users make (stacks of 5, 10 and 20 effects, templates holding templates 2 to 4
// deep and stacks of them; every level a blur, a sharpen, a noise reduction, a chromatic
// aberration, a split with its red channel blurred and joined, a rotate and a blur, or a mix
// with a blurred copy; four blends; no mask, a luminance mask or the selection) on the photos
// cameras take, at the budget of a machine of a given memory: the decision alone (run dry on a
// picture of zero pages) takes every one the memory holds; a sample renders in full, small,
// past the budget, with the bytes of the render that fills every stage.

#include "AddressSanitizer.h"
#include "DeepGraphs.h"
#include "EffectTestSupport.h"

#include "effects/RenderMemory.h"
#include "effects/RenderStages.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/LinkBatch.h"
#include "nodes/Node.h"
#include "nodes/Terminal.h"
#include "params/ParameterContainer.h"

#include <QImage>
#include <QStringList>

#include <gtest/gtest.h>

#include <sys/mman.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

using namespace KelVyxNodes;
using KelNodes::Node;

namespace EffectTest {
namespace {

constexpr std::size_t kPhotoGB = std::size_t(1000) * 1000 * 1000;

struct PhotoPort
{
    Node* node;
    QString name;
};

// The terminals of `node` that take (input) or give `kind`, in order.
QStringList terminalsOf(Node* node, bool input, unsigned int kind)
{
    QStringList names;
    for (int i = 0; i < node->numTerminals(); ++i) {
        KelNodes::Terminal const* terminal = node->terminal(i);
        if (terminal && ((input ? terminal->inputMask() : terminal->outputMask()) & kind))
            names.append(terminal->name());
    }
    return names;
}

enum class Level { Blur, Sharpen, NoiseReduction, Aberration, SplitJoin, RotateBlur, Mix };
enum class Mask { None, Luminance, Selection };

char const* levelName(Level level)
{
    static char const* const names[] = {"blur", "sharpen", "noise reduction", "chromatic aberration",
                                        "split/join", "rotate+blur", "mix"};
    return names[int(level)];
}

class ShapeBuilder
{
public:
    ShapeBuilder(QImage const* picture, Level level, int blendMode, int opacity, Mask mask)
        : m_picture(picture), m_level(level), m_blendMode(blendMode), m_opacity(opacity), m_mask(mask)
    {
    }

    // `stack` effects in `root`, each a nest of templates `depth` deep (1: an effect alone).
    bool build(VyxNodeGraph* root, int stack, int depth)
    {
        PhotoPort colour{root->sourceNode(), QStringLiteral("rgb")};
        for (int i = 0; i < stack && m_ok; ++i)
            colour = nest(root, colour, depth);
        finish(root, colour, PhotoPort{root->sourceNode(), QStringLiteral("alpha")});
        const int wanted = m_links.size();
        return m_ok && m_links.connectAll() == wanted;
    }

private:
    Node* add(VyxNodeGraph* graph, char const* type)
    {
        Node* node = graph->addNode(QString::fromLatin1(type), -1);
        m_ok = m_ok && node;
        return node;
    }
    PhotoPort pass(VyxNodeGraph* graph, char const* type, PhotoPort in, unsigned int kind = 4u,
                   unsigned int outKind = 0u)
    {
        Node* node = add(graph, type);
        if (!node)
            return in;
        m_links.add(in.node, in.name, node, terminalsOf(node, true, kind).value(0));
        return PhotoPort{node, terminalsOf(node, false, outKind ? outKind : kind).value(0)};
    }
    PhotoPort level(VyxNodeGraph* graph, PhotoPort in)
    {
        switch (m_level) {
        case Level::Blur:
            return pass(graph, "operator.blur", in);
        case Level::Sharpen:
            return pass(graph, "operator.sharpen", in);
        case Level::NoiseReduction:
            return pass(graph, "operator.noiseReduction", in);
        case Level::Aberration:
            return pass(graph, "operator.chromaaber", in);
        case Level::SplitJoin: {
            Node* split = add(graph, "operator.split");
            Node* join = add(graph, "operator.join");
            if (!split || !join)
                return in;
            m_links.add(in.node, in.name, split, QStringLiteral("rgb"));
            const QStringList channels = terminalsOf(split, false, 2u);
            const QStringList inputs = terminalsOf(join, true, 2u);
            const PhotoPort red = pass(graph, "operator.blur", PhotoPort{split, channels.value(0)}, 2u);
            m_links.add(red.node, red.name, join, inputs.value(0));
            m_links.add(split, channels.value(1), join, inputs.value(1));
            m_links.add(split, channels.value(2), join, inputs.value(2));
            return PhotoPort{join, QStringLiteral("rgb")};
        }
        case Level::RotateBlur: {
            const PhotoPort rotated = pass(graph, "operator.rotate", in);
            if (rotated.node != in.node)
                rotated.node->paramContainer()->setIntParam(QStringLiteral("rotateAngle"), 30);
            return pass(graph, "operator.blur", rotated);
        }
        case Level::Mix: {
            const PhotoPort blurred = pass(graph, "operator.blur", in);
            Node* mix = add(graph, "operator.weightmix");
            if (!mix)
                return in;
            const QStringList operands = terminalsOf(mix, true, 4u);
            m_links.add(in.node, in.name, mix, operands.value(0));
            m_links.add(blurred.node, blurred.name, mix, operands.value(1));
            return PhotoPort{mix, QStringLiteral("out")};
        }
        }
        return in;
    }
    void finish(VyxNodeGraph* graph, PhotoPort colour, PhotoPort alpha)
    {
        Node* destination = graph->destinationNode();
        destination->getTerminal(QStringLiteral("rgb"))->disconnectAll();
        destination->getTerminal(QStringLiteral("alpha"))->disconnectAll();
        m_links.add(colour.node, colour.name, destination, QStringLiteral("rgb"));
        m_links.add(alpha.node, alpha.name, destination, QStringLiteral("alpha"));
    }
    // An effect reading `in`, holding its level and, `depth` - 1 more deep, the effect inside.
    PhotoPort nest(VyxNodeGraph* graph, PhotoPort in, int depth)
    {
        VyxNodeGraph* effect = graph->addSubGraph(-1);
        if (!effect || effect->setUp(m_picture) != 0) {
            m_ok = false;
            return in;
        }
        effect->paramContainer()->setListParam(QStringLiteral("blendMode"), m_blendMode);
        effect->paramContainer()->setIntParam(QStringLiteral("opacity"), m_opacity);
        m_links.add(in.node, in.name, effect, QStringLiteral("rgbIn"));
        PhotoPort colour = level(effect, PhotoPort{effect->sourceNode(), QStringLiteral("rgb")});
        if (depth > 1)
            colour = nest(effect, colour, depth - 1);
        // The luminance mask: the effect's alpha is the grey of what it was fed.
        PhotoPort alpha{effect->sourceNode(), QStringLiteral("alpha")};
        if (m_mask == Mask::Luminance)
            alpha =
                pass(effect, "operator.convert3dto1d", PhotoPort{effect->sourceNode(), QStringLiteral("rgb")}, 4u, 2u);
        finish(effect, colour, alpha);
        return PhotoPort{effect, QStringLiteral("rgbOut")};
    }

    QImage const* m_picture;
    Level m_level;
    int m_blendMode;
    int m_opacity;
    Mask m_mask;
    KelNodes::LinkBatch m_links;
    bool m_ok = true;
};

struct PhotoShape
{
    Level level;
    int stack;
    int depth;
    int blendMode;
    int opacity;
    Mask mask;

    std::string name() const
    {
        return std::string(levelName(level)) + ", stack " + std::to_string(stack) + " of depth "
               + std::to_string(depth) + ", blend " + std::to_string(blendMode) + " at " + std::to_string(opacity)
               + "%, mask " + std::to_string(int(mask));
    }
};

// Stacks of 5, 10 and 20 effects; templates 2, 3 and 4 deep alone and in stacks of 5; every
// level kind, blend and mask.
std::vector<PhotoShape> shapes()
{
    const std::vector<std::pair<int, int>> sizes{{5, 1}, {10, 1}, {20, 1}, {1, 2}, {1, 3}, {1, 4}, {5, 2}, {5, 4}};
    const std::vector<std::pair<int, int>> blends{{0, 100}, {0, 60}, {2, 100}, {5, 60}};
    std::vector<PhotoShape> all;
    for (Level level : {Level::Blur, Level::Sharpen, Level::NoiseReduction, Level::Aberration, Level::SplitJoin,
                        Level::RotateBlur, Level::Mix}) {
        for (auto [stack, depth] : sizes) {
            for (auto [mode, opacity] : blends) {
                for (Mask mask : {Mask::None, Mask::Luminance, Mask::Selection})
                    all.push_back({level, stack, depth, mode, opacity, mask});
            }
        }
    }
    return all;
}

// A picture of zero pages the size of a camera's photo: read, it takes no memory.
class ZeroPicture
{
public:
    ZeroPicture(int width, int height) : m_bytes(std::size_t(width) * std::size_t(height) * 4)
    {
        m_pages = mmap(nullptr, m_bytes + std::size_t(width) * std::size_t(height), PROT_READ,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (m_pages != MAP_FAILED)
            image = QImage(static_cast<uchar const*>(m_pages), width, height, qsizetype(width) * 4,
                           QImage::Format_RGB32);
    }
    ~ZeroPicture()
    {
        image = QImage();
        if (m_pages != MAP_FAILED)
            munmap(m_pages, m_bytes + std::size_t(image.width()) * std::size_t(image.height()));
    }
    ZeroPicture(ZeroPicture const&) = delete;
    ZeroPicture& operator=(ZeroPicture const&) = delete;
    // One byte per pixel, all zero (nothing selected) but a render may be asked of it.
    unsigned char const* selection() const { return static_cast<unsigned char const*>(m_pages) + m_bytes; }
    QImage image;

private:
    std::size_t m_bytes;
    void* m_pages = MAP_FAILED;
};

// Stops a render at its first question: what came before it is the decision alone.
class DecisionOnly : public CountingObserver
{
public:
    bool cancelationRequested() override { return true; }
    void failed(QString const& text) override { reason = text; }
    QString reason;
};


// Renders of `shape` on the photos, stopped right after the decision: the reasons of those
// refused.
struct Photo
{
    ZeroPicture const* picture;
    std::size_t budget;
};
QStringList refusals(PhotoShape const& shape, std::vector<Photo> const& photos)
{
    VyxNodeGraph root;
    root.setRenderThreadCount(1);
    QStringList reasons;
    bool built = false;
    for (Photo const& photo : photos) {
        ZeroPicture const& picture = *photo.picture;
        unsigned char const* mask = shape.mask == Mask::Selection ? picture.selection() : nullptr;
        // Built once, on the first picture; the others are bound to it as a user's next photo.
        if (!built) {
            ShapeBuilder builder(&picture.image, shape.level, shape.blendMode, shape.opacity, shape.mask);
            if (root.setUp(&picture.image, mask) != 0 || !builder.build(&root, shape.stack, shape.depth))
                return {QStringLiteral("not built")};
            built = true;
        }
        if (root.setUp(&picture.image, mask) != 0)
            return {QStringLiteral("not set up")};
        BudgetScope budget(photo.budget);
        DecisionOnly observer;
        root.filter(&observer);
        if (!observer.reason.isEmpty())
            reasons.append(observer.reason + QStringLiteral(" (budget of %1 bytes)").arg(qulonglong(photo.budget)));
    }
    return reasons;
}

// A machine of 16 GB takes every shape on 24 and 50 megapixels, and one of 24 GB on 100 (a fixed
// budget of 512 MiB refused one in five of them on 24 megapixels and more on 50).
TEST(CameraPhotoShapes, TheMachinesMemoryTakesEveryShape)
{
    const ZeroPicture photo24(6000, 4000);
    const ZeroPicture photo50(8660, 5774);
    const ZeroPicture photo100(12000, 8400);
    for (ZeroPicture const* picture : {&photo24, &photo50, &photo100})
        ASSERT_FALSE(picture->image.isNull());
    const std::vector<Photo> photos{{&photo24, RenderMemory::budgetBytes(RenderMemory::machineWith(16 * kPhotoGB))},
                                    {&photo50, RenderMemory::budgetBytes(RenderMemory::machineWith(16 * kPhotoGB))},
                                    {&photo100, RenderMemory::budgetBytes(RenderMemory::machineWith(24 * kPhotoGB))}};
    // Under the sanitizers one shape in five (every kind, blend and mask still among them).
#if defined(VYX_ADDRESS_SANITIZER)
    const std::size_t step = 5;
#else
    const std::size_t step = 1;
#endif
    const std::vector<PhotoShape> all = shapes();
    int refused = 0;
    for (std::size_t i = 0; i < all.size(); i += step) {
        PhotoShape const& shape = all[i];
        const QStringList reasons = refusals(shape, photos);
        for (QString const& reason : reasons)
            ADD_FAILURE() << shape.name() << ": " << reason.toStdString();
        refused += int(reasons.size());
        if (refused > 5)
            return;
    }
}

// A sample of the shapes, rendered small at budgets of a few stores and at none, gives the bytes
// of the render that fills every stage, or is refused in figures that hold.
TEST(CameraPhotoShapes, ASampleRendersTheBytesOfTheFullBudget)
{
    const QImage picture = makeGradientImage(40, 30);
    QByteArray selection(40 * 30, '\0');
    for (int i = 0; i < selection.size(); ++i)
        selection[i] = char((i * 7) % 5 == 0 ? 0 : 255);
    const std::size_t store = std::size_t(40 * 30 * 4);
    const std::vector<PhotoShape> all = shapes();
    int rendered = 0;
    for (std::size_t i = 0; i < all.size(); i += 23) {
        PhotoShape const& shape = all[i];
        SCOPED_TRACE(shape.name());
        VyxNodeGraph root;
        root.setRenderThreadCount(i % 2 == 0 ? 1 : 3);
        auto const* mask = shape.mask == Mask::Selection ? reinterpret_cast<unsigned char const*>(selection.constData())
                                                         : nullptr;
        ShapeBuilder builder(&picture, shape.level, shape.blendMode, shape.opacity, shape.mask);
        ASSERT_EQ(root.setUp(&picture, mask), 0);
        ASSERT_TRUE(builder.build(&root, shape.stack, shape.depth));
        ASSERT_EQ(root.setUp(&picture, mask), 0);
        QImage full;
        {
            BudgetScope scope(kEveryStageFits);
            ASSERT_EQ(root.filter(nullptr), 0);
            full = root.resultImage().copy();
        }
        for (int stores : {0, 2}) {
            BudgetScope scope(std::size_t(stores) * store);
            CountingObserver observer;
            if (root.filter(&observer) != 0)
                continue;
            ++rendered;
            ASSERT_EQ(root.resultImage(), full) << "budget " << stores;
        }
    }
    EXPECT_GT(rendered, 0);
}

} // namespace
} // namespace EffectTest
