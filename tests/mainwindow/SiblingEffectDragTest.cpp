// In the node-graph view, an effect read by a node beside it, dragged by its title onto another
// effect beside it: the node moves with its links, and the window renders the picture of
// before the drag, the one the saved project renders apart from the window.

#include "WindowUser.h"

#include "app/KelNGObject.h"
#include "app/Renderer.h"
#include "app/TwCore.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "nodes/Node.h"
#include "nodes/Terminal.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "params/NumGroupParameter.h"

#include <QDir>
#include <QGraphicsPixmapItem>
#include <QTest>
#include <QUndoGroup>
#include <QUndoStack>

#include <string>

namespace MainWindowTest {
namespace {

using KelNodes::Node;
using KelVyxNodes::VyxNodeGraph;

struct Port
{
    Node* node = nullptr;
    QString name;
};

bool link(Port from, Node* to, QString const& input)
{
    return from.node && to && from.node->connect(from.name, to, input) == 0;
}

void place(Node* node, int column, int row)
{
    node->paramContainer()->auxData().insert(QStringLiteral("posX"), 40.0 + 260.0 * column);
    node->paramContainer()->auxData().insert(QStringLiteral("posY"), 40.0 + 160.0 * row);
}

Port invert(VyxNodeGraph* graph, Port in)
{
    Node* inversion = graph->addNode(QStringLiteral("operator.inversion"), -1);
    if (!inversion || !link(in, inversion, QStringLiteral("inRgb")))
        return Port{};
    return Port{inversion, QStringLiteral("outRgb")};
}

bool finish(VyxNodeGraph* graph, Port colour)
{
    graph->destinationNode()->getTerminal(QStringLiteral("rgb"))->disconnectAll();
    return link(colour, graph->destinationNode(), QStringLiteral("rgb"));
}

VyxNodeGraph* addEffect(VyxNodeGraph* graph, QImage const* picture, Port colour, QString const& name)
{
    VyxNodeGraph* effect = graph->addSubGraph(-1);
    if (!effect || effect->setUp(picture, nullptr, nullptr, false) != 0
        || !link(colour, effect, QStringLiteral("rgbIn"))
        || !link(Port{graph->sourceNode(), QStringLiteral("alpha")}, effect, QStringLiteral("alphaIn")))
        return nullptr;
    effect->setName(name);
    return effect;
}

// `depth` effects, each inside the one before, the innermost inverting its input.
bool fillNest(VyxNodeGraph* graph, QImage const* picture, int depth)
{
    const Port source{graph->sourceNode(), QStringLiteral("rgb")};
    if (depth == 0)
        return finish(graph, invert(graph, source));
    VyxNodeGraph* inside = addEffect(graph, picture, source, QStringLiteral("Level %1").arg(depth));
    return inside && fillNest(inside, picture, depth - 1) && finish(graph, Port{inside, QStringLiteral("rgbOut")});
}

class SiblingEffectDrag : public WindowUser
{
protected:
    // Makes a picture with every pixel different the project's source, as the image browser does.
    void showPicture()
    {
        QDir(dir.path()).mkpath(QStringLiteral("pictures"));
        const QString path = dir.filePath(QStringLiteral("pictures/gradient.png"));
        QImage picture(40, 30, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb(6 * x, 8 * y, (x * y) % 256));
        }
        ASSERT_TRUE(picture.save(path));
        window->imageChangedInBrowser(path);
        settle();
        ASSERT_EQ(core()->resultImage()->size(), picture.size());
    }

