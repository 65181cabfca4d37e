// The graph view's scene: rebuild, selection, wires of links, scene rectangle, grid, layout and
// node creation.

#include "ViewTestSupport.h"

#include "nodeui/KelNGNodeLayout.h"
#include "nodeui/NodeEditHooks.h"
#include "style/KelStyleConfig.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QSignalSpy>

#include <algorithm>

using namespace ViewTest;

namespace {

class ExposedView : public KelNGNodeGraphView
{
public:
    using KelNGNodeGraphView::drawBackground;
};

QPointF posOf(KelNodes::Node* node)
{
    return KelNGNode::itemOf(node)->pixmapItem()->pos();
}

} // namespace

TEST(ViewScene, RebuildDrawsOneWirePerLinkAndSelectsTheLastNode)
{
    ViewHarness h;
    // A's output keeps several links (mask bit 1).
    ProbeNode* a = h.add({{"in", 4, 0}, {"out", 0, 5}}, QStringLiteral("A"), QPointF(0, 0));
    ProbeNode* b = h.add(ColourInOut, QStringLiteral("B"), QPointF(300, 0));
    ProbeNode* c = h.add({{"in", 4, 0}, {"in2", 4, 0}, {"out", 0, 5}}, QStringLiteral("C"), QPointF(600, 0));
    ASSERT_EQ(a->connect(QStringLiteral("out"), b, QStringLiteral("in")), 0);
    ASSERT_EQ(a->connect(QStringLiteral("out"), c, QStringLiteral("in")), 0);
    // A node linked to itself gets no wire.
    ASSERT_EQ(c->connect(QStringLiteral("out"), c, QStringLiteral("in2")), -1);
    QSignalSpy selected(&h.view, &KelNGNodeGraphView::selectedNodeChanged);
    h.view.setObject(&h.graph);
    ASSERT_EQ(h.view.connections().size(), 2);
    for (KelNGNodeConnection* wire : h.view.connections()) {
        EXPECT_EQ(wire->sourceNode(), h.item(a));
        EXPECT_TRUE(wire->isConnected());
        EXPECT_EQ(wire->lineItem()->scene(), h.view.graphScene());
        // The straight wire runs from right of the output box to left of the input box.
        EXPECT_EQ(wire->lineItem()->connectingLine().begin(), QPointF(148 + 4, 31));
        EXPECT_EQ(wire->lineItem()->connectingLine().end().x(), wire->destinationNode()->pixmapItem()->x());
        EXPECT_TRUE(wire->lineItem()->connectingLine().isStraight());
    }
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.last().at(0).value<KelNGNode*>(), h.item(c));

    // The selection survives a rebuild through the items' flags; selecting again signals again.
    h.view.setSelectedNode(h.item(b));
    h.view.updateGraph();
    EXPECT_EQ(h.view.selectedNode(), h.item(b));
    EXPECT_FALSE(h.item(c)->isSelected());
    EXPECT_EQ(h.item(b)->pixmapItem()->zValue(), 1);
    h.view.setSelectedNode(h.item(b));
    EXPECT_EQ(selected.count(), 4);

    // An empty graph selects nothing.
    KelVyxNodes::VyxNodeGraph empty;
    h.view.setObject(&empty);
    EXPECT_EQ(selected.last().at(0).value<KelNGNode*>(), nullptr);
    EXPECT_TRUE(h.view.connections().isEmpty());
}

TEST(ViewScene, SceneRectangleCoversItemsWithAMargin)
{
    ViewHarness h;
    ProbeNode* node = h.add(ColourInOut, QString(), QPointF(100, 100));
    h.view.setObject(&h.graph);
    const QSize viewport = h.view.viewport()->size();
    EXPECT_EQ(h.view.sceneRect(), QRectF(QPointF(0, 0), QSizeF(viewport)));
    h.item(node)->pixmapItem()->setPos(viewport.width() + 100 - 154, 10);
    h.view.computeLayout();
    EXPECT_EQ(h.view.sceneRect().width(), viewport.width() + 100 + 40);
    EXPECT_EQ(h.view.sceneRect().height(), viewport.height());
    h.view.layoutFrozen = true;
    h.item(node)->pixmapItem()->setPos(0, 0);
    h.view.computeLayout();
    EXPECT_EQ(h.view.sceneRect().width(), viewport.width() + 140);
}

TEST(ViewScene, GridLinesEvery46PixelsInsideTheSceneRectangle)
{
    const QColor grid = KelStyleConfig::instance()->value<QPen>(QStringLiteral("KelNodeGraphView.gridPen")).color();
    const QColor background = KelStyleConfig::instance()->value<QColor>(QStringLiteral("KelNodeGraphView.backgroundColor"));
    ASSERT_NE(grid, background);
    struct Case { int width; QList<int> lines; };
    for (Case c : {Case{92, {46}}, Case{93, {46, 92}}}) {
        ExposedView view;
        view.layoutFrozen = true;
        view.setSceneRect(0, 0, c.width, 50);
        QImage image(100, 50, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            view.drawBackground(&painter, QRectF(0, 0, 100, 50));
        }
        for (int x = 1; x < 100; ++x) {
            const bool line = c.lines.contains(x);
            if (x < c.width) {
                EXPECT_EQ(image.pixelColor(x, 10), line ? grid : background) << c.width << " at " << x;
            }
        }
        EXPECT_EQ(image.pixelColor(5, 46), grid) << "horizontal line at 46";
    }
}

