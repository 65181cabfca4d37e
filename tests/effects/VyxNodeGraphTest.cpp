#include "EffectTestSupport.h"
#include "EngineTestNodes.h"

#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"

#include <gtest/gtest.h>

using namespace KelVyxNodes;
using namespace EffectTest;

namespace {

const QString kUnconnected = QStringLiteral(
    "NodeFilteredImage error: the input RGB terminal is not connected, therefore the filtered "
    "image cannot be produced");
const QString kPrepFailed =
    QStringLiteral("VyxNodeGraph error: one of the nodes onFilterStart() failed, filtering aborted");
const QString kFilterFailed = QStringLiteral("VyxNodeGraph error: filtering failed");

// Root: source -> effect (sub-graph with a solid colour inside) -> destination.
struct CompoundSetup
{
    CompoundSetup()
        : h(makeImage(3, 2, 0xFFC8641Eu))
    {
        sub = h.graph()->addSubGraph(-1);
        EXPECT_EQ(EffectHarness::link(h.source(), "rgb", sub, "rgbIn"), 0);
        EXPECT_EQ(EffectHarness::link(sub, "rgbOut", h.destination(), "rgb"), 0);
        solid = h.add<SolidNode>(sub);
        solid->colour = 0x6496FAu;
        EXPECT_EQ(EffectHarness::link(solid, "out", sub->destinationNode(), "rgb"), 0);
    }
    void settings(int disable, int opacity, int mode)
    {
        auto* c = sub->paramContainer();
        ASSERT_EQ(c->setIntParam(QStringLiteral("disable"), disable), 0);
        ASSERT_EQ(c->setIntParam(QStringLiteral("opacity"), opacity), 0);
        ASSERT_EQ(c->setListParam(QStringLiteral("blendMode"), mode), 0);
    }

    EffectHarness h;
    VyxNodeGraph* sub = nullptr;
    SolidNode* solid = nullptr;
};

} // namespace

TEST(VyxNodeGraph, SetUpRefusesWrongFormatAndKeepsBinding)
{
    QImage good = makeGradientImage(4, 3);
    VyxNodeGraph graph;
    ASSERT_EQ(graph.setUp(&good), 0);
    QImage indexed(4, 3, QImage::Format_Indexed8);
    QImage rgb888(4, 3, QImage::Format_RGB888);
    MessageCapture capture;
    EXPECT_EQ(graph.setUp(&indexed), -1);
    EXPECT_EQ(graph.setUp(&rgb888), -1);
    EXPECT_EQ(capture.messages(),
              QStringList(2, QStringLiteral("VyxNodeGraph error: original picture has illegal "
                                            "format (has to be RGB32 or ARGB32)")));
    EXPECT_EQ(graph.originalImage(), &good);
    EXPECT_EQ(graph.renderRect(), QRect(0, 0, 4, 3));
    QImage rgb32 = makeImage(2, 2, 0xFF010203u, QImage::Format_RGB32);
    EXPECT_EQ(graph.setUp(&rgb32), 0);
}

