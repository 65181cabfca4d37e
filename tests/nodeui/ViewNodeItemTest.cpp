// Node items: picture geometry, terminal boxes, toggles, settings, previews and teardown.

#include "ViewTestSupport.h"

#include "nodeui/ElidedTitle.h"
#include "nodeui/KelNodeDescriptionTitle.h"
#include "nodeui/NodeEditHooks.h"
#include "style/KelStyleConfig.h"

#include <gtest/gtest.h>

#include <QMenu>

#include <memory>

using namespace ViewTest;

namespace {

struct GeometryCase
{
    const char* name;
    QList<TerminalSpec> terminals;
    bool terminalsExpanded;
    bool preview;
    int terminalArea;
    int height;
};

} // namespace

TEST(ViewNodeItem, GeometryFollowsTerminalRowsAndToggles)
{
    const QList<GeometryCase> cases = {
        {"no terminals, collapsed", {}, false, false, 0, 38},
        {"one row", {{"in", 4, 0}, {"out", 0, 4}}, true, false, 31, 69},
        {"three inputs, one output", {{"a", 4, 0}, {"b", 4, 0}, {"c", 2, 0}, {"out", 0, 4}}, true,
         false, 59, 97},
        {"one row with preview", {{"in", 4, 0}, {"out", 0, 4}}, true, true, 31, 69 + 118},
        {"collapsed with preview", {{"in", 4, 0}}, false, true, 0, 38 + 118},
    };
    for (GeometryCase const& c : cases) {
        ViewHarness h;
        ProbeNode* node = h.add(c.terminals, QString(), QPointF(10, 10), c.preview);
        KelNGNode item(node);
        item.setTerminalsExpanded(c.terminalsExpanded);
        item.setPreviewExpanded(c.preview);
        item.calculateUI();
        EXPECT_EQ(item.pixmapWidth(), 154) << c.name;
        EXPECT_EQ(item.terminalAreaHeight(), c.terminalArea) << c.name;
        EXPECT_EQ(item.pixmapHeight(), c.height) << c.name;
    }
    ViewHarness h;
    ProbeNode* node = h.add({{"a", 4, 0}, {"b", 4, 0}, {"c", 2, 0}, {"out", 0, 4}});
    KelNGNode item(node);
    item.calculateUI();
    EXPECT_EQ(item.outputRects().value(0), QRectF(138, 26, 10, 10));
    EXPECT_EQ(item.inputRects().value(2), QRectF(6, 54, 10, 10));
}

TEST(ViewNodeItem, TerminalHitsAndWireEndsAlsoWhenCollapsed)
{
    ViewHarness h;
    ProbeNode* node = h.add({{"a", 4, 0}, {"b", 4, 0}, {"out", 0, 4}}, QString(), QPointF(100, 50));
    h.view.setObject(&h.graph);
    KelNGNode* item = h.item(node);
    KelNodes::Terminal* b = node->terminal(1);
    KelNodes::Terminal* out = node->terminal(2);
    EXPECT_EQ(item->rectForTerminal(b), QRectF(106, 90, 10, 10));
    EXPECT_EQ(item->terminalAtPos(QPointF(111, 95), false), b);
    EXPECT_EQ(item->terminalAtPos(QPointF(111, 95), true), nullptr);
    EXPECT_EQ(item->terminalAtPos(QPointF(243, 81), true), out);

    // Collapsed: wires meet the bottom corners, hits still use the expanded boxes.
    item->setTerminalsExpanded(false);
    item->calculateUI();
    item->updatePixmap();
    const int height = item->pixmapHeight();
    EXPECT_EQ(item->rectForTerminal(b), QRectF(105, 50 + height - 16, 10, 10));
    EXPECT_EQ(item->rectForTerminal(out), QRectF(100 + 139, 50 + height - 16, 10, 10));
    EXPECT_EQ(item->terminalAtPos(QPointF(111, 95), false), b);
    // A terminal of another node is nowhere.
    ProbeNode* other = h.add(ColourInOut);
    EXPECT_EQ(item->rectForTerminal(other->terminal(0)), QRectF());
}

