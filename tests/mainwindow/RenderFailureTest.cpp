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
