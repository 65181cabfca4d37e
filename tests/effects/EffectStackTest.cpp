// Stacks of effects chained as the application chains its objects: effects that give their
// input back unchanged (empty, disabled) are looked through, so the render equals that of the
// same stack without them, and a stack of ten thousand renders on a thread with a small stack.

#include "EffectTestSupport.h"
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
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace KelVyxNodes;
using KelNodes::Node;

namespace EffectTest {
namespace {

// One effect of a stack.
enum class Kind {
    Empty,            // source straight to destination, Normal at 100
    EmptyHalfOpacity, // the same at opacity 37: Normal mixes the input with itself
    EmptyMultiplyOff, // Multiply at opacity 0
    DisabledWithNode, // an inversion inside, but "disable" set
    Inversion,        // an inversion, Difference at opacity 60
    EmptyMultiply,    // no node, Multiply at 100: changes the picture, so it stays
    Nested,           // an inversion inside an empty effect inside the effect
};

bool passesInput(Kind kind)
{
    return kind == Kind::Empty || kind == Kind::EmptyHalfOpacity || kind == Kind::EmptyMultiplyOff
           || kind == Kind::DisabledWithNode;
}

Node* addInversion(VyxNodeGraph* effect, Node* from, QString const& fromTerminal)
{
    Node* node = effect->addNode(QStringLiteral("operator.inversion"), -1);
    if (!node || from->connect(fromTerminal, node, QStringLiteral("inRgb")) != 0)
        return nullptr;
    return node;
}

// The effect, its links to the effect before it (`previous`, whose colour and alpha outputs
// the two strings name) added to `links`, made in one go as the application chains objects.
bool addStackEffect(VyxNodeGraph* root, Kind kind, QImage const* image, KelNodes::LinkBatch& links,
               Node*& previous, QString& colourOut, QString& alphaOut)
{
    VyxNodeGraph* effect = root->addSubGraph(-1);
    if (!effect || effect->setUp(image) != 0)
        return false;
    links.add(effect, QStringLiteral("rgbIn"), previous, colourOut);
    links.add(effect, QStringLiteral("alphaIn"), previous, alphaOut);
    KelUtils::ParameterContainer* settings = effect->paramContainer();
    auto feedDestination = [effect](Node* node, QString const& out) {
        Node* destination = effect->destinationNode();
        destination->getTerminal(QStringLiteral("rgb"))->disconnectAll();
        return node && node->connect(out, destination, QStringLiteral("rgb")) == 0;
    };
    switch (kind) {
    case Kind::Empty:
        break;
    case Kind::EmptyHalfOpacity:
        settings->setIntParam(QStringLiteral("opacity"), 37);
        break;
    case Kind::EmptyMultiplyOff:
        settings->setListParam(QStringLiteral("blendMode"), 2);
        settings->setIntParam(QStringLiteral("opacity"), 0);
        break;
    case Kind::DisabledWithNode:
        if (!feedDestination(addInversion(effect, effect->sourceNode(), QStringLiteral("rgb")),
                             QStringLiteral("outRgb")))
            return false;
        settings->setIntParam(QStringLiteral("disable"), 1);
        break;
    case Kind::Inversion:
        if (!feedDestination(addInversion(effect, effect->sourceNode(), QStringLiteral("rgb")),
                             QStringLiteral("outRgb")))
            return false;
        settings->setListParam(QStringLiteral("blendMode"), 14);
        settings->setIntParam(QStringLiteral("opacity"), 60);
        break;
    case Kind::EmptyMultiply:
        settings->setListParam(QStringLiteral("blendMode"), 2);
        break;
    case Kind::Nested: {
        // An empty effect inside, then one with an inversion.
        Node* from = effect->sourceNode();
        QString fromColour = QStringLiteral("rgb");
        QString fromAlpha = QStringLiteral("alpha");
        KelNodes::LinkBatch inner;
        if (!addStackEffect(effect, Kind::Empty, image, inner, from, fromColour, fromAlpha)
            || !addStackEffect(effect, Kind::Inversion, image, inner, from, fromColour, fromAlpha))
            return false;
        inner.connectAll();
        if (!feedDestination(from, fromColour))
            return false;
        break;
    }
    }
    previous = effect;
    colourOut = QStringLiteral("rgbOut");
    alphaOut = QStringLiteral("alphaOut");
    return true;
}

// A root graph with the stack between its source and destination, bound to `image`.
std::unique_ptr<VyxNodeGraph> buildStack(std::vector<Kind> const& kinds, QImage const* image, int threads)
{
    auto root = std::make_unique<VyxNodeGraph>(nullptr);
    if (root->setUp(image) != 0)
        return nullptr;
    root->setRenderThreadCount(threads);
    Node* previous = root->sourceNode();
    QString colourOut = QStringLiteral("rgb");
    QString alphaOut = QStringLiteral("alpha");
    root->destinationNode()->getTerminal(QStringLiteral("rgb"))->disconnectAll();
    root->destinationNode()->getTerminal(QStringLiteral("alpha"))->disconnectAll();
    KelNodes::LinkBatch links;
    for (Kind kind : kinds) {
        if (!addStackEffect(root.get(), kind, image, links, previous, colourOut, alphaOut))
            return nullptr;
    }
    links.add(root->destinationNode(), QStringLiteral("rgb"), previous, colourOut);
    links.add(root->destinationNode(), QStringLiteral("alpha"), previous, alphaOut);
    const int wanted = links.size();
    if (links.connectAll() != wanted || root->setUp(image) != 0)
        return nullptr;
    return root;
}

// The render's bytes, or a null image when it failed.
QImage renderStack(VyxNodeGraph* root)
{
    if (root->filter(nullptr) != 0)
        return QImage();
    return root->resultImage().copy();
}

// Runs `work` on a thread of `stackBytes` of stack: a recursion as deep as a long stack of
// effects fails there at once instead of passing on a big main stack.
void onSmallStack(std::function<void()> work, uint stackBytes = 256 * 1024)
{
    std::unique_ptr<QThread> thread(QThread::create(std::move(work)));
    thread->setStackSize(stackBytes);
    thread->start();
    thread->wait();
}

struct StackShape
{
    char const* name;
    std::function<Kind(int index, int depth)> kindAt;
};

const StackShape kShapes[] = {
    {"empty", [](int, int) { return Kind::Empty; }},
    {"passing, every kind", [](int i, int) {
         const Kind kinds[] = {Kind::Empty, Kind::EmptyHalfOpacity, Kind::EmptyMultiplyOff, Kind::DisabledWithNode};
         return kinds[i % 4];
     }},
    // A few effects that change the picture among many that do not: at most about ten a stack.
    {"mixed", [](int i, int depth) {
         const int stride = depth >= 100 ? depth / 8 : 3;
         if (i % stride != stride - 1)
             return i % 2 ? Kind::EmptyHalfOpacity : Kind::Empty;
         const Kind changing[] = {Kind::Inversion, Kind::EmptyMultiply, Kind::Nested};
         return changing[(i / stride) % 3];
     }},
    {"nested", [](int i, int depth) {
         const int stride = depth >= 100 ? depth / 8 : 2;
         return i % stride == stride - 1 ? Kind::Nested : Kind::Empty;
     }},
};

TEST(EffectStack, RendersAsTheSameStackWithoutTheEffectsThatPassTheirInput)
{
    NodeTypeRegistry::list();
    const QImage image = makeGradientImage(13, 5);
    for (int depth : {1, 2, 100, 10000}) {
        for (StackShape const& shape : kShapes) {
            // Under the sanitizers the deepest stack only of the shape that mixes every kind.
            if (SanitizedSweep::sanitized && depth > 100 && std::string(shape.name) != "mixed")
                continue;
            SCOPED_TRACE(std::string(shape.name) + " x " + std::to_string(depth));
            std::vector<Kind> stack;
            std::vector<Kind> kept;
            for (int i = 0; i < depth; ++i) {
                stack.push_back(shape.kindAt(i, depth));
                if (!passesInput(stack.back()))
                    kept.push_back(stack.back());
            }
            // Helpers of the pool have big stacks: the calling thread alone is the deep case.
            for (int threads : {1, 3}) {
                if (threads > 1 && depth > 100)
                    continue;
                QImage full;
                QImage reference;
                bool built = false;
                onSmallStack([&] {
                    std::unique_ptr<VyxNodeGraph> root = buildStack(stack, &image, threads);
                    std::unique_ptr<VyxNodeGraph> without = buildStack(kept, &image, threads);
                    built = root && without;
                    if (!built)
                        return;
                    full = renderStack(root.get());
                    reference = renderStack(without.get());
                    // Rendered twice: what one render resolved does not stay in the way.
                    if (renderStack(root.get()) != full)
                        full = QImage();
                    root.reset();
                });
                ASSERT_TRUE(built);
                ASSERT_FALSE(reference.isNull());
                ASSERT_FALSE(full.isNull()) << threads << " threads";
                EXPECT_EQ(full, reference) << threads << " threads";
            }
        }
    }
}

// What looking through depends on is read at every render: an effect that stops passing its
// input (a setting or a node changed) is rendered again as it is.
TEST(EffectStack, AnEffectThatStopsPassingItsInputIsRenderedAsItIsNow)
{
    NodeTypeRegistry::list();
    const QImage image = makeGradientImage(9, 4);
    std::unique_ptr<VyxNodeGraph> root = buildStack({Kind::Empty, Kind::Empty, Kind::Empty}, &image, 1);
    ASSERT_TRUE(root);
    std::unique_ptr<VyxNodeGraph> multiplied = buildStack({Kind::EmptyMultiply}, &image, 1);
    ASSERT_TRUE(multiplied);
    const QImage plain = renderStack(root.get());
    ASSERT_FALSE(plain.isNull());
    EXPECT_EQ(plain.convertToFormat(QImage::Format_RGB32), image.convertToFormat(QImage::Format_RGB32));

    auto* middle = dynamic_cast<VyxNodeGraph*>(root->destinationNode()->getSubNodes(false).value(0));
    ASSERT_TRUE(middle);
    middle = dynamic_cast<VyxNodeGraph*>(middle->getSubNodes(false).value(0));
    ASSERT_TRUE(middle);
    EXPECT_TRUE(middle->passesInputUnchanged());
    middle->paramContainer()->setListParam(QStringLiteral("blendMode"), 2);
    EXPECT_FALSE(middle->passesInputUnchanged());
    EXPECT_EQ(renderStack(root.get()), renderStack(multiplied.get()));

    middle->paramContainer()->setListParam(QStringLiteral("blendMode"), 0);
    EXPECT_EQ(renderStack(root.get()), plain);
}

} // namespace
} // namespace EffectTest