TEST(VyxNodeGraph, PlainRenderCopiesSourceWithProgressAndTwoCompletions)
{
    EffectHarness h(makeGradientImage(4, 3));
    CountingObserver observer;
    ASSERT_EQ(h.render(&observer), 0);
    ASSERT_EQ(h.result().size(), QSize(4, 3));
    EXPECT_EQ(h.result().format(), QImage::Format_ARGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(h.pixel(x, y), gradientPixel(x, y));
    EXPECT_EQ(observer.startedCalls, 1);
    EXPECT_EQ(observer.operationCalls, 1);
    EXPECT_EQ(observer.weight, 1.0);
    EXPECT_EQ(observer.completedCalls, 2);
    const float step = 1.0f / 3.0f;
    EXPECT_EQ(observer.fractions, (QList<double>{step, step + step, step + step + step}));
    EXPECT_EQ(observer.fractions, observer.secondFractions);
}

TEST(VyxNodeGraph, RgbImageRendersOpaque)
{
    EffectHarness rgb(makeImage(2, 2, 0x00102030u, QImage::Format_RGB32));
    ASSERT_EQ(rgb.render(), 0);
    EXPECT_EQ(rgb.pixel(1, 1), 0xFF102030u);
}

TEST(VyxNodeGraph, UnconnectedDestinationFailsWithMessages)
{
    EffectHarness h;
    ASSERT_EQ(h.render(), 0);
    h.destination()->terminal(0)->disconnectAll();
    CountingObserver observer;
    MessageCapture capture;
    EXPECT_EQ(h.render(&observer), -1);
    EXPECT_EQ(capture.messages(), (QStringList{kUnconnected, kPrepFailed}));
    EXPECT_EQ(observer.startedCalls, 1);
    EXPECT_EQ(observer.operationCalls, 0);
    EXPECT_EQ(observer.completedCalls, 0);
    // The earlier result does not survive a failed render.
    EXPECT_TRUE(h.result().isNull());
}

TEST(VyxNodeGraph, MissingEndsAreReported)
{
    VyxNodeGraph graph;
    MessageCapture capture;
    EXPECT_EQ(graph.filter(nullptr), -1);
    EXPECT_EQ(capture.messages(),
              QStringList{QStringLiteral("VyxNodeGraph error: cannot find the original image node "
                                         "(NodeOriginalImage) in the node graph, filtering aborted")});
    capture.clear();
    graph.addNode(new NodeOriginalImage(-1), -1);
    EXPECT_EQ(graph.filter(nullptr), -1);
    EXPECT_EQ(capture.messages(),
              QStringList{QStringLiteral("VyxNodeGraph error: cannot find the destination node "
                                         "(NodeFilteredImage) in the node graph, filtering aborted")});
}

TEST(VyxNodeGraph, SourceWithoutImageAbortsPreparation)
{
    VyxNodeGraph graph;
    ASSERT_EQ(graph.setUp(nullptr), 0);
    MessageCapture capture;
    EXPECT_EQ(graph.filter(nullptr), -1);
    EXPECT_TRUE(capture.contains(QStringLiteral(
        "NodeOriginalImage error: neither original image was set nor external connection was "
        "provided, therefore the filtered image cannot be produced")));
    EXPECT_TRUE(capture.contains(kPrepFailed));
}

TEST(VyxNodeGraph, NodeWithoutColourInterfaceIsNamed)
{
    EffectHarness h;
    auto* mute = h.add<MuteNode>();
    h.output(mute, "out");
    MessageCapture capture;
    CountingObserver observer;
    EXPECT_EQ(h.render(&observer), -1);
    EXPECT_EQ(capture.messages(),
              (QStringList{QStringLiteral("NodeFilteredImage error: \"Mute Type\" failed to provide "
                                          "generation interface"),
                           kFilterFailed}));
    EXPECT_EQ(observer.operationCalls, 0);
}

TEST(VyxNodeGraph, CancellationStopsBetweenRows)
{
    EffectHarness h(makeGradientImage(4, 5));
    auto* invert = h.add<InvertNode>();
    h.chain(invert, "in", "out");
    CountingObserver observer;
    observer.cancelAtRow = 2;
    MessageCapture capture;
    EXPECT_EQ(h.render(&observer), -1);
    EXPECT_EQ(observer.fractions.size(), 2);
    EXPECT_EQ(observer.completedCalls, 0);
    EXPECT_EQ(invert->stops, 0);
    EXPECT_EQ(capture.messages(), QStringList{kFilterFailed});
    EXPECT_TRUE(h.result().isNull());
    // Rows written before the cancel stay in the destination image. Which rows those are depends
    // on how the rows were shared among the render threads; how many does not.
    QImage const& partial = h.destination()->destinationImage();
    int rowsWritten = 0;
    for (int y = 0; y < partial.height(); ++y) {
        bool written = true;
        for (int x = 0; x < partial.width(); ++x)
            written = written && partial.pixel(x, y) == (0xFF000000u | (~gradientPixel(x, y) & 0xFFFFFFu));
        rowsWritten += written ? 1 : 0;
    }
    EXPECT_GE(rowsWritten, 2);

    // Cancel before the first row: operationStarted, no progress.
    CountingObserver early;
    early.cancelAtRow = 0;
    EXPECT_EQ(h.render(&early), -1);
    EXPECT_EQ(early.operationCalls, 1);
    EXPECT_TRUE(early.fractions.isEmpty());

    // Cancel during preparation.
    CountingObserver prep;
    prep.cancelNow = true;
    capture.clear();
    EXPECT_EQ(h.render(&prep), -1);
    EXPECT_EQ(prep.operationCalls, 0);
    EXPECT_EQ(capture.messages(), QStringList{kPrepFailed});

    CountingObserver full;
    EXPECT_EQ(h.render(&full), 0);
    EXPECT_EQ(invert->stops, 1);
    EXPECT_EQ(h.rgb(2, 4), ~gradientPixel(2, 4) & 0xFFFFFFu);
}

TEST(VyxNodeGraph, CancelledSubGraphRenderRestoresItsInputs)
{
    CompoundSetup s;
    ASSERT_EQ(s.h.graph()->setUp(&s.h.image()), 0);
    NodeOriginalImage* inner = s.sub->sourceNode();
    ASSERT_NE(inner->upstream3D(), nullptr);
    Base3DGenerator const* before = inner->upstream3D();
    CountingObserver observer;
    observer.cancelAtRow = 1;
    MessageCapture capture;
    EXPECT_EQ(s.sub->filter(&observer), -1);
    EXPECT_EQ(inner->upstream3D(), before);
    EXPECT_EQ(s.sub->filter(nullptr), 0);
    EXPECT_EQ(inner->upstream3D(), before);
    // Rendered on its own the sub-graph writes its active source unblended.
    EXPECT_EQ(s.sub->resultImage().pixel(0, 0), 0xFF6496FAu);
}

TEST(VyxNodeGraph, ResultImageNeverDangles)
{
    EffectHarness h(makeGradientImage(4, 3));
    ASSERT_EQ(h.render(), 0);
    QImage kept = h.result();
    EXPECT_EQ(kept.size(), QSize(4, 3));
    // A bigger picture whose render fails: no stale result, the copy taken before stays intact.
    h.image() = makeGradientImage(6, 5);
    h.destination()->terminal(0)->disconnectAll();
    MessageCapture capture;
    EXPECT_EQ(h.render(), -1);
    EXPECT_TRUE(h.result().isNull());
    EXPECT_EQ(kept.pixel(3, 2), gradientPixel(3, 2));
    EffectHarness::link(h.source(), "rgb", h.destination(), "rgb");
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.result().size(), QSize(6, 5));
    EXPECT_EQ(kept.size(), QSize(4, 3));
}

