// A node reading an effect that lies inside a sibling effect (a node moved into another effect
// keeps its links) gets the effect's picture: the render orders its work by what each node
// reads, not by the levels alone, which count what the read effect's own graph holds.

#include "EffectTestSupport.h"

#include "effects/VyxNodeGraph.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodes/Terminal.h"

#include <QDomDocument>
#include <QImage>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace KelVyxNodes;
using KelNodes::Node;

namespace EffectTest {
namespace {

struct Port
{
    Node* node = nullptr;
    QString name;
};

bool link(Port from, Node* to, QString const& input)
{
    return from.node && to && from.node->connect(from.name, to, input) == 0;
}

Port colourOf(VyxNodeGraph* graph)
{
    return Port{graph->sourceNode(), QStringLiteral("rgb")};
}

Port alphaOf(VyxNodeGraph* graph)
{
    return Port{graph->sourceNode(), QStringLiteral("alpha")};
}

Port invert(VyxNodeGraph* graph, Port in, QString const& name)
{
    Node* inversion = graph->addNode(QStringLiteral("operator.inversion"), -1);
    if (!inversion || !link(in, inversion, QStringLiteral("inRgb")))
        return Port{};
    inversion->setName(name);
    return Port{inversion, QStringLiteral("outRgb")};
}

bool finish(VyxNodeGraph* graph, Port colour)
{
    Node* destination = graph->destinationNode();
    destination->getTerminal(QStringLiteral("rgb"))->disconnectAll();
    return link(colour, destination, QStringLiteral("rgb"));
}

// An effect in `graph` fed `colour` and the graph's alpha.
VyxNodeGraph* addEffect(VyxNodeGraph* graph, QImage const* picture, Port colour, QString const& name)
{
    VyxNodeGraph* effect = graph->addSubGraph(-1);
    if (!effect || effect->setUp(picture) != 0 || !link(colour, effect, QStringLiteral("rgbIn"))
        || !link(alphaOf(graph), effect, QStringLiteral("alphaIn")))
        return nullptr;
    effect->setName(name);
    return effect;
}

// `depth` effects, each inside the one before, the innermost inverting its input.
bool fillNest(VyxNodeGraph* graph, QImage const* picture, int depth)
{
    if (depth == 0)
        return finish(graph, invert(graph, colourOf(graph), QStringLiteral("Innermost")));
    VyxNodeGraph* inside = addEffect(graph, picture, colourOf(graph), QStringLiteral("Level %1").arg(depth));
    return inside && fillNest(inside, picture, depth - 1) && finish(graph, Port{inside, QStringLiteral("rgbOut")});
}

struct SiblingShape
{
    // Nest lies this deep in the project; Inner holds effects as deep.
    int depth = 1;
    // Reader is an effect inverting what it reads on its picture input.
    bool readerIsEffect = false;
    // Later inverts its input, or gives it back unchanged.
    bool laterInverts = false;

    std::string name() const
    {
        return std::to_string(depth) + " deep" + (readerIsEffect ? ", Reader an effect" : "")
               + (laterInverts ? ", Later inverting" : ", Later empty");
    }
};

// Effect "Nest": "Inner" (an Inversion, nested) fed Nest's picture; "Reader" reading Inner; two
// Inversions in a row feeding "Later"; the Max of Reader and Later is Nest's picture. "Early"
// is an effect fed the picture, read by nothing.
struct IssueGraph
{
    VyxNodeGraph root;
    VyxNodeGraph* nest = nullptr;
    VyxNodeGraph* inner = nullptr;
    Node* reader = nullptr;
    VyxNodeGraph* later = nullptr;
    VyxNodeGraph* early = nullptr;