    // The effect "Nest" of the project: "Inner" (an Inversion `depth` effects deep) fed Nest's
    // picture; "Reader" (an Inversion, or an effect holding one) reading Inner; two Inversions
    // in a row feeding "Later" (an Inversion); "Early" fed the picture; the Max of Reader and
    // Later is Nest's picture. Laid out so that no two nodes overlap. The Nest made before is
    // disabled, so that the project's picture is this one's.
    KelNGObject* addNest(int depth, bool readerIsEffect)
    {
        core()->cancelRender();
        if (lastNest) {
            auto* disable = dynamic_cast<KelUtils::NumGroupParameter<int>*>(parameterOf(lastNest, QStringLiteral("disable")));
            EXPECT_NE(disable, nullptr);
            if (disable)
                disable->setValue(1);
        }
        QImage const* picture = core()->sourceImage();
        VyxNodeGraph* nest = core()->rootGraph()->addSubGraph(-1);
        nest->setName(QStringLiteral("Nest"));
        nest->setUp(picture, nullptr, nullptr, false);
        const Port source{nest->sourceNode(), QStringLiteral("rgb")};
        place(nest->sourceNode(), 0, 1);
        early = addEffect(nest, picture, source, QStringLiteral("Early"));
        inner = addEffect(nest, picture, source, QStringLiteral("Inner"));
        EXPECT_TRUE(early && inner && fillNest(inner, picture, depth - 1)
                    && finish(early, invert(early, Port{early->sourceNode(), QStringLiteral("rgb")})));
        if (!early || !inner)
            return nullptr;
        place(early, 1, 0);
        place(inner, 1, 1);
        Port read;
        if (readerIsEffect) {
            VyxNodeGraph* effect = addEffect(nest, picture, Port{inner, QStringLiteral("rgbOut")}, QStringLiteral("Reader"));
            EXPECT_TRUE(effect && finish(effect, invert(effect, Port{effect->sourceNode(), QStringLiteral("rgb")})));
            if (!effect)
                return nullptr;
            read = Port{effect, QStringLiteral("rgbOut")};
        } else {
            read = invert(nest, Port{inner, QStringLiteral("rgbOut")});
            EXPECT_NE(read.node, nullptr);
            if (!read.node)
                return nullptr;
            read.node->setName(QStringLiteral("Reader"));
        }
        place(read.node, 2, 1);
        const Port first = invert(nest, source);
        const Port second = invert(nest, first);
        EXPECT_TRUE(first.node && second.node);
        if (!first.node || !second.node)
            return nullptr;
        place(first.node, 1, 2);
        place(second.node, 2, 2);
        later = addEffect(nest, picture, second, QStringLiteral("Later"));
        EXPECT_TRUE(later && finish(later, invert(later, Port{later->sourceNode(), QStringLiteral("rgb")})));
        if (!later)
            return nullptr;
        place(later, 3, 2);
        Node* max = nest->addNode(QStringLiteral("operator.Maths.max"), -1);
        EXPECT_TRUE(max && link(read, max, QStringLiteral("rgbIn1"))
                    && link(Port{later, QStringLiteral("rgbOut")}, max, QStringLiteral("rgbIn2"))
                    && finish(nest, Port{max, QStringLiteral("rgbOut")}));
        place(max, 4, 1);
        place(nest->destinationNode(), 5, 1);
        KelNGObject* object = core()->addObjectFromNodeGraph(nest);
        lastNest = nest;
        settle();
        return object;
    }

    // Presses the node's title, moves the mouse onto the effect's title and lets go there.
    void dragOnto(Node* node, Node* effect)
    {
        KelNGNodeGraphView* view = window->objectEditorGraphView();
        KelNGNode* item = KelNGNode::itemOf(node);
        KelNGNode* target = KelNGNode::itemOf(effect);
        ASSERT_TRUE(item && item->pixmapItem() && target && target->pixmapItem());
        ASSERT_EQ(item->pixmapItem()->scene(), view->scene());
        auto title = [view](KelNGNode* of) {
            return view->mapFromScene(of->pixmapItem()->mapToScene(QPointF(60, 10)));
        };
        view->ensureVisible(item->pixmapItem());
        QTest::mouseMove(view->viewport(), title(item));
        QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, title(item));
        // The node follows the mouse and lies under it at the next move.
        QTest::mouseMove(view->viewport(), title(target));
        QTest::mouseMove(view->viewport(), title(target));
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, title(target));
        settle();
    }

    // Presses the node's title and carries it onto the effect's title in `steps` equal moves
    // (one: a fast hand, or moves the window merged while busy), then lets go there.
    void carryOnto(Node* node, Node* effect, int steps)
    {
        KelNGNodeGraphView* view = window->objectEditorGraphView();
        KelNGNode* item = KelNGNode::itemOf(node);
        KelNGNode* target = KelNGNode::itemOf(effect);
        ASSERT_TRUE(item && item->pixmapItem() && target && target->pixmapItem());
        view->ensureVisible(item->pixmapItem());
        auto title = [view](KelNGNode* of) {
            return view->mapFromScene(of->pixmapItem()->mapToScene(QPointF(60, 10)));
        };
        const QPoint from = title(item);
        const QPoint to = title(target);
        ASSERT_TRUE(view->viewport()->rect().contains(from) && view->viewport()->rect().contains(to));
        QTest::mouseMove(view->viewport(), from);
        QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, from);
        for (int step = 1; step <= steps; ++step)
            QTest::mouseMove(view->viewport(), from + (to - from) * step / steps);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, to);
        settle();
    }

    VyxNodeGraph* lastNest = nullptr;
    VyxNodeGraph* inner = nullptr;
    VyxNodeGraph* early = nullptr;
    VyxNodeGraph* later = nullptr;
};