TEST(VyxNodeGraph, RectangleIsClippedAndEmptyRectangleFails)
{
    EffectHarness h(makeGradientImage(4, 3));
    QRect wide(2, 1, 10, 10);
    ASSERT_EQ(h.graph()->setUp(&h.image(), nullptr, &wide), 0);
    EXPECT_EQ(h.graph()->renderRect(), QRect(QPoint(2, 1), QPoint(3, 2)));
    ASSERT_EQ(h.graph()->filter(nullptr), 0);
    ASSERT_EQ(h.result().size(), QSize(2, 2));
    EXPECT_EQ(h.result().pixel(0, 0), gradientPixel(2, 1));
    EXPECT_EQ(h.result().pixel(1, 1), gradientPixel(3, 2));

    QRect outside(10, 10, 3, 3);
    ASSERT_EQ(h.graph()->setUp(&h.image(), nullptr, &outside), 0);
    CountingObserver observer;
    MessageCapture capture;
    EXPECT_EQ(h.graph()->filter(&observer), -1);
    EXPECT_TRUE(capture.contains(QStringLiteral("NodeFilteredImage error: the render rectangle is empty")));
    EXPECT_TRUE(capture.contains(kFilterFailed));
    EXPECT_TRUE(observer.fractions.isEmpty());
}