TEST(ViewNodeItem, TogglesFlipOnlyOnTheirAreas)
{
    ViewHarness h;
    ProbeNode* plain = h.add(ColourInOut, QString(), QPointF(0, 0));
    ProbeNode* previewing = h.add(ColourInOut, QString(), QPointF(300, 0), true);
    h.view.setObject(&h.graph);
    KelNGNode* item = h.item(plain);
    const int height = item->pixmapHeight();
    EXPECT_FALSE(item->checkForUIActionAtPos(QPointF(60, 10)));
    EXPECT_FALSE(item->checkForUIActionAtPos(QPointF(25, height - 5))) << "no preview to show";
    EXPECT_TRUE(item->checkForUIActionAtPos(QPointF(140, 10)));
    EXPECT_FALSE(item->terminalsExpanded());

    KelNGNode* withPreview = h.item(previewing);
    EXPECT_FALSE(withPreview->previewExpanded()) << "a new item starts collapsed";
    EXPECT_TRUE(withPreview->checkForUIActionAtPos(QPointF(325, withPreview->pixmapHeight() - 5)));
    EXPECT_TRUE(withPreview->previewExpanded());
    EXPECT_EQ(withPreview->pixmapHeight(), 69 + 118);
}

TEST(ViewNodeItem, SettingsSurviveARebuildAndAFreshNodeIsLaidOut)
{
    ViewHarness h;
    ProbeNode* node = h.add(ColourInOut, QString(), QPointF(70, 80));
    h.view.setObject(&h.graph);
    KelNGNode* item = h.item(node);
    item->setHasCustomNodeColor(true);
    item->setCustomNodeColor(QColor(0x12, 0x34, 0x56));
    item->setTerminalsExpanded(false);
    item->pixmapItem()->setPos(90, 110);
    // A second view over the same graph takes the items over; the first lets go.
    h.view.setObject(nullptr);
    delete item;
    auto& settings = node->paramContainer()->auxData();
    EXPECT_EQ(storedPlace(node), QPointF(90, 110));
    EXPECT_EQ(settings.value(QStringLiteral("customNodeColor")).toString(), QStringLiteral("#123456"));
    EXPECT_TRUE(settings.value(QStringLiteral("hasCustomNodeColor")).toBool());
    EXPECT_FALSE(settings.value(QStringLiteral("terminalsAreExpanded")).toBool());
    EXPECT_EQ(node->viewItem(), nullptr);

    h.view.setObject(&h.graph);
    KelNGNode* again = h.item(node);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->pixmapItem()->pos(), QPointF(90, 110));
    EXPECT_EQ(again->customNodeColor(), QColor(0x12, 0x34, 0x56));
    EXPECT_FALSE(again->terminalsExpanded());
    EXPECT_TRUE(again->positionKnown());
}

TEST(ViewNodeItem, PreviewIsSampledOnlyWhileTheRenderIsIdle)
{
    ViewHarness h;
    ProbeNode* node = h.add(ColourInOut, QString(), QPointF(0, 0), true);
    node->paramContainer()->auxData().insert(QStringLiteral("previewIsExpanded"), true);
    bool idle = true;
    NodeEditHooks::setRenderIdleQuery([&] { return idle; });
    h.view.setObject(&h.graph);
    KelNGNode* item = h.item(node);
    const int sampled = node->samples;
    EXPECT_GE(sampled, 1);
    EXPECT_EQ(item->lastPreview().pixelColor(5, 5), QColor(Qt::red));

    idle = false;
    node->previewColour = Qt::blue;
    h.view.setObject(&h.graph);
    h.view.redrawNodes();
    EXPECT_EQ(node->samples, sampled);
    EXPECT_EQ(item->lastPreview().pixelColor(5, 5), QColor(Qt::red)) << "the last preview stays";
    // The kept preview is what the picture shows.
    const QImage picture = item->pixmapItem()->pixmap().toImage();
    const int top = item->terminalAreaHeight() + 19;
    EXPECT_EQ(picture.pixelColor(77, top + 59), QColor(Qt::red));

    idle = true;
    h.view.redrawNodes();
    EXPECT_EQ(item->lastPreview().pixelColor(5, 5), QColor(Qt::blue));
    NodeEditHooks::setRenderIdleQuery({});
}