TEST_F(SiblingEffectDrag, AnEffectReadBesideItDraggedOntoASiblingRendersThePictureOfBefore)
{
    ASSERT_NO_FATAL_FAILURE(showPicture());
    pressGraphView();
    for (int depth = 1; depth <= 4; ++depth) {
        for (bool readerIsEffect : {false, true}) {
            for (bool ontoLater : {true, false}) {
                SCOPED_TRACE(std::to_string(depth) + " deep" + (readerIsEffect ? ", Reader an effect" : "")
                             + (ontoLater ? ", onto Later" : ", onto Early"));
                KelNGObject* object = addNest(depth, readerIsEffect);
                ASSERT_NE(object, nullptr);
                clickRow(object);
                ASSERT_EQ(window->objectEditorGraphView()->graph(), object->graph());
                finishRenders();
                ASSERT_TRUE(core()->renderer()->completedSucceeded()) << core()->renderer()->failureReason().toStdString();
                const QImage before = core()->resultImage()->copy();
                // max(x, 255 - x): the Nest's own picture, not the source's.
                ASSERT_NE(before.convertToFormat(QImage::Format_ARGB32),
                          core()->sourceImage()->convertToFormat(QImage::Format_ARGB32));

                VyxNodeGraph* target = ontoLater ? later : early;
                ASSERT_NO_FATAL_FAILURE(dragOnto(inner, target));
                ASSERT_EQ(inner->parentGraph(), static_cast<KelNodes::NodeGraph*>(target)) << "the drag moved nothing";
                finishRenders();
                EXPECT_TRUE(core()->renderer()->completedSucceeded()) << core()->renderer()->failureReason().toStdString();
                EXPECT_EQ(core()->resultImage()->convertToFormat(QImage::Format_ARGB32),
                          before.convertToFormat(QImage::Format_ARGB32));
                const QImage apart = renderedApart(projectBytes());
                ASSERT_FALSE(apart.isNull()) << "the saved project does not render";
                EXPECT_EQ(apart.convertToFormat(QImage::Format_ARGB32), before.convertToFormat(QImage::Format_ARGB32));
            }
        }
    }
}

TEST_F(SiblingEffectDrag, TheEffectCarriedGoesIntoTheOneDroppedOnInOneLongMoveOrManySmallOnes)
{
    ASSERT_NO_FATAL_FAILURE(showPicture());
    pressGraphView();
    for (bool oneLongMove : {true, false}) {
        for (bool ontoEarlier : {true, false}) {
            SCOPED_TRACE(std::string(oneLongMove ? "one long move" : "many small moves")
                         + (ontoEarlier ? ", Later onto Early" : ", Early onto Later"));
            KelNGObject* object = addNest(1, false);
            ASSERT_NE(object, nullptr);
            clickRow(object);
            ASSERT_EQ(window->objectEditorGraphView()->graph(), object->graph());
            finishRenders();
            // Early is listed first, Later after it.
            VyxNodeGraph* carried = ontoEarlier ? later : early;
            VyxNodeGraph* onto = ontoEarlier ? early : later;
            const QPoint distance = KelNGNode::itemOf(onto)->pixmapItem()->pos().toPoint()
                                    - KelNGNode::itemOf(carried)->pixmapItem()->pos().toPoint();
            ASSERT_NO_FATAL_FAILURE(carryOnto(carried, onto, oneLongMove ? 1 : distance.manhattanLength() / 4));
            EXPECT_EQ(carried->parentGraph(), static_cast<KelNodes::NodeGraph*>(onto)) << "the effect carried did not go in";
            EXPECT_EQ(onto->parentGraph(), static_cast<KelNodes::NodeGraph*>(object->graph()))
                << "the effect dropped on went into the one carried";
            EXPECT_EQ(window->undoGroup()->activeStack()->undoText().toStdString(),
                      "Drag and Drop " + carried->displayName().toStdString());
            finishRenders();
            EXPECT_TRUE(core()->renderer()->completedSucceeded()) << core()->renderer()->failureReason().toStdString();
        }
    }
}

} // namespace
} // namespace MainWindowTest
