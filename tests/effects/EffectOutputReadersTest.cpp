// A node reading an inner effect's output gets the effect's picture, at any depth of nesting,
// with the bytes of the same nodes put into their parent: every node type with two inputs of a
// kind, its first input reading the inner effect and the others the picture or a second inner
// effect. A reader of an effect that has no result when it is read fails the render with a
// reason instead of reading grey.

#include "EffectTestSupport.h"

#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/NodeTypeRegistry.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/Node.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/Terminal.h"
#include "params/StatusObserver.h"

#include <QImage>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

using namespace KelVyxNodes;
using KelNodes::Node;

namespace EffectTest {
namespace {

constexpr unsigned int kReaderColour = 4u;
constexpr unsigned int kReaderChannel = 2u;

// A node type read on every input of one kind, and what it hands on: its output of that kind,
// or of the other one, made that kind again by a converter (grey of a colour, a join of a
// channel).
struct Unit
{
    QString typeId;
    unsigned int kind = kReaderColour;
    QStringList inputs;
    QString output;
    unsigned int outputKind = kReaderColour;
};

std::optional<Unit> unitOf(QString const& typeId, unsigned int kind)
{
    VyxNodeGraph scratch;
    Node* node = scratch.addNode(typeId, -1);
    if (!node || node->toNodeGraph())
        return std::nullopt;
    Unit unit{typeId, kind, {}, {}, kind};
    QString other;
    for (KelNodes::Terminal const* terminal : node->terminalList()) {
        if (terminal->inputMask() & kind)
            unit.inputs << terminal->name();
        if (unit.output.isEmpty() && (terminal->outputMask() & kind))
            unit.output = terminal->name();
        if (other.isEmpty() && (terminal->outputMask() & (kReaderColour | kReaderChannel) & ~kind))
            other = terminal->name();
    }
    if (unit.output.isEmpty() && !other.isEmpty()) {
        unit.output = other;
        unit.outputKind = kind == kReaderColour ? kReaderChannel : kReaderColour;
    }
    if (unit.inputs.size() < 2 || unit.output.isEmpty())
        return std::nullopt;
    return unit;
}

struct ReaderPort
{
    Node* node;
    QString name;
};

bool readerLink(Node* from, QString const& out, Node* to, QString const& in)
{
    return from && to && from->connect(out, to, in) == 0;
}

// The unit in `graph` reading `first` on its first input of its kind, `second` (when given) on
// its second, and `rest` on the others; its output of that kind.
std::optional<ReaderPort> addUnit(VyxNodeGraph* graph, Unit const& unit, ReaderPort first,
                                  std::optional<ReaderPort> second, ReaderPort rest)
{
    Node* node = graph->addNode(unit.typeId, -1);
    if (!node)
        return std::nullopt;
    for (int i = 0; i < unit.inputs.size(); ++i) {
        const ReaderPort from = i == 0 ? first : (i == 1 && second ? *second : rest);
        if (!readerLink(from.node, from.name, node, unit.inputs.at(i)))
            return std::nullopt;
    }
    if (unit.outputKind == unit.kind)
        return ReaderPort{node, unit.output};
    if (unit.kind == kReaderChannel) {
        Node* grey = graph->addNode(QStringLiteral("operator.grayscale"), -1);
        if (!readerLink(node, unit.output, grey, QStringLiteral("rgb")))
            return std::nullopt;
        return ReaderPort{grey, QStringLiteral("out")};
    }
    Node* join = graph->addNode(QStringLiteral("operator.join"), -1);
    for (char const* channel : {"r", "g", "b"}) {
        if (!readerLink(node, unit.output, join, QString::fromLatin1(channel)))
            return std::nullopt;
    }
    return ReaderPort{join, QStringLiteral("rgb")};
}

// An inversion of the graph's input of `kind`.
std::optional<ReaderPort> inversionIn(VyxNodeGraph* graph, unsigned int kind)
{
    Node* inversion = graph->addNode(QStringLiteral("operator.inversion"), -1);
    const bool colour = kind == kReaderColour;
    if (!readerLink(graph->sourceNode(), colour ? QStringLiteral("rgb") : QStringLiteral("alpha"), inversion,
              colour ? QStringLiteral("inRgb") : QStringLiteral("in")))
        return std::nullopt;
    return ReaderPort{inversion, colour ? QStringLiteral("outRgb") : QStringLiteral("out")};
}

// `port` becomes what the graph gives of its kind; the other kind is the graph's input.
bool finishReaders(VyxNodeGraph* graph, ReaderPort port, unsigned int kind)
{
    Node* destination = graph->destinationNode();
    destination->getTerminal(QStringLiteral("rgb"))->disconnectAll();
    destination->getTerminal(QStringLiteral("alpha"))->disconnectAll();
    if (kind == kReaderColour)
        return readerLink(port.node, port.name, destination, QStringLiteral("rgb"));
    return readerLink(graph->sourceNode(), QStringLiteral("rgb"), destination, QStringLiteral("rgb"))
           && readerLink(port.node, port.name, destination, QStringLiteral("alpha"));
}

// What a unit's inputs after the first read: the picture, or on the second a second effect
// (an inversion of the picture) beside the one read first.
enum class Beside { Picture, SecondEffect };

ReaderPort pictureOf(VyxNodeGraph* graph, unsigned int kind)
{
    return ReaderPort{graph->sourceNode(), kind == kReaderColour ? QStringLiteral("rgb") : QStringLiteral("alpha")};
}

QString outputOf(unsigned int kind)
{
    return kind == kReaderColour ? QStringLiteral("rgbOut") : QStringLiteral("alphaOut");
}

// An effect in `graph` reading its picture.
VyxNodeGraph* addReaderEffect(VyxNodeGraph* graph, QImage const* image)
{
    VyxNodeGraph* effect = graph->addSubGraph(-1);
    if (!effect || effect->setUp(image) != 0
        || !readerLink(graph->sourceNode(), QStringLiteral("rgb"), effect, QStringLiteral("rgbIn"))
        || !readerLink(graph->sourceNode(), QStringLiteral("alpha"), effect, QStringLiteral("alphaIn")))
        return nullptr;
    return effect;
}

// `depth` effects, each inside the one before; the innermost inverts its input, and every
// level's unit reads the effect inside it on its first input, once.
std::optional<ReaderPort> nestLevel(VyxNodeGraph* graph, QImage const* image, Unit const& unit, int remaining,
                                    Beside beside)
{
    if (remaining == 0)
        return inversionIn(graph, unit.kind);
    VyxNodeGraph* effect = addReaderEffect(graph, image);
    if (!effect)
        return std::nullopt;
    std::optional<ReaderPort> inner = nestLevel(effect, image, unit, remaining - 1, beside);
    if (!inner || !finishReaders(effect, *inner, unit.kind))
        return std::nullopt;
    std::optional<ReaderPort> second;
    if (beside == Beside::SecondEffect) {
        VyxNodeGraph* side = addReaderEffect(graph, image);
        std::optional<ReaderPort> inverted = side ? inversionIn(side, unit.kind) : std::nullopt;
        if (!inverted || !finishReaders(side, *inverted, unit.kind))
            return std::nullopt;
        second = ReaderPort{side, outputOf(unit.kind)};
    }
    return addUnit(graph, unit, ReaderPort{effect, outputOf(unit.kind)}, second, pictureOf(graph, unit.kind));
}

// The result of the nest (or, flat, the same units chained in the root, a second effect's
// inversion a node of its own), or a null picture when the graph could not be made; `rendered`
// gets the filter's result.
QImage renderUnits(QImage const& picture, Unit const& unit, int depth, Beside beside, bool nested, int* rendered)
{
    VyxNodeGraph root;
    if (root.setUp(&picture) != 0)
        return QImage();
    root.setRenderThreadCount(nested ? 2 : 1);
    std::optional<ReaderPort> port;
    if (nested) {
        port = nestLevel(&root, &picture, unit, depth, beside);
    } else {
        port = inversionIn(&root, unit.kind);
        for (int i = 0; i < depth && port; ++i) {
            std::optional<ReaderPort> second;
            if (beside == Beside::SecondEffect && !(second = inversionIn(&root, unit.kind)))
                return QImage();
            port = addUnit(&root, unit, *port, second, pictureOf(&root, unit.kind));
        }
    }
    if (!port || !finishReaders(&root, *port, unit.kind) || root.setUp(&picture) != 0)
        return QImage();
    *rendered = root.filter(nullptr);
    return root.resultImage().copy();
}

// Every pixel different, alpha too.
QImage makeReaderPicture(int w, int h)
{
    QImage picture(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            picture.setPixel(x, y, (unsigned(40 + 9 * x + 5 * y) << 24) | (gradientPixel(x, y) & 0xFFFFFFu));
    }
    return picture;
}

void expectNestLikeChain(QImage const& picture, Unit const& unit, int depth, Beside beside)
{
    SCOPED_TRACE(unit.typeId.toStdString() + (unit.kind == kReaderColour ? " colour" : " channel") + ", "
                 + std::to_string(depth) + " deep"
                 + (beside == Beside::Picture ? ", the picture beside" : ", a second effect beside"));
    int flatRendered = -2;
    int nestRendered = -2;
    const QImage flat = renderUnits(picture, unit, depth, beside, false, &flatRendered);
    const QImage nest = renderUnits(picture, unit, depth, beside, true, &nestRendered);
    ASSERT_FALSE(flat.isNull() && flatRendered == -2) << "the chain could not be made";
    ASSERT_FALSE(nest.isNull() && nestRendered == -2) << "the nest could not be made";
    ASSERT_EQ(nestRendered, flatRendered);
    if (flatRendered == 0) {
        EXPECT_EQ(nest, flat);
    }
}

TEST(EffectOutputReaders, EveryTypeReadingAnInnerEffectGivesTheBytesOfItsNodesInTheParent)
{
    const QImage picture = makeReaderPicture(23, 17);
    int units = 0;
    for (KelNodes::NodeDescriptor const* type : NodeTypeRegistry::builtIns()) {
        for (unsigned int kind : {kReaderColour, kReaderChannel}) {
            const std::optional<Unit> unit = unitOf(type->typeId, kind);
            if (!unit)
                continue;
            ++units;
            for (int depth = 1; depth <= 4; ++depth) {
                for (Beside beside : {Beside::Picture, Beside::SecondEffect})
                    expectNestLikeChain(picture, *unit, depth, beside);
            }
        }
    }
    // The mixers, the joins, the arithmetic, the extremes, the gradients, chromatic aberration
    // and more.
    EXPECT_GE(units, 25) << units;
}

// Each level's chromatic aberration reads the level inside it on "in" and the picture, or a
// second inner effect, on "aber".
TEST(EffectOutputReaders, ChromaticAberrationNestsGiveTheBytesOfTheirChains)
{
    const QImage picture = makeReaderPicture(64, 40);
    const std::optional<Unit> unit = unitOf(QStringLiteral("operator.chromaaber"), kReaderColour);
    ASSERT_TRUE(unit);
    ASSERT_EQ(unit->inputs, (QStringList{QStringLiteral("in"), QStringLiteral("aber")}));
    for (int depth : {1, 2, 3, 4}) {
        for (Beside beside : {Beside::Picture, Beside::SecondEffect}) {
            SCOPED_TRACE(std::to_string(depth) + " levels" + (beside == Beside::Picture ? "" : ", a second effect beside"));
            int flatRendered = -2;
            int nestRendered = -2;
            const QImage flat = renderUnits(picture, *unit, depth, beside, false, &flatRendered);
            const QImage nest = renderUnits(picture, *unit, depth, beside, true, &nestRendered);
            ASSERT_EQ(flatRendered, 0);
            ASSERT_EQ(nestRendered, 0);
            int grey = 0;
            for (int y = 0; y < nest.height(); ++y) {
                for (int x = 0; x < nest.width(); ++x)
                    grey += (nest.pixel(x, y) & 0xFFFFFFu) == 0x808080u;
            }
            EXPECT_LT(grey, nest.width() * nest.height() / 4);
            EXPECT_EQ(nest, flat);
        }
    }
}

// An effect rendered by itself, as a template's icon is (a graph with a parent), reads the
// effects inside it: max(inverted, picture) on every channel.
TEST(EffectOutputReaders, AnEffectRenderedByItselfReadsItsInnerEffect)
{
    const QImage picture = makeReaderPicture(12, 7);
    VyxNodeGraph root;
    VyxNodeGraph* nest = root.addSubGraph(-1);
    ASSERT_TRUE(nest && nest->setUp(&picture) == 0);
    VyxNodeGraph* inner = nest->addSubGraph(-1);
    ASSERT_TRUE(inner && inner->setUp(&picture) == 0);
    ASSERT_TRUE(readerLink(nest->sourceNode(), QStringLiteral("rgb"), inner, QStringLiteral("rgbIn")));
    std::optional<ReaderPort> inverted = inversionIn(inner, kReaderColour);
    ASSERT_TRUE(inverted && finishReaders(inner, *inverted, kReaderColour));
    Node* max = nest->addNode(QStringLiteral("operator.Maths.max"), -1);
    ASSERT_TRUE(readerLink(inner, QStringLiteral("rgbOut"), max, QStringLiteral("rgbIn1")));
    ASSERT_TRUE(readerLink(nest->sourceNode(), QStringLiteral("rgb"), max, QStringLiteral("rgbIn2")));
    ASSERT_TRUE(finishReaders(nest, ReaderPort{max, QStringLiteral("rgbOut")}, kReaderColour));
    ASSERT_EQ(nest->setUp(&picture), 0);
    ASSERT_EQ(nest->filter(nullptr), 0);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, y);
            const QRgb expected = qRgb(std::max(qRed(p), 255 - qRed(p)), std::max(qGreen(p), 255 - qGreen(p)),
                                       std::max(qBlue(p), 255 - qBlue(p)));
            ASSERT_EQ(nest->resultImage().pixel(x, y) & 0xFFFFFFu, expected & 0xFFFFFFu) << x << "," << y;
        }
    }
}

