// Every ordered pair of the types that re-kind their terminals on a link (and an Inversion), linked
// in one of the shapes a user draws (each shape for a quarter of the pairs), comes back with every link, kind and picture from the roads the
// program writes and reads again: a node's deletion undone and redone, the effect's deletion
// undone and redone, and the effect copied and pasted back.

#include "UndoTestSupport.h"

#include "GraphLinks.h"
#include "RekindingTypes.h"

#include "app/KelCmdDeleteNode.h"
#include "app/TwCmdDeleteObject.h"
#include "app/TwUtilities.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/Terminal.h"

#include <QBuffer>

#include <memory>

using namespace UndoTest;

namespace KindsRoads {

QStringList const& kRoadTypes = RekindingTypes::withInversion();

// The wires a user draws, in order; a wire the kinds refuse is left out, as the view leaves it.
enum class Shape {
    ChannelThroughBothToAlpha,  // Split's "g" into the first, the first into the second, to the alpha
    ColourThroughBothToColour,  // the source's colour into the first, ... to the picture's colour
    ChannelReplacedByChannel,   // "g" into the first, the first into the second, then "r" in place of "g"
    ReaderFirstThenSourceAlpha, // the second to the alpha, the first into it, the source's alpha into the first
};

struct Drawn
{
    KelNGObject* object = nullptr;
    KelVyxNodes::VyxNodeGraph* graph = nullptr;
    KelNodes::Node* first = nullptr;
    KelNodes::Node* second = nullptr;
};

KelNodes::Terminal* end(KelNodes::Node* node, char const* name)
{
    return node ? node->getTerminal(QString::fromLatin1(name)) : nullptr;
}

// As a wire dropped from one node onto another: the first output to the first input taking it.
void wire(KelNodes::Node* from, KelNodes::Node* to)
{
    for (KelNodes::Terminal* output : from->terminalList()) {
        if (output->hostNode() != from || !output->isOutput())
            continue;
        for (KelNodes::Terminal* input : to->terminalList()) {
            if (input->hostNode() == to && input->isInput() && output->connect(input) == 0)
                return;
        }
        return;
    }
}

// As a wire from a terminal dropped on a node: onto the first input that takes it.
void wire(KelNodes::Terminal* output, KelNodes::Node* to)
{
    for (KelNodes::Terminal* input : to->terminalList()) {
        if (input->hostNode() == to && input->isInput() && output->connect(input) == 0)
            return;
    }
}

class KindsRoadsTest : public UndoFixture
{
protected:
    Drawn draw(QString const& first, QString const& second, Shape shape)
    {
        Drawn drawn;
        core->cancelRender();
        drawn.graph = root()->addSubGraph(-1);
        drawn.graph->setName(QStringLiteral("Kinds"));
        drawn.graph->setUp(core->sourceImage(), nullptr, nullptr, false);
        KelNodes::Node* split = drawn.graph->addNode(QStringLiteral("operator.split"), -1);
        drawn.first = drawn.graph->addNode(first, -1);
        drawn.second = drawn.graph->addNode(second, -1);
        KelNodes::Node* source = drawn.graph->sourceNode();
        KelNodes::Node* picture = drawn.graph->destinationNode();
        end(source, "rgb")->connect(end(split, "rgb"));
        end(picture, "alpha")->disconnectAll();
        switch (shape) {
        case Shape::ChannelThroughBothToAlpha:
            wire(end(split, "g"), drawn.first);
            wire(drawn.first, drawn.second);
            wire(end(drawn.second, "out"), picture);
            break;
        case Shape::ColourThroughBothToColour:
            wire(end(source, "rgb"), drawn.first);
            wire(drawn.first, drawn.second);
            wire(drawn.second, picture);
            break;
        case Shape::ChannelReplacedByChannel:
            wire(end(split, "g"), drawn.first);
            wire(drawn.first, drawn.second);
            wire(end(split, "r"), drawn.first);
            break;
        case Shape::ReaderFirstThenSourceAlpha:
            wire(drawn.second, picture);
            wire(drawn.first, drawn.second);
            wire(end(source, "alpha"), drawn.first);
            break;
        }
        drawn.object = core->addObjectFromNodeGraph(drawn.graph);
        settle();
        return drawn;
    }

    struct State
    {
        std::string links;
        std::string kinds;
        QImage picture;
    };

    State state()
    {
        settle();
        const bool rendered = core->renderer()->completedSucceeded();
        return {GraphLinks::text(root()), GraphLinks::kindsText(root()),
                rendered && core->resultImage() ? core->resultImage()->convertToFormat(QImage::Format_ARGB32) : QImage()};
    }

    void expectAs(State const& expected, char const* road)
    {
        SCOPED_TRACE(road);
        const State now = state();
        EXPECT_EQ(now.links, expected.links);
        EXPECT_EQ(now.kinds, expected.kinds);
        EXPECT_TRUE(now.picture == expected.picture) << "the picture differs";
    }

    void undoAndRedo(State const& before, State const& after, char const* road)
    {
        SCOPED_TRACE(road);
        for (int round = 0; round < 2; ++round) {
            core->undoStack()->undo();
            expectAs(before, "undone");
            core->undoStack()->redo();
            expectAs(after, "redone");
        }
        core->undoStack()->undo();
        expectAs(before, "undone again");
    }
};

TEST_F(KindsRoadsTest, EveryOrderedPairComesBackFromEveryRoad)
{
    int roads = 0;
    int pair = 0;
    const QList<Shape> shapes{Shape::ChannelThroughBothToAlpha, Shape::ColourThroughBothToColour,
                              Shape::ChannelReplacedByChannel, Shape::ReaderFirstThenSourceAlpha};
    for (QString const& first : kRoadTypes) {
        for (QString const& second : kRoadTypes) {
            // Each pair in one of the shapes, each shape for a quarter of the pairs.
            for (Shape shape : {shapes.at((pair + pair / 12) % 4)}) {
                SCOPED_TRACE((first + QStringLiteral(" then ") + second).toStdString() + ", shape "
                             + std::to_string(int(shape)));
                Drawn drawn = draw(first, second, shape);
                ASSERT_NE(drawn.object, nullptr);
                const State before = state();
                const int firstUid = drawn.first->uid();
                const int secondUid = drawn.second->uid();

                for (int uid : {firstUid, secondUid}) {
                    KelNodes::Node* node = root()->findNode(uid, true);
                    ASSERT_NE(node, nullptr);
                    core->undoStack()->push(new KelCmdDeleteNode(core.get(), root(), node));
                    const State after = state();
                    undoAndRedo(before, after, uid == firstUid ? "the first deleted" : "the second deleted");
                    ++roads;
                }

                core->undoStack()->push(new TwCmdDeleteObject(core.get(), root(), {drawn.object}));
                const State gone = state();
                undoAndRedo(before, gone, "the effect deleted");
                ++roads;

                // Copied, taken away and pasted back with its uids.
                KelNGObject* object = core->objectList().isEmpty() ? nullptr : core->objectList().constLast();
                ASSERT_NE(object, nullptr);
                std::unique_ptr<QBuffer> copied(TwUtilities::storeObjectToXML(core.get(), object));
                core->undoStack()->clear();
                core->clear();
                settle();
                EXPECT_EQ(TwUtilities::loadObjectFromBuffer(core.get(), root(), copied.get(), true), 0);
                expectAs(before, "copied and pasted back");
                ++roads;

                core->undoStack()->clear();
                core->clear();
                settle();
                if (::testing::Test::HasFailure())
                    return;
            }
            ++pair;
        }
    }
    EXPECT_EQ(roads, 144 * 4);
}

} // namespace KindsRoads
