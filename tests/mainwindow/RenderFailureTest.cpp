// A render that fails for a reason of its own says why in the image view; a cancelled render
// says only that it failed or was cancelled.

#include "MainWindowFixture.h"

#include "app/KelNGObject.h"
#include "app/RenderStatus.h"
#include "app/Renderer.h"
#include "app/TwCore.h"
#include "browser/ImageView.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/RenderStages.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "nodes/LinkBatch.h"
#include "nodes/Terminal.h"
#include "params/ParameterContainer.h"

#include <QDir>
#include <QImage>
#include <QTest>

namespace MainWindowTest {
namespace {

// A clock on which every report of progress is due.
class DueClock : public RenderStatus::Clock
{
public:
    void start() override { m_now = 0; }
    qint64 elapsed() const override { return m_now += 1000; }

private:
    mutable qint64 m_now = 0;
};

class RenderFailure : public MainWindowFixture
{
protected:
    void showPicture()
    {
        const QString path = dir.filePath(QStringLiteral("picture.png"));
        QImage picture(QSize(64, 48), QImage::Format_RGB32);
        picture.fill(qRgb(20, 200, 90));
        ASSERT_TRUE(picture.save(path));
        window->imageChangedInBrowser(path);
        settle();
        ASSERT_TRUE(core()->renderer()->completedSucceeded());
    }
};

TEST_F(RenderFailure, AGraphThatFailsShowsTheReasonAfterTheText)
{
    showPicture();
    KelNGObject* object = addInversion(QStringLiteral("Broken"));
    settle();
    auto* graph = dynamic_cast<KelVyxNodes::VyxNodeGraph*>(object->graph());
    ASSERT_NE(graph, nullptr);
    KelNodes::Node* between = nullptr;
    for (KelNodes::Node* node : graph->nodes()) {
        if (node != graph->sourceNode() && node != graph->destinationNode())
            between = node;
    }
    ASSERT_NE(between, nullptr);
    // Without the node the Filtered Image has no input: the render fails with its reason.
    window->deleteNodeFromGraphView(nullptr, between);
    settle();
    ASSERT_FALSE(core()->renderer()->completedSucceeded());
    EXPECT_EQ(window->imageView()->message().toStdString(),
              "Rendering failed or canceled: the input RGB terminal is not connected, therefore the filtered image "
              "cannot be produced.");
}

// With room for no more stores than a render always has, a nest of noise reductions, each
// level blended over its input, needs more than may be used: the view says how much, on what.
TEST_F(RenderFailure, AGraphNeedingMoreMemoryThanMayBeUsedSaysHowMuchInFigures)
{
    showPicture();
    KelNGObject* object = addInversion(QStringLiteral("Nested"));
    settle();
    auto* graph = dynamic_cast<KelVyxNodes::VyxNodeGraph*>(object->graph());
    ASSERT_NE(graph, nullptr);
    KelNodes::LinkBatch links;
    KelVyxNodes::VyxNodeGraph* level = graph;
    for (int i = 0; i < 12; ++i) {
        KelNodes::Node* destination = level->destinationNode();
        destination->getTerminal(QStringLiteral("rgb"))->disconnectAll();
        destination->getTerminal(QStringLiteral("alpha"))->disconnectAll();
        KelNodes::Node* reduction = level->addNode(QStringLiteral("operator.noiseReduction"), -1);
        KelVyxNodes::VyxNodeGraph* inner = level->addSubGraph(-1);
        ASSERT_TRUE(reduction && inner);
        ASSERT_EQ(inner->setUp(level->originalImage()), 0);
        inner->paramContainer()->setIntParam(QStringLiteral("opacity"), 60);
        links.add(level->sourceNode(), QStringLiteral("rgb"), reduction, QStringLiteral("in"));
        links.add(reduction, QStringLiteral("out"), inner, QStringLiteral("rgbIn"));
        links.add(level->sourceNode(), QStringLiteral("alpha"), inner, QStringLiteral("alphaIn"));
        links.add(inner, QStringLiteral("rgbOut"), destination, QStringLiteral("rgb"));
        links.add(inner, QStringLiteral("alphaOut"), destination, QStringLiteral("alpha"));
        level = inner;
    }
    const int wanted = links.size();
    ASSERT_EQ(links.connectAll(), wanted);
    KelVyxNodes::RenderStages::setBudgetBytesForTests(0);
    core()->start();
    settle();
    KelVyxNodes::RenderStages::setBudgetBytesForTests(KelVyxNodes::RenderStages::kMachineBudget);
    ASSERT_FALSE(core()->renderer()->completedSucceeded());
    const QString shown = window->imageView()->message();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Rendering failed or canceled: this effect graph needs ")))
        << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral(" of picture memory on a 64 \u00d7 48 picture; 49.2 kB may be used.")))
        << shown.toStdString();
}

TEST_F(RenderFailure, ACancelledRenderShowsTheTextAlone)
{
    showPicture();
    addInversion(QStringLiteral("Inverted"));
    settle();
    // Cancelled at the render's first report of progress, on its own thread, as the stop button
    // would be while it runs: whatever the threads' timing, it ends without a picture.
    RenderStatus& status = core()->renderer()->status();
    status.setClock(std::make_unique<DueClock>());
    const QMetaObject::Connection cancelling = QObject::connect(
        &status, &RenderStatus::percentCompleted, &status, [&status] { status.cancel(); }, Qt::DirectConnection);
    core()->start();
    settle();
    QObject::disconnect(cancelling);
    status.setClock(nullptr);
    ASSERT_FALSE(core()->renderer()->completedSucceeded());
    EXPECT_EQ(window->imageView()->message().toStdString(), "Rendering failed or canceled");
}

} // namespace
} // namespace MainWindowTest