TEST(VyxNodeGraph, SelectionMaskIsImageSizedEverywhere)
{
    EffectHarness h(makeGradientImage(4, 3));
    auto* solid = h.add<SolidNode>();
    h.output(solid, "out");
    // Mask byte y * 4 + x: select the diagonal and the whole last row.
    unsigned char mask[12] = {1, 0, 0, 0, 0, 1, 0, 0, 1, 1, 1, 1};
    ASSERT_EQ(h.graph()->setUp(&h.image(), mask), 0);
    ASSERT_EQ(h.graph()->filter(nullptr), 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(h.pixel(x, y), mask[y * 4 + x] ? 0xFF6496FAu : 0x00808080u) << x << "," << y;
    EXPECT_EQ(solid->samples.load(), 6);

    // A partial rectangle reads the same image-sized mask.
    QRect part(1, 1, 3, 2);
    solid->samples = 0;
    ASSERT_EQ(h.graph()->setUp(&h.image(), mask, &part), 0);
    ASSERT_EQ(h.graph()->filter(nullptr), 0);
    ASSERT_EQ(h.result().size(), QSize(3, 2));
    EXPECT_EQ(h.pixel(0, 0), 0xFF6496FAu);   // (1, 1)
    EXPECT_EQ(h.pixel(1, 0), 0x00808080u);   // (2, 1)
    EXPECT_EQ(h.pixel(2, 1), 0xFF6496FAu);   // (3, 2)
    EXPECT_EQ(solid->samples.load(), 4);
}

TEST(VyxNodeGraph, SubGraphBlendsByEachModeAndOpacity)
{
    struct Case
    {
        int mode;
        unsigned int at100;
        unsigned int at60;
    };
    // o = (200, 100, 30) from the picture, f = (100, 150, 250) from the effect.
    const Case cases[] = {{0, 0x6496FA, 0x8C82A2}, {2, 0x4E3B1D, 0x7F4B1D}, {3, 0x720019, 0x94281B},
                          {4, 0x2D0019, 0x6B281B}, {6, 0xDEBFFB, 0xD59BA3}, {7, 0xFFF2FF, 0xE9B9A5},
                          {8, 0xFFFAFF, 0xE9BEA5}, {14, 0x6432DC, 0x8C4690}};
    CompoundSetup s;
    for (Case const& c : cases) {
        s.settings(0, 100, c.mode);
        ASSERT_EQ(s.h.render(), 0);
        EXPECT_EQ(s.h.pixel(2, 1), 0xFF000000u | c.at100) << "mode " << c.mode;
        s.settings(0, 60, c.mode);
        ASSERT_EQ(s.h.render(), 0);
        EXPECT_EQ(s.h.pixel(0, 0), 0xFF000000u | c.at60) << "mode " << c.mode;
        s.settings(0, 0, c.mode);
        ASSERT_EQ(s.h.render(), 0);
        EXPECT_EQ(s.h.pixel(1, 0), 0xFFC8641Eu) << "mode " << c.mode;
    }
}

TEST(VyxNodeGraph, HiddenSubGraphLeavesThePictureAsIfItWereNotThere)
{
    // Colours and alphas that differ from pixel to pixel, through colour and alpha links.
    QImage picture = makeGradientImage(5, 4);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, (unsigned(40 + 50 * x + 7 * y) << 24) | (picture.pixel(x, y) & 0xFFFFFFu));

    // The set-up links the source's colour and alpha straight to the destination.
    EffectHarness without(picture);
    ASSERT_EQ(without.render(), 0);
    const QImage expected = without.result();

    CompoundSetup s;
    s.h.image() = picture;
    ASSERT_EQ(EffectHarness::link(s.h.source(), "alpha", s.sub, "alphaIn"), 0);
    ASSERT_EQ(EffectHarness::link(s.sub, "alphaOut", s.h.destination(), "alpha"), 0);
    auto* flat = s.h.add<FlatAlphaNode>(s.sub);
    ASSERT_EQ(EffectHarness::link(flat, "out", s.sub->destinationNode(), "alpha"), 0);
    for (int mode : {0, 2, 3, 4, 6, 7, 8, 14}) {
        for (int opacity : {0, 37, 50, 100}) {
            s.settings(1, opacity, mode);
            ASSERT_EQ(s.h.render(), 0);
            EXPECT_EQ(s.h.result(), expected) << "mode " << mode << ", opacity " << opacity;
            EXPECT_EQ(s.h.pixel(3, 2), expected.pixel(3, 2)) << "mode " << mode << ", opacity " << opacity;
            // Shown again, the same settings change the picture.
            if (opacity > 0) {
                s.settings(0, opacity, mode);
                ASSERT_EQ(s.h.render(), 0);
                EXPECT_NE(s.h.result(), expected) << "mode " << mode << ", opacity " << opacity;
            }
        }
    }
}

TEST(VyxNodeGraph, EffectWithoutColourSourceBlendsBlack)
{
    CompoundSetup s;
    auto* mute = s.h.add<MuteNode>(s.sub);
    ASSERT_EQ(EffectHarness::link(mute, "out", s.sub->destinationNode(), "rgb"), 0);
    // Read as a compound node the effect's colour is 0: Normal at 60 gives 40% of the input.
    s.settings(0, 60, 0);
    ASSERT_EQ(s.h.render(), 0);
    EXPECT_EQ(s.h.pixel(0, 0), 0xFF50280Cu);
}

TEST(VyxNodeGraph, CompoundAlphaFollowsTheInputWithoutAnAlphaLink)
{
    CompoundSetup s;
    s.h.image() = makeImage(3, 2, 0x80C8641Eu);
    ASSERT_EQ(EffectHarness::link(s.sub, "alphaOut", s.h.destination(), "alpha"), 0);
    ASSERT_EQ(s.h.render(), 0);
    EXPECT_EQ(s.h.pixel(0, 0) >> 24, 0x80u);
    // The effect drops its alpha link: its input's alpha, not transparency.
    s.sub->destinationNode()->terminal(1)->disconnectAll();
    s.settings(0, 100, 0);
    ASSERT_EQ(s.h.render(), 0);
    EXPECT_EQ(s.h.pixel(0, 0), 0x806496FAu);
    // An alpha effect mixed by the opacity over the input's alpha:
    // (200 * 30 + 128 * 70 + 50) / 100 = 150.
    auto* flat = s.h.add<FlatAlphaNode>(s.sub);
    ASSERT_EQ(EffectHarness::link(flat, "out", s.sub->destinationNode(), "alpha"), 0);
    s.settings(0, 30, 0);
    ASSERT_EQ(s.h.render(), 0);
    EXPECT_EQ(s.h.pixel(0, 0) >> 24, 150u);
    s.settings(0, 100, 0);
    ASSERT_EQ(s.h.render(), 0);
    EXPECT_EQ(s.h.pixel(0, 0) >> 24, 200u);
}

