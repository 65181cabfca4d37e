// The node-graph view in a real X server: two wired nodes with the real "styles.xml",
// photographed from the screen. The test compares node, wire and grid colours at chosen points
// with the store's values; the picture stays in the build tree for a person to look at.

#include "effects/VyxNodeGraph.h"
#include "nodes/Node.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/VyxNodeGraphView.h"
#include "style/FontSubstitutions.h"
#include "style/KelStyleConfig.h"
#include "style/KelStyleParser.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGraphicsPixmapItem>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <iostream>

namespace {

KelStyleConfig* store()
{
    return KelStyleConfig::instance();
}

bool near(QColor const& a, QColor const& b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
           && std::abs(a.blue() - b.blue()) <= tolerance;
}

class ViewScreenshot : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        FontSubstitutions::install();
        KelStyleParser parser;
        loaded = store()->initialize(QStringLiteral("styles.xml"), &parser, false);
        loadError = parser.errorText();
    }

    // The screen's pixel under a scene pixel of the view (whole coordinates: the pixel whose
    // top-left corner that is).
    QColor at(VyxNodeGraphView const& view, QPointF scenePoint) const
    {
        const QPoint global = view.viewport()->mapToGlobal(view.mapFromScene(scenePoint));
        return shot.pixelColor(global);
    }

    void expectColor(const char* what, VyxNodeGraphView const& view, QPointF scenePoint,
                     QColor const& expected, int tolerance = 0)
    {
        ASSERT_TRUE(expected.isValid()) << what << ": no such colour in the store";
        const QColor seen = at(view, scenePoint);
        EXPECT_TRUE(near(seen, expected, tolerance))
            << what << " at " << scenePoint.x() << "," << scenePoint.y() << ": screen "
            << seen.name().toStdString() << ", store " << expected.name().toStdString();
    }

    static inline bool loaded = false;
    static inline QString loadError;
    QImage shot;
};

TEST_F(ViewScreenshot, NodesWireAndGridShowTheStoresColours)
{
    ASSERT_TRUE(loaded) << loadError.toStdString();
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));

    KelVyxNodes::VyxNodeGraph graph;
    KelNodes::Node* source = graph.addNode(QStringLiteral("generator.const"), -1);
    KelNodes::Node* target = graph.addNode(QStringLiteral("operator.grayscale"), -1);
    ASSERT_TRUE(source && target);
    source->setName(QStringLiteral("Colour"));
    ASSERT_EQ(source->connect(QStringLiteral("out"), target, QStringLiteral("rgb")), 0);
    const QPointF sourcePos(60, 60);
    const QPointF targetPos(400, 60);
    for (auto [node, pos] : {std::pair{source, sourcePos}, std::pair{target, targetPos}}) {
        node->paramContainer()->auxData().insert(QStringLiteral("posX"), pos.x());
        node->paramContainer()->auxData().insert(QStringLiteral("posY"), pos.y());
    }

    VyxNodeGraphView view;
    view.viewKind = 1;
    view.setGeometry(40, 40, 760, 460);
    view.show();
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.setObject(&graph);
    // The source node stays unselected: its outline is transparent.
    view.setSelectedNode(KelNGNode::itemOf(target));
    QTest::qWait(500);

    shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(
        QImage::Format_RGB32);
    ASSERT_FALSE(shot.isNull());
    ASSERT_TRUE(shot.save(QStringLiteral(VYX_NODEVIEW_SCREENSHOT)));
    std::cout << "Screenshot: " << VYX_NODEVIEW_SCREENSHOT << std::endl;

    const QColor background = store()->value<QColor>(QStringLiteral("KelNodeGraphView.backgroundColor"));
    const QColor grid = store()->value<QPen>(QStringLiteral("KelNodeGraphView.gridPen")).color();
    const QColor body = store()->value<QColor>(QStringLiteral("KelNode.backgroundColor"));
    const QColor wire = store()->value<QPen>(QStringLiteral("KelNodeConnection.connectionPen")).color();
    const QColor selected = store()->value<QPen>(QStringLiteral("KelNode.borderPen")).color();

    // Grid: lines every 46 scene pixels over the background, away from the nodes.
    expectColor("grid line", view, QPointF(46, 400), grid);
    expectColor("grid line", view, QPointF(300, 414), grid);
    expectColor("background between lines", view, QPointF(70, 400), background);

    // Node bodies, left of the title, and the selected node's outline.
    expectColor("node body", view, sourcePos + QPointF(10, 10), body);
    expectColor("node body", view, targetPos + QPointF(10, 10), body);
    // The outline's right edge, two pixels wide around x 152, beside the title.
    expectColor("selected outline", view, targetPos + QPointF(152, 12), selected, 2);
    expectColor("unselected outline", view, sourcePos + QPointF(152, 12), background);

    // The straight wire half-way between the nodes: two pixels thick around y + 31, the height
    // of the terminals' middle.
    const int middle = int(sourcePos.x() + 154 + targetPos.x()) / 2;
    expectColor("wire", view, QPointF(middle, sourcePos.y() + 30), wire, 2);
    expectColor("wire", view, QPointF(middle, sourcePos.y() + 31), wire, 2);
    expectColor("above the wire", view, QPointF(middle, sourcePos.y() + 28), background);

    view.setObject(nullptr);
    delete KelNGNode::itemOf(source);
    delete KelNGNode::itemOf(target);
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    QApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    // Pixmaps must not outlive the application object.
    KelStyleConfig::instance()->clear();
    return result;
}
