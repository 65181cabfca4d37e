// Stacks of effects that blend by any mode and opacity, with nodes inside that read the effect's
// input more than once: each effect's input is evaluated once per point, so the picture is read
// a number of times linear in the stack (not 2^k), and the bytes are those of the effects
// rendered one at a time, each over the picture the one before made.

#include "EffectTestSupport.h"
#include "ProbeSourceNode.h"
#include "SanitizedSweep.h"

#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/NodeTypeRegistry.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/LinkBatch.h"
#include "nodes/Node.h"
#include "nodes/Terminal.h"
#include "params/ParameterContainer.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace KelVyxNodes;
using KelNodes::Node;

namespace EffectTest {
namespace {

// What an effect holds between its source and destination.
enum class Content {
    Empty,          // source straight to destination
    Inversion,      // one node reading the source
    SelfDifference, // the source mixed with its own inversion: two readers of the source
    NoiseReduction, // a reader sampling around each point
    NestedBlend,    // an inner effect, itself blended, with an inversion inside
};

struct EffectSpec
{
    int blendMode = 0;
    int opacity = 100;
    bool disabled = false;
    bool alphaLinked = true;
    Content content = Content::Empty;
    int innerBlendMode = 0;
    int innerOpacity = 100;
};

const int kBlendModes[] = {0, 2, 3, 4, 6, 7, 8, 14};

int randomMode(std::mt19937& rng)
{
    return kBlendModes[std::uniform_int_distribution<int>(0, 7)(rng)];
}

EffectSpec randomSpec(std::mt19937& rng)
{
    EffectSpec spec;
    auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    // About one in four stays at Normal and full opacity.
    if (pick(4) != 0) {
        spec.blendMode = randomMode(rng);
        spec.opacity = pick(3) == 0 ? 100 : pick(101);
    }
    spec.disabled = pick(12) == 0;
    spec.alphaLinked = pick(3) != 0;
    spec.content = static_cast<Content>(pick(5));
    spec.innerBlendMode = randomMode(rng);
    spec.innerOpacity = pick(101);
    return spec;
}

void applySettings(VyxNodeGraph* effect, int blendMode, int opacity, bool disabled)
{
    KelUtils::ParameterContainer* settings = effect->paramContainer();
    settings->setListParam(QStringLiteral("blendMode"), blendMode);
    settings->setIntParam(QStringLiteral("opacity"), opacity);
    settings->setIntParam(QStringLiteral("disable"), disabled ? 1 : 0);
}

bool blendLink(Node* from, char const* out, Node* to, char const* in)
{
    return from && to && from->connect(QString::fromLatin1(out), to, QString::fromLatin1(in)) == 0;
}

Node* inversionOf(VyxNodeGraph* effect, Node* from, char const* out)
{
    Node* node = effect->addNode(QStringLiteral("operator.inversion"), -1);
    return blendLink(from, out, node, "inRgb") ? node : nullptr;
}

// Fills an effect already set up on `image` (its source linked to its destination).
bool fillEffect(VyxNodeGraph* effect, EffectSpec const& spec, QImage const* image)
{
    applySettings(effect, spec.blendMode, spec.opacity, spec.disabled);
    Node* source = effect->sourceNode();
    Node* destination = effect->destinationNode();
    if (!spec.alphaLinked)
        destination->getTerminal(QStringLiteral("alpha"))->disconnectAll();
    Node* result = nullptr;
    char const* resultOut = "outRgb";
    switch (spec.content) {
    case Content::Empty:
        return true;
    case Content::Inversion:
        result = inversionOf(effect, source, "rgb");
        break;
    case Content::SelfDifference: {
        Node* mix = effect->addNode(QStringLiteral("operator.arithmix"), -1);
        if (!mix || !blendLink(source, "rgb", mix, "in1")
            || !blendLink(inversionOf(effect, source, "rgb"), "outRgb", mix, "in2"))
            return false;
        mix->paramContainer()->setListParam(QStringLiteral("mode"), 2);
        result = mix;
        resultOut = "out";
        break;
    }
    case Content::NoiseReduction:
        result = effect->addNode(QStringLiteral("operator.noiseReduction"), -1);
        if (!blendLink(source, "rgb", result, "in"))
            return false;
        resultOut = "out";
        break;
    case Content::NestedBlend: {
        VyxNodeGraph* inner = effect->addSubGraph(-1);
        if (!inner || inner->setUp(image) != 0 || !blendLink(source, "rgb", inner, "rgbIn")
            || !blendLink(source, "alpha", inner, "alphaIn"))
            return false;
        applySettings(inner, spec.innerBlendMode, spec.innerOpacity, false);
        Node* innerDestination = inner->destinationNode();
        innerDestination->getTerminal(QStringLiteral("rgb"))->disconnectAll();
        if (!blendLink(inversionOf(inner, inner->sourceNode(), "rgb"), "outRgb", innerDestination, "rgb"))
            return false;
        result = inner;
        resultOut = "rgbOut";
        break;
    }
    }
    destination->getTerminal(QStringLiteral("rgb"))->disconnectAll();
    return blendLink(result, resultOut, destination, "rgb");
}

// The picture as a generator that counts every point it is asked for.
class CountingPicture : public ProbeSourceNode
{
public:
    explicit CountingPicture(QImage const& picture)
        : ProbeSourceNode(-1)
    {
        colourAt = [this, picture](QPoint const& p) {
            ++reads;
            return pixelAt(picture, p) & 0xFFFFFFu;
        };
        valueAt = [this, picture](QPoint const& p) {
            ++reads;
            return pixelAt(picture, p) >> 24;
        };
    }
    static unsigned int pixelAt(QImage const& picture, QPoint const& p)
    {
        return picture.pixel(std::clamp(p.x(), 0, picture.width() - 1), std::clamp(p.y(), 0, picture.height() - 1));
    }
    std::atomic<long long> reads{0};
};

// A root graph with the effects chained from `head` (its colour and alpha outputs named) to
// the root destination.
std::unique_ptr<VyxNodeGraph> buildBlendedStack(std::vector<EffectSpec> const& specs, QImage const* image, int threads,
                                         CountingPicture* head)
{
    auto root = std::make_unique<VyxNodeGraph>(nullptr);
    if (root->setUp(image) != 0)
        return nullptr;
    root->setRenderThreadCount(threads);
    Node* previous = root->sourceNode();
    QString colourOut = QStringLiteral("rgb");
    QString alphaOut = QStringLiteral("alpha");
    if (head) {
        root->addNode(head, -1);
        previous = head;
        colourOut = QStringLiteral("out");
        alphaOut = QStringLiteral("out 1d");
    }
    Node* destination = root->destinationNode();
    destination->getTerminal(QStringLiteral("rgb"))->disconnectAll();
    destination->getTerminal(QStringLiteral("alpha"))->disconnectAll();
    KelNodes::LinkBatch links;
    for (EffectSpec const& spec : specs) {
        VyxNodeGraph* effect = root->addSubGraph(-1);
        if (!effect || effect->setUp(image) != 0 || !fillEffect(effect, spec, image))
            return nullptr;
        links.add(effect, QStringLiteral("rgbIn"), previous, colourOut);
        links.add(effect, QStringLiteral("alphaIn"), previous, alphaOut);
        previous = effect;
        colourOut = QStringLiteral("rgbOut");
        alphaOut = QStringLiteral("alphaOut");
    }
    links.add(destination, QStringLiteral("rgb"), previous, colourOut);
    links.add(destination, QStringLiteral("alpha"), previous, alphaOut);
    const int wanted = links.size();
    if (links.connectAll() != wanted || root->setUp(image) != 0)
        return nullptr;
    return root;
}

QImage renderBlended(VyxNodeGraph* root)
{
    if (!root || root->filter(nullptr) != 0)
        return QImage();
    return root->resultImage().copy();
}

// Every pixel different, alpha too.
QImage makePicture(int w, int h)
{
    QImage picture(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            picture.setPixel(x, y, (unsigned(150 + 13 * x + 7 * y) << 24) | (gradientPixel(x, y) & 0xFFFFFFu));
    }
    return picture;
}

TEST(BlendedStack, ReadsTheInputOncePerPointAndGivesTheBytesOfOneEffectAtATime)
{
    NodeTypeRegistry::list();
    const QImage picture = makePicture(8, 4);
    const long long pixels = 8 * 4;
    constexpr int kDepth = 60;
    for (unsigned seed : {1u, 2u, 3u}) {
        std::mt19937 rng(seed);
        std::vector<EffectSpec> specs;
        QImage reference = picture;
        for (int k = 1; k <= kDepth; ++k) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(k) + " effects");
            specs.push_back(randomSpec(rng));
            // The slow way: the new effect alone over what the stack below it made.
            std::unique_ptr<VyxNodeGraph> single = buildBlendedStack({specs.back()}, &reference, 1, nullptr);
            ASSERT_TRUE(single);
            reference = renderBlended(single.get());
            ASSERT_FALSE(reference.isNull());
            // Under the sanitizers the whole stack is rendered at every third height only.
            if (!SanitizedSweep::takes(k, 3) && k != kDepth)
                continue;

            auto* head = new CountingPicture(picture);
            std::unique_ptr<VyxNodeGraph> stack = buildBlendedStack(specs, &picture, 1, head);
            ASSERT_TRUE(stack);
            const QImage bytes = renderBlended(stack.get());
            // Counted, never timed: a stack of blended effects once read its input 2^k times.
            ASSERT_LE(head->reads.load(), 2 * k * pixels);
            ASSERT_EQ(bytes, reference);
            if (k % 7 == 0) {
                std::unique_ptr<VyxNodeGraph> threaded =
                    buildBlendedStack(specs, &picture, 4, new CountingPicture(picture));
                ASSERT_TRUE(threaded);
                EXPECT_EQ(renderBlended(threaded.get()), reference) << "4 threads";
            }
        }
    }
}

} // namespace
} // namespace EffectTest