TEST(ViewScene, LayoutPlacesColumnsByLevel)
{
    // A chain P -> Q -> R, one node each level.
    {
        ViewHarness h;
        ProbeNode* p = h.add(ColourInOut);
        ProbeNode* q = h.add({{"in", 4, 0}, {"in2", 4, 0}, {"in3", 4, 0}, {"out", 0, 4}});
        ProbeNode* r = h.add(ColourInOut);
        p->connect(QStringLiteral("out"), q, QStringLiteral("in"));
        q->connect(QStringLiteral("out"), r, QStringLiteral("in"));
        h.view.setObject(&h.graph);
        EXPECT_EQ(posOf(p), QPointF(20, 20));
        EXPECT_EQ(posOf(q), QPointF(20 + 154 + 40, 20));
        EXPECT_EQ(posOf(r), QPointF(20 + 2 * (154 + 40), 20));
    }
    // Sources X and Y feed inputs 2 and 1 of Z: Y above X; a column of heights 69 and 97.
    {
        ViewHarness h;
        ProbeNode* x = h.add(ColourInOut);
        ProbeNode* y = h.add({{"a", 4, 0}, {"b", 4, 0}, {"c", 4, 0}, {"out", 0, 4}});
        ProbeNode* z = h.add({{"in1", 4, 0}, {"in2", 4, 0}, {"out", 0, 4}});
        x->connect(QStringLiteral("out"), z, QStringLiteral("in2"));
        y->connect(QStringLiteral("out"), z, QStringLiteral("in1"));
        h.view.setObject(&h.graph);
        EXPECT_EQ(posOf(y), QPointF(20, 20));
        EXPECT_EQ(posOf(x), QPointF(20, 20 + 97 + 20));
    }
    // A node feeding a level-1 node comes before one that only feeds level 3; a node feeding
    // nothing comes first among those of the last key.
    {
        ViewHarness h;
        ProbeNode* far = h.add(ColourInOut);
        ProbeNode* near = h.add(ColourInOut);
        ProbeNode* lone = h.add(ColourInOut);
        ProbeNode* l1 = h.add(ColourInOut);
        ProbeNode* l2 = h.add(ColourInOut);
        ProbeNode* l3 = h.add({{"in", 4, 0}, {"in2", 4, 0}, {"out", 0, 4}});
        near->connect(QStringLiteral("out"), l1, QStringLiteral("in"));
        l1->connect(QStringLiteral("out"), l2, QStringLiteral("in"));
        l2->connect(QStringLiteral("out"), l3, QStringLiteral("in"));
        far->connect(QStringLiteral("out"), l3, QStringLiteral("in2"));
        h.view.setObject(&h.graph);
        EXPECT_EQ(posOf(near).y(), 20);
        EXPECT_EQ(posOf(lone).y(), 20 + 69 + 20);
        EXPECT_EQ(posOf(far).y(), 20 + 2 * (69 + 20));
        EXPECT_EQ(posOf(l3).x(), 20 + 3 * 194);
    }
}

// After the first column, each node of the column before in its order draws up the nodes linked
// with it, in list order; the unlinked follow in list order.
TEST(ViewScene, LayoutOrdersALaterColumnByTheLinksWithTheColumnBefore)
{
    ViewHarness h;
    ProbeNode* upper = h.add({{"in", 4, 0}, {"out", 0, 5}});
    ProbeNode* lower = h.add({{"a", 4, 0}, {"b", 4, 0}, {"out", 0, 5}});
    // Level 1 in list order: fromLower, fromBoth, fromUpper; `after` stands at level 2.
    ProbeNode* after = h.add(ColourInOut);
    ProbeNode* fromLower = h.add(ColourInOut);
    ProbeNode* fromBoth = h.add({{"in", 4, 0}, {"in2", 4, 0}, {"out", 0, 4}});
    ProbeNode* fromUpper = h.add(ColourInOut);
    ASSERT_EQ(lower->connect(QStringLiteral("out"), fromLower, QStringLiteral("in")), 0);
    ASSERT_EQ(lower->connect(QStringLiteral("out"), fromBoth, QStringLiteral("in2")), 0);
    ASSERT_EQ(upper->connect(QStringLiteral("out"), fromUpper, QStringLiteral("in")), 0);
    ASSERT_EQ(upper->connect(QStringLiteral("out"), fromBoth, QStringLiteral("in")), 0);
    ASSERT_EQ(fromUpper->connect(QStringLiteral("out"), after, QStringLiteral("in")), 0);
    h.view.setObject(&h.graph);
    // First column: upper feeds input 1 of fromBoth, lower input 2.
    ASSERT_LT(posOf(upper).y(), posOf(lower).y());
    const double x = posOf(fromUpper).x();
    QList<std::pair<double, QString>> column;
    for (auto [node, name] : {std::pair{fromLower, "fromLower"}, {fromBoth, "fromBoth"}, {fromUpper, "fromUpper"}}) {
        EXPECT_EQ(posOf(node).x(), x) << name;
        column.append({posOf(node).y(), QLatin1String(name)});
    }
    std::sort(column.begin(), column.end());
    EXPECT_EQ(column.at(0).second, "fromBoth");
    EXPECT_EQ(column.at(1).second, "fromUpper");
    EXPECT_EQ(column.at(2).second, "fromLower");
    EXPECT_GT(posOf(after).x(), x);
}