    bool make(QImage const* picture, SiblingShape const& shape)
    {
        root.setRenderThreadCount(2);
        if (root.setUp(picture) != 0)
            return false;
        VyxNodeGraph* holder = &root;
        for (int level = 1; level < shape.depth; ++level) {
            VyxNodeGraph* wrapper = addEffect(holder, picture, colourOf(holder), QStringLiteral("Wrapper %1").arg(level));
            if (!wrapper)
                return false;
            holder = wrapper;
        }
        nest = addEffect(holder, picture, colourOf(holder), QStringLiteral("Nest"));
        if (!nest)
            return false;
        for (VyxNodeGraph* graph = nest; graph != &root; graph = graph->parentEffectGraph()) {
            VyxNodeGraph* parent = graph->parentEffectGraph();
            if (!finish(parent, Port{graph, QStringLiteral("rgbOut")}))
                return false;
        }
        inner = addEffect(nest, picture, colourOf(nest), QStringLiteral("Inner"));
        if (!inner || !fillNest(inner, picture, shape.depth - 1))
            return false;
        Port read;
        if (shape.readerIsEffect) {
            auto* effect = addEffect(nest, picture, Port{inner, QStringLiteral("rgbOut")}, QStringLiteral("Reader"));
            if (!effect || !finish(effect, invert(effect, colourOf(effect), QStringLiteral("Reader's own"))))
                return false;
            reader = effect;
            read = Port{effect, QStringLiteral("rgbOut")};
        } else {
            read = invert(nest, Port{inner, QStringLiteral("rgbOut")}, QStringLiteral("Reader"));
            reader = read.node;
        }
        const Port first = invert(nest, colourOf(nest), QStringLiteral("First"));
        const Port second = invert(nest, first, QStringLiteral("Second"));
        later = addEffect(nest, picture, second, QStringLiteral("Later"));
        if (!later || (shape.laterInverts && !finish(later, invert(later, colourOf(later), QStringLiteral("Later's own")))))
            return false;
        early = addEffect(nest, picture, colourOf(nest), QStringLiteral("Early"));
        if (!early || !finish(early, invert(early, colourOf(early), QStringLiteral("Early's own"))))
            return false;
        Node* max = nest->addNode(QStringLiteral("operator.Maths.max"), -1);
        if (!max || !link(read, max, QStringLiteral("rgbIn1"))
            || !link(Port{later, QStringLiteral("rgbOut")}, max, QStringLiteral("rgbIn2")))
            return false;
        max->setName(QStringLiteral("Max"));
        return finish(nest, Port{max, QStringLiteral("rgbOut")}) && root.setUp(picture) == 0;
    }
};

class Reasons : public CountingObserver
{
public:
    void failed(QString const& reason) override { reasons << reason; }
    QStringList reasons;
};

// The picture of `root`, or a null one with the reasons the render gave.
QImage renderSiblings(VyxNodeGraph& root, QImage const* picture, QStringList* reasons = nullptr)
{
    if (root.setUp(picture) != 0)
        return QImage();
    Reasons observer;
    const int result = root.filter(&observer);
    if (reasons)
        *reasons = observer.reasons;
    return result == 0 ? root.resultImage().copy() : QImage();
}

// The picture of `root` saved and loaded into a fresh root.
QImage renderApart(VyxNodeGraph const& root, QImage const* picture, QStringList* reasons)
{
    std::unique_ptr<QDomDocument> stored(root.store(root.nodes(), false, true, true));
    QDomDocument reread;
    if (!stored || !reread.setContent(stored->toString()))
        return QImage();
    VyxNodeGraph loaded;
    loaded.setRenderThreadCount(1);
    if (loaded.load(reread.documentElement(), true, KelNodes::LoadAllConnections) != 0)
        return QImage();
    return renderSiblings(loaded, picture, reasons);
}

QImage siblingPicture()
{
    QImage image(13, 9, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, (unsigned(60 + 11 * x + 7 * y) << 24) | (gradientPixel(x, y) & 0xFFFFFFu));
    }
    return image;
}

// Every node of the tree (at any depth) by name.
Node* findNamed(KelNodes::NodeGraph const* graph, QString const& name)
{
    for (Node* member : QList<Node*>(graph->nodes())) {
        if (member->name() == name)
            return member;
        if (KelNodes::NodeGraph const* sub = member->toNodeGraph()) {
            if (Node* found = findNamed(sub, name))
                return found;
        }
    }
    return nullptr;
}

void expectMoveKeepsThePicture(SiblingShape const& shape, QString const& moved, QString const& target)
{
    SCOPED_TRACE(shape.name() + ": " + moved.toStdString() + " into " + target.toStdString());
    const QImage image = siblingPicture();
    IssueGraph graph;
    ASSERT_TRUE(graph.make(&image, shape));
    const QImage before = renderSiblings(graph.root, &image);
    ASSERT_FALSE(before.isNull());
    Node* node = findNamed(&graph.root, moved);
    Node* into = findNamed(&graph.root, target);
    ASSERT_TRUE(node && into && into->toNodeGraph());
    ASSERT_EQ(node->parentGraph()->attach(node, into->toNodeGraph()), 0);
    QStringList reasons;
    const QImage after = renderSiblings(graph.root, &image, &reasons);
    EXPECT_TRUE(reasons.isEmpty()) << reasons.join(QLatin1Char('\n')).toStdString();
    ASSERT_FALSE(after.isNull());
    EXPECT_EQ(after, before);
    QStringList apartReasons;
    EXPECT_EQ(renderApart(graph.root, &image, &apartReasons), before)
        << apartReasons.join(QLatin1Char('\n')).toStdString();
    // The next render of the same graph as well.
    EXPECT_EQ(renderSiblings(graph.root, &image), before);
}

TEST(SiblingEffectRead, InnerMovedIntoALaterOrAnEarlierSiblingRendersThePictureOfBefore)
{
    for (int depth = 1; depth <= 4; ++depth) {
        for (bool readerIsEffect : {false, true}) {
            for (bool laterInverts : {false, true}) {
                const SiblingShape shape{depth, readerIsEffect, laterInverts};
                expectMoveKeepsThePicture(shape, QStringLiteral("Inner"), QStringLiteral("Later"));
                expectMoveKeepsThePicture(shape, QStringLiteral("Inner"), QStringLiteral("Early"));
            }
        }
    }
}

using Move = QPair<QString, QString>;

// Every named movable node with each effect beside it, at any depth of the tree.
QList<Move> movesIn(VyxNodeGraph const& root)
{
    QList<Move> moves;
    QList<KelNodes::NodeGraph const*> graphs{&root};
    while (!graphs.isEmpty()) {
        const QList<Node*> members = graphs.takeFirst()->nodes();
        for (Node* member : members) {
            if (KelNodes::NodeGraph const* sub = member->toNodeGraph())
                graphs.append(sub);
            if (member->isStatic() || member->name().isEmpty())
                continue;
            for (Node* target : members) {
                if (target != member && target->toNodeGraph() && !target->name().isEmpty())
                    moves.append({member->name(), target->name()});
            }
        }
    }
    return moves;
}

// False where the graph refuses the move (it would make a node read itself).
bool makeMove(VyxNodeGraph& root, Move const& move)
{
    Node* node = findNamed(&root, move.first);
    Node* into = findNamed(&root, move.second);
    EXPECT_TRUE(node && into && into->toNodeGraph());
    return node && into && node->parentGraph()->attach(node, into->toNodeGraph()) == 0;
}

std::string named(SiblingShape const& shape, QList<Move> const& moves)
{
    std::string text = shape.name();
    for (Move const& move : moves)
        text += ": " + move.first.toStdString() + " into " + move.second.toStdString();
    return text;
}

// The moves made in turn on a fresh graph: the picture stays the one of before, in the same
// graph and saved and loaded apart, and no render is refused. False when the graph refused one.
bool expectMovesKeepThePicture(QImage const& image, SiblingShape const& shape, QList<Move> const& moves)
{
    SCOPED_TRACE(named(shape, moves));
    IssueGraph graph;
    EXPECT_TRUE(graph.make(&image, shape));
    const QImage before = renderSiblings(graph.root, &image);
    EXPECT_FALSE(before.isNull());
    for (Move const& move : moves) {
        if (!makeMove(graph.root, move))
            return false;
    }
    QStringList reasons;
    EXPECT_EQ(renderSiblings(graph.root, &image, &reasons), before) << reasons.join(QLatin1Char('\n')).toStdString();
    QStringList apartReasons;
    EXPECT_EQ(renderApart(graph.root, &image, &apartReasons), before)
        << apartReasons.join(QLatin1Char('\n')).toStdString();
    return true;
}

// Every node moved into every effect beside it, in every graph of small nests: each move the
// graph takes renders the picture of before, and so does the project saved and loaded apart;
// none is refused.
TEST(SiblingEffectRead, EveryNodeMovedIntoEverySiblingEffectKeepsThePicture)
{
    const QImage image = siblingPicture();
    int moves = 0;
    int refusedByTheGraph = 0;
    for (int depth = 1; depth <= 2; ++depth) {
        for (bool readerIsEffect : {false, true}) {
            for (bool laterInverts : {false, true}) {
                const SiblingShape shape{depth, readerIsEffect, laterInverts};
                IssueGraph plan;
                ASSERT_TRUE(plan.make(&image, shape));
                for (Move const& move : movesIn(plan.root)) {
                    if (expectMovesKeepThePicture(image, shape, {move}))
                        ++moves;
                    else
                        ++refusedByTheGraph;
                }
            }
        }
    }
    EXPECT_GE(moves, 60) << moves;
    EXPECT_GT(refusedByTheGraph, 0);
}

// Two moves in a row: a node read across effects moved again, or a second one moved across.
TEST(SiblingEffectRead, TwoMovesInARowKeepThePicture)
{
    const QImage image = siblingPicture();
    int pairs = 0;
    for (int depth = 1; depth <= 2; ++depth) {
        for (bool readerIsEffect : {false, true}) {
            const SiblingShape shape{depth, readerIsEffect, true};
            IssueGraph plan;
            ASSERT_TRUE(plan.make(&image, shape));
            for (Move const& first : movesIn(plan.root)) {
                IssueGraph moved;
                ASSERT_TRUE(moved.make(&image, shape));
                if (!makeMove(moved.root, first))
                    continue;
                for (Move const& second : movesIn(moved.root))
                    pairs += expectMovesKeepThePicture(image, shape, {first, second}) ? 1 : 0;
            }
        }
    }
    EXPECT_GE(pairs, 300) << pairs;
}

} // namespace
} // namespace EffectTest