TEST(VyxNodeGraph, LinksToAnUnpreparedSubGraphWork)
{
    EffectHarness h(makeImage(2, 2, 0xFF102030u));
    // A sub-graph without source or destination (as during a document load).
    auto* sub = new VyxNodeGraph(nullptr);
    h.graph()->addNode(sub, -1);
    auto* invert = h.add<InvertNode>();
    // Its output is linked before anything inside exists: accepted, and read once set up.
    ASSERT_EQ(EffectHarness::link(sub, "rgbOut", invert, "in"), 0);
    ASSERT_EQ(EffectHarness::link(invert, "out", h.destination(), "rgb"), 0);
    ASSERT_EQ(EffectHarness::link(h.source(), "rgb", sub, "rgbIn"), 0);
    auto* inner = h.add<InvertNode>(sub);
    ASSERT_EQ(EffectHarness::link(sub->sourceNode(), "rgb", inner, "in"), 0);
    ASSERT_EQ(EffectHarness::link(inner, "out", sub->destinationNode(), "rgb"), 0);
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.pixel(1, 1), 0xFF102030u); // inverted twice
}

TEST(VyxNodeGraph, EffectsArePreparedUpstreamFirst)
{
    InvertNode::preparedOrder.clear();
    EffectHarness h(makeImage(2, 2, 0xFF102030u));
    // The later effect is made first, so list order alone would prepare it first.
    VyxNodeGraph* second = h.graph()->addSubGraph(-1);
    VyxNodeGraph* first = h.graph()->addSubGraph(-1);
    ASSERT_EQ(EffectHarness::link(h.source(), "rgb", first, "rgbIn"), 0);
    ASSERT_EQ(EffectHarness::link(first, "rgbOut", second, "rgbIn"), 0);
    ASSERT_EQ(EffectHarness::link(second, "rgbOut", h.destination(), "rgb"), 0);
    auto* a = h.add<InvertNode>(first);
    auto* b = h.add<InvertNode>(second);
    b->scan = true;
    EffectHarness::link(first->sourceNode(), "rgb", a, "in");
    EffectHarness::link(a, "out", first->destinationNode(), "rgb");
    EffectHarness::link(second->sourceNode(), "rgb", b, "in");
    EffectHarness::link(b, "out", second->destinationNode(), "rgb");
    ASSERT_EQ(h.render(), 0);
    ASSERT_EQ(InvertNode::preparedOrder.size(), 2);
    EXPECT_EQ(InvertNode::preparedOrder[0], a);
    EXPECT_EQ(InvertNode::preparedOrder[1], b);
    // The scan during preparation read the prepared upstream effect.
    EXPECT_EQ(b->scanned, int(~0x102030u & 0xFFFFFFu));
    EXPECT_EQ(h.pixel(0, 0), 0xFF102030u);
    const QList<KelNodes::Node*> order = h.graph()->nodes();
    EXPECT_LT(order.indexOf(first), order.indexOf(second));
    EXPECT_LT(order.indexOf(second), order.indexOf(h.destination()));
}

TEST(VyxNodeGraph, CompoundInputWithoutGeneratorIsKept)
{
    EffectHarness h(makeImage(2, 2, 0xFF102030u));
    VyxNodeGraph* sub = h.graph()->addSubGraph(-1);
    auto* mute = h.add<MuteNode>();
    mute->setName(QStringLiteral("Silent"));
    MessageCapture capture;
    ASSERT_EQ(EffectHarness::link(mute, "out", sub, "rgbIn"), 0);
    EXPECT_EQ(capture.messages(),
              QStringList{QStringLiteral("VyxNodeGraph::onConnect() error: failed to get 3D "
                                         "interface from \"out\" of \"Silent\"")});
    EXPECT_EQ(sub->getTerminal(QStringLiteral("rgbIn"))->numConnections(), 1);
    // Its inner source then reads its own picture.
    ASSERT_EQ(EffectHarness::link(sub, "rgbOut", h.destination(), "rgb"), 0);
    ASSERT_EQ(h.render(), 0);
    EXPECT_EQ(h.pixel(1, 0), 0xFF102030u);
}