TEST(ViewNodeItem, PreviewFramesLieRightAgainstTheImage)
{
    ViewHarness h;
    ProbeNode* node = h.add(ColourInOut, QString(), QPointF(0, 0), true);
    node->paramContainer()->auxData().insert(QStringLiteral("previewIsExpanded"), true);
    h.view.setObject(&h.graph);
    KelNGNode* item = h.item(node);
    const QImage picture = item->pixmapItem()->pixmap().toImage();
    const int iw = KelNGNode::kPreviewImageWidth;
    const int ih = KelNGNode::kPreviewImageHeight;
    const int ox = (item->pixmapWidth() - iw) / 2;
    const int iy = item->terminalAreaHeight() + 19 + (KelNGNode::kPreviewHeight - ih) / 2 - 1;
    const int midX = ox + iw / 2;
    const int midY = iy + ih / 2;
    auto penColour = [](const char* key) {
        return KelStyleConfig::instance()->value<QPen>(QLatin1String(key)).color();
    };
    const QColor inner = penColour("KelNode.preview.innerBorderPen");
    const QColor outer = penColour("KelNode.preview.innerBorderPen2");
    ASSERT_NE(inner, outer);
    struct Probe
    {
        const char* side;
        QPoint at;
        QColor colour;
    };
    const QList<Probe> probes = {
        {"left", {ox - 1, midY}, inner},       {"left", {ox - 2, midY}, outer},
        {"top", {midX, iy - 1}, inner},        {"top", {midX, iy - 2}, outer},
        {"right", {ox + iw, midY}, inner},     {"right", {ox + iw + 1, midY}, outer},
        {"bottom", {midX, iy + ih}, inner},    {"bottom", {midX, iy + ih + 1}, outer},
        {"image", {ox + iw - 1, iy + ih - 1}, QColor(Qt::red)},
    };
    for (Probe const& probe : probes)
        EXPECT_EQ(picture.pixelColor(probe.at), probe.colour) << probe.side << " " << probe.at.x() << "," << probe.at.y();
}

TEST(ViewNodeItem, TitlesThatDoNotFitEndInAnEllipsis)
{
    struct Case
    {
        const char* name;
        bool cut;
    };
    const QList<Case> cases = {{"Blur", false}, {"A node name far too long for the title box", true}};
    const QFont nameFont = KelStyleConfig::instance()->value<QFont>(QStringLiteral("KelNode.nameFont"));
    for (Case const& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        ViewHarness h;
        KelNGNode item(h.add(ColourInOut, name));
        KelNodeDescriptionTitle bar;
        bar.resize(150, 19);
        bar.title = name;
        ASSERT_EQ(bar.font().weight(), QFont::Bold) << "measured in the font it is painted in";
        const struct
        {
            const char* painter;
            QString shown;
            QFont font;
            int width;
        } shown[] = {{"node", item.shownTitle(), nameFont, KelNGNode::kTitleWidth},
                     {"bar", bar.shownTitle(), bar.font(), 150 - 16}};
        for (auto const& s : shown) {
            SCOPED_TRACE(std::string(s.painter) + ": " + c.name);
            EXPECT_LE(QFontMetrics(s.font).horizontalAdvance(s.shown), s.width);
            if (!c.cut) {
                EXPECT_EQ(s.shown, name);
                continue;
            }
            ASSERT_TRUE(s.shown.endsWith(QChar(0x2026)));
            EXPECT_GT(s.shown.size(), 1);
            EXPECT_TRUE(name.startsWith(s.shown.chopped(1)));
        }
    }
}

TEST(ViewNodeItem, AnyTitleIsCutToTheLongestHeadThatFitsOnOneLine)
{
    // Titles from a project file can be of any length: half a million characters once took
    // hours, one character cut and the rest measured again at each step.
    const QFont font = KelStyleConfig::instance()->value<QFont>(QStringLiteral("KelNode.nameFont"));
    const QFontMetrics metrics(font);
    const QChar ellipsis(0x2026);
    const QString smile = QString::fromUcs4(U"\U0001F600");
    struct Case
    {
        const char* name;
        QString title;
        QString oneLine; // the title as one line
        int width;
    };
    const QList<Case> cases = {
        {"fits", "Blur", "Blur", 100},
        {"a little long", "Gaussian Blur of the Background", "Gaussian Blur of the Background", 100},
        {"line breaks", "two\nlines\tand a tab", "two lines and a tab", 1000},
        {"half a million", QString(500000, QLatin1Char('W')), QString(500000, QLatin1Char('W')), 100},
        {"half a million, wide box", QString(500000, QLatin1Char('i')), QString(500000, QLatin1Char('i')), 100000},
        {"line breaks, cut", QStringLiteral("line\n").repeated(100000), QStringLiteral("line ").repeated(100000), 100},
        {"surrogate pairs", smile.repeated(250000), smile.repeated(250000), 100},
        {"nothing fits", "Blur", "Blur", 0},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        const QString shown = ElidedTitle::fit(c.title, font, c.width);
        EXPECT_LE(shown.size(), 257);
        EXPECT_FALSE(shown.contains(QLatin1Char('\n')) || shown.contains(QLatin1Char('\t')));
        EXPECT_FALSE(shown.contains(QChar::ReplacementCharacter));
        if (c.oneLine.size() <= 256 && metrics.horizontalAdvance(c.oneLine) <= c.width) {
            EXPECT_EQ(shown, c.oneLine);
            continue;
        }
        ASSERT_TRUE(shown.endsWith(ellipsis));
        const QString head = shown.chopped(1);
        EXPECT_TRUE(c.oneLine.startsWith(head));
        EXPECT_FALSE(!head.isEmpty() && head.back().isHighSurrogate()) << "no half character";
        if (head.size() == 256)
            continue; // cut before measuring, and that fits
        if (head.isEmpty())
            continue; // the "…" alone, even where it does not fit
        EXPECT_LE(metrics.horizontalAdvance(shown), c.width);
        // The longest head that fits: one more character would not.
        const qsizetype next = head.size() + (c.oneLine.at(head.size()).isHighSurrogate() ? 2 : 1);
        EXPECT_GT(metrics.horizontalAdvance(c.oneLine.left(next) + ellipsis), c.width);
    }
}

