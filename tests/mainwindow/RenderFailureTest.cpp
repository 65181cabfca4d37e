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
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QSemaphore>
#include <QTest>

namespace MainWindowTest {
namespace {

// Holds every render at its start until the gate opens (two seconds at most).
class GateClock : public RenderStatus::Clock
{
public:
    explicit GateClock(QSemaphore* gate) : m_gate(gate) {}
    void start() override
    {
        m_gate->tryAcquire(1, 2000);
        m_timer.start();
    }
    qint64 elapsed() const override { return m_timer.isValid() ? m_timer.elapsed() : 0; }

private:
    QSemaphore* m_gate;
    QElapsedTimer m_timer;
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

TEST_F(RenderFailure, ACancelledRenderShowsTheTextAlone)
{
    showPicture();
    addInversion(QStringLiteral("Inverted"));
    settle();
    QSemaphore gate;
    core()->renderer()->status().setClock(std::make_unique<GateClock>(&gate));
    core()->start();
    for (int round = 0; round < 2000 && !core()->renderer()->isRunning(); ++round)
        QTest::qWait(1);
    ASSERT_TRUE(core()->renderer()->isRunning());
    // Cancelled while it is held at its start, then let go: it ends without a picture.
    core()->renderer()->status().cancel();
    gate.release();
    settle();
    core()->renderer()->status().setClock(nullptr);
    ASSERT_FALSE(core()->renderer()->completedSucceeded());
    EXPECT_EQ(window->imageView()->message().toStdString(), "Rendering failed or canceled");
}

} // namespace
} // namespace MainWindowTest