// An observer that keeps the reasons a render gives.
class ReaderReasonObserver : public CountingObserver
{
public:
    void failed(QString const& reason) override { reasons << reason; }
    QStringList reasons;
};

// A node reading an effect this render does not make (one of another tree, never set up) would
// read the grey an effect gives without a result: the render fails and says why.
TEST(EffectOutputReaders, ReadingAnEffectWithoutItsResultFailsTheRenderWithAReason)
{
    const QImage picture = makeReaderPicture(8, 6);
    VyxNodeGraph other;
    VyxNodeGraph* stranger = other.addSubGraph(-1);
    ASSERT_NE(stranger, nullptr);
    stranger->setName(QStringLiteral("Elsewhere"));

    VyxNodeGraph root;
    ASSERT_EQ(root.setUp(&picture), 0);
    Node* max = root.addNode(QStringLiteral("operator.Maths.max"), -1);
    max->setName(QStringLiteral("Reader"));
    ASSERT_TRUE(readerLink(root.sourceNode(), QStringLiteral("rgb"), max, QStringLiteral("rgbIn1")));
    ASSERT_TRUE(readerLink(stranger, QStringLiteral("rgbOut"), max, QStringLiteral("rgbIn2")));
    ASSERT_TRUE(finishReaders(&root, ReaderPort{max, QStringLiteral("rgbOut")}, kReaderColour));
    ASSERT_EQ(root.setUp(&picture), 0);

    ReaderReasonObserver observer;
    EXPECT_EQ(root.filter(&observer), -1);
    EXPECT_TRUE(root.resultImage().isNull());
    EXPECT_EQ(observer.completedCalls, 0);
    ASSERT_EQ(observer.reasons.size(), 1);
    EXPECT_EQ(observer.reasons.first(),
              QStringLiteral("the node \"Reader\" reads the effect \"Elsewhere\", which has no result for it in this render"));

    // Linked from an effect of its own tree, the same node renders.
    VyxNodeGraph* own = root.addSubGraph(-1);
    ASSERT_TRUE(own && own->setUp(&picture) == 0);
    ASSERT_TRUE(readerLink(root.sourceNode(), QStringLiteral("rgb"), own, QStringLiteral("rgbIn")));
    ASSERT_TRUE(readerLink(own, QStringLiteral("rgbOut"), max, QStringLiteral("rgbIn2")));
    ASSERT_EQ(root.setUp(&picture), 0);
    ReaderReasonObserver second;
    EXPECT_EQ(root.filter(&second), 0);
    EXPECT_TRUE(second.reasons.isEmpty());
}

} // namespace
} // namespace EffectTest