TEST(ViewNodeItem, TeardownInEitherOrder)
{
    // The view goes while its items live: they leave its scene, nothing is deleted twice.
    {
        ViewHarness h;
        ProbeNode* node = h.add(ColourInOut, QString(), QPointF(0, 0));
        auto* view = new KelNGNodeGraphView;
        view->setObject(&h.graph);
        KelNGNode* item = h.item(node);
        ASSERT_NE(item->pixmapItem()->scene(), nullptr);
        delete view;
        EXPECT_EQ(item->pixmapItem()->scene(), nullptr);
        EXPECT_EQ(storedPlace(node), QPointF(0, 0));
    }
    // An item deleted by the core (its node leaving the graph) leaves the view's scene and its
    // node; the view's next clicks do not reach it.
    {
        ViewHarness h;
        ProbeNode* a = h.add(ColourInOut, QString(), QPointF(0, 0));
        ProbeNode* b = h.add(ColourInOut, QString(), QPointF(300, 0));
        ASSERT_EQ(a->connect(QStringLiteral("out"), b, QStringLiteral("in")), 0);
        h.view.setObject(&h.graph);
        const QPoint onB = h.atTerminal(b, 0, false);
        h.hover(onB);
        h.press(h.at(b, QPointF(60, 10)));
        h.release(h.at(b, QPointF(60, 10)));
        ASSERT_EQ(h.view.selectedNode(), h.item(b));
        delete h.item(b);
        EXPECT_EQ(b->viewItem(), nullptr);
        EXPECT_EQ(h.view.selectedNode(), nullptr);
        EXPECT_EQ(h.view.hoverTerminal(), nullptr);
        h.press(onB);
        h.release(onB);
        h.press(onB, Qt::RightButton);
        SUCCEED();
    }
    // A node destroyed while its item lives on (its graph deleted it): the terminal under the
    // cursor goes with it, and a right click elsewhere does not read it.
    {
        ViewHarness h;
        ProbeNode* a = h.add(ColourInOut, QString(), QPointF(0, 0));
        ProbeNode* b = h.add(ColourInOut, QString(), QPointF(300, 0));
        ASSERT_EQ(a->connect(QStringLiteral("out"), b, QStringLiteral("in")), 0);
        h.view.setObject(&h.graph);
        KelNGNode* itemB = h.item(b);
        const QPoint onA = h.at(a, QPointF(60, 10));
        h.hover(h.atTerminal(b, 0, false));
        ASSERT_NE(h.view.hoverTerminal(), nullptr);
        h.graph.removeNode(b);
        ASSERT_EQ(itemB->node(), nullptr);
        EXPECT_EQ(h.view.hoverTerminal(), nullptr);
        std::unique_ptr<QMenu> menu(h.view.createContextMenu(onA));
        EXPECT_FALSE(menu->actions().contains(h.view.action(QStringLiteral("breakConnections"))));
        EXPECT_TRUE(menu->actions().contains(h.view.action(QStringLiteral("delete"))));
        delete itemB;
    }
    // A node destroyed before its item: the item lets go of it.
    {
        ViewHarness h;
        auto* node = new ProbeNode(ColourInOut);
        h.graph.addNode(node, -1);
        auto* item = new KelNGNode(node);
        item->allocatePixmapItem();
        h.graph.removeNode(node);
        EXPECT_EQ(item->node(), nullptr);
        EXPECT_EQ(item->pixmapItem(), nullptr);
        delete item;
    }
}