TEST(ViewScene, LayoutRunsOnlyForAnUnplacedNodeAndTheNextColumnFollowsTheFirstNode)
{
    ViewHarness h;
    ProbeNode* a = h.add(ColourInOut, QString(), QPointF(500, 400));
    ProbeNode* b = h.add(ColourInOut, QString(), QPointF(100, 300));
    h.view.setObject(&h.graph);
    EXPECT_EQ(posOf(a), QPointF(500, 400));
    ProbeNode* c = h.add(ColourInOut);
    a->connect(QStringLiteral("out"), c, QStringLiteral("in"));
    h.view.updateGraph();
    // b feeds nothing: first among the nodes of the last key.
    EXPECT_EQ(posOf(b), QPointF(20, 20));
    EXPECT_EQ(posOf(a), QPointF(20, 20 + 69 + 20));
    EXPECT_EQ(posOf(c).x(), 20 + 194);
}

// A shared project may hold a chain of thousands of nodes: drawing its wires and laying it out
// look at each node and terminal a bounded number of times, not once per link or per level.
TEST(ViewScene, ALongChainIsRebuiltAndLaidOutAtACostInProportionToIt)
{
    const int lengths[] = {30, 480};
    quint64 walked[2] = {0, 0};
    quint64 weighed[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        ViewHarness h;
        QList<ProbeNode*> chain;
        for (int k = 0; k < lengths[i]; ++k) {
            chain.append(h.add(ColourInOut));
            if (k > 0)
                ASSERT_EQ(chain.at(k - 1)->connect(QStringLiteral("out"), chain.at(k), QStringLiteral("in")), 0);
        }
        const quint64 walkedBefore = KelNGNodeGraphView::terminalsWalkedCount();
        const quint64 weighedBefore = KelNGNodeLayout::nodesWeighedCount();
        h.view.setObject(&h.graph);
        walked[i] = KelNGNodeGraphView::terminalsWalkedCount() - walkedBefore;
        weighed[i] = KelNGNodeLayout::nodesWeighedCount() - weighedBefore;

        ASSERT_EQ(h.view.connections().size(), lengths[i] - 1);
        for (int k = 0; k < lengths[i]; k += lengths[i] / 10) {
            EXPECT_EQ(posOf(chain.at(k)), QPointF(20 + k * (154 + 40), 20)) << k;
            if (k > 0) {
                KelNGNodeConnection const* wire = h.view.connections().at(k - 1);
                EXPECT_EQ(wire->sourceNode(), h.item(chain.at(k - 1))) << k;
                EXPECT_EQ(wire->destinationNode(), h.item(chain.at(k))) << k;
            }
        }
        EXPECT_EQ(h.view.selectedNode(), h.item(chain.last()));
    }
    // 16 times the nodes may cost at most 20 times the looking.
    EXPECT_LE(walked[1], 20 * walked[0]) << walked[0] << " " << walked[1];
    EXPECT_LE(weighed[1], 20 * weighed[0]) << weighed[0] << " " << weighed[1];
}

TEST(ViewScene, CreateNodeStoresItsPlaceAndAsksTheRegistryBeforeTheHook)
{
    ViewHarness h;
    h.view.setObject(&h.graph);
    int hooks = 0;
    NodeEditHooks::setPreWriteHook([&] { ++hooks; });
    struct Case { QPoint point; QPointF stored; };
    for (Case c : {Case{QPoint(0, 0), {300, 300}}, Case{QPoint(5, 0), {300, 300}},
                   Case{QPoint(0, 150), {300, 300}}, Case{QPoint(5, 7), {5, 7}}}) {
        KelNGNode* item = h.view.createNode(QStringLiteral("generator.const"), c.point);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(storedPlace(item->node()), c.stored);
        EXPECT_EQ(item->pixmapItem(), nullptr) << "shown at the next rebuild";
    }
    EXPECT_EQ(hooks, 4);
    const int nodes = h.graph.numNodes();
    EXPECT_EQ(h.view.createNode(QStringLiteral("no.such.type")), nullptr);
    EXPECT_EQ(h.graph.numNodes(), nodes);
    EXPECT_EQ(hooks, 4);
    NodeEditHooks::setPreWriteHook({});
    KelNGNodeGraphView noGraph;
    EXPECT_EQ(noGraph.createNode(QStringLiteral("generator.const")), nullptr);
}
