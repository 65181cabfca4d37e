// The timeline panel in the real main window on a real (virtual) X server: the frame ruler
// takes the width the controls beside it leave, and shows the keys of the selected node.

#include "MainWindowFixture.h"

#include "browser/TestHome.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "mainwindow/TwMainWindow.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNGNodeGraphView.h"
#include "nodeui/KelTimeline.h"
#include "nodeui/KelTimelineWidget.h"
#include "params/IParameterContainer.h"
#include "style/KelStyleConfig.h"
#include "ui_MainWindow.h"

#include <QTest>

#include <ostream>

VYX_TEST_HOME_ENVIRONMENT("mainwindow_timeline")

namespace MainWindowTest {
namespace {

struct RulerCase
{
    int width;
    // The browser in the timeline's place while the node is picked: the ruler is scaled hidden.
    bool pickedWhileHidden;
};

void PrintTo(RulerCase const& c, std::ostream* out)
{
    *out << c.width << (c.pickedWhileHidden ? " px, picked while hidden" : " px");
}

class TimelineWindow : public MainWindowFixture, public ::testing::WithParamInterface<RulerCase>
{
};

TEST_P(TimelineWindow, RulerTakesTheFreeWidthAndDrawsTheSelectedNodesKeys)
{
    const int width = GetParam().width;
    window->showNormal();
    window->resize(width, 760);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->width() == width; }, 5000)) << window->width();
    window->form()->actionToggleBrowser->setChecked(GetParam().pickedWhileHidden);

    KelNGObject* object = addInversion(QStringLiteral("F"));
    core()->cancelRender();
    KelNodes::Node* blur = object->graph()->addNode(QStringLiteral("operator.blur"), -1);
    ASSERT_NE(blur, nullptr);
    window->form()->actionNodeGraphView->trigger();
    core()->setSelectedObject(object);
    settle();
    KelNGNodeGraphView* view = window->objectEditorGraphView();
    ASSERT_NE(view, nullptr);
    view->updateGraph();
    view->setSelectedNode(KelNGNode::itemOf(blur));
    KelTimeline* timeline = window->timeline();
    ASSERT_EQ(timeline->selectedContainer(), blur->paramContainer());
    const QList<int> keys = {5, 20};
    for (int key : keys)
        ASSERT_EQ(blur->paramContainer()->setKeyframeAt(key), 0);
    KelTimelineWidget* ruler = timeline->ruler();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QCoreApplication::processEvents();
    window->form()->actionToggleBrowser->setChecked(false);
    QCoreApplication::processEvents();

    ASSERT_TRUE(ruler->isVisible());
    EXPECT_GE(3 * ruler->width(), timeline->width()) << ruler->width() << " of " << timeline->width();
    // The share of the frames shown is spread over the width the ruler has now.
    const int frames = blur->paramContainer()->numFrames();
    EXPECT_NEAR(ruler->pixelsPerFrame(),
                double(ruler->usableWidth()) / (frames + 1) * 100.0 / ruler->percentVisible(), 1e-9);
    EXPECT_EQ(ruler->moveBarLength(), int(ruler->usableWidth() * ruler->percentVisible() / 100.0));
    const QImage picture = ruler->grab().toImage();
    const QColor keyColour =
        KelStyleConfig::instance()->value<QColor>(QStringLiteral("KelTimeline.keyMarkerColor"));
    for (int key : keys) {
        ASSERT_LE(key, ruler->lastVisibleFrame());
        const int x = int((key - ruler->firstVisibleFrame()) * ruler->pixelsPerFrame() + 7);
        EXPECT_EQ(picture.pixelColor(x + 5, 7), keyColour) << "key " << key;
    }
}

INSTANTIATE_TEST_SUITE_P(WindowWidths, TimelineWindow,
                         ::testing::Values(RulerCase{1200, false}, RulerCase{1600, false},
                                           RulerCase{1200, true}, RulerCase{1600, true}),
                         [](auto const& info) {
                             return std::to_string(info.param.width)
                                    + (info.param.pickedWhileHidden ? "PickedWhileHidden" : "");
                         });

} // namespace
} // namespace MainWindowTest
