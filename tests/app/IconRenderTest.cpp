#include "AppTestSupport.h"
#include "CoreTestGraphs.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/RenderStatus.h"
#include "app/Renderer.h"
#include "app/TwCore.h"
#include "app/TwIconRender.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "style/KelStyleConfig.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QUuid>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

using KelVyxNodes::VyxNodeGraph;
using CoreTest::inverted;
using CoreTest::solid;

namespace {

const QString kPreview = QStringLiteral("preview");
constexpr QRgb kIconSampleColour = 0xFF2060A0u;

// Slows the render thread down at every progress check and counts the checks.
struct IconSlowClockState
{
    std::atomic<int> delayMs{5};
    std::atomic<int> calls{0};
};

class IconSlowClock : public RenderStatus::Clock
{
public:
    explicit IconSlowClock(std::shared_ptr<IconSlowClockState> state) : m_state(std::move(state)) {}
    void start() override {}
    qint64 elapsed() const override
    {
        m_state->calls.fetch_add(1);
        QThread::msleep(m_state->delayMs.load());
        return 0;
    }

private:
    std::shared_ptr<IconSlowClockState> m_state;
};

class IconRenderTest : public ::testing::Test
{
protected:
    IconRenderTest()
    {
        EXPECT_TRUE(dataHome.makeTemplateFolders());
        savedPreview = KelStyleConfig::instance()->value<QVariant>(kPreview);
        KelStyleConfig::instance()->add(kPreview, QPixmap::fromImage(solid(6, 4, kIconSampleColour)));

        effect = CoreTest::addEffect(&templateRoot);
        instance = std::make_unique<KelNGObject>(effect);
        instance->setTemplateInstance(true);
        record.setUuid(QUuid::createUuid().toString());
        record.setObjectInstance(instance.get());
    }
    ~IconRenderTest() override
    {
        record.setObjectInstance(nullptr);
        instance.reset();
        // No pixmap may outlive the application in the process-wide store.
        KelStyleConfig::instance()->add(kPreview, savedPreview);
    }

    AppTest::ScopedDataHome dataHome;
    QVariant savedPreview;
    VyxNodeGraph templateRoot;
    VyxNodeGraph* effect = nullptr;
    std::unique_ptr<KelNGObject> instance;
    KelTemplate record;
};

TEST_F(IconRenderTest, StoresTheFilteredSampleAndRestoresThePreviousSource)
{
    QImage previous = solid(9, 7, 0xFF000000u);
    ASSERT_EQ(effect->setUp(&previous), 0);

    TwIconRender renderer(QSize(45, 30));
    EXPECT_EQ(renderer.renderIconFor(&record, true), renderer.sampleImage());

    // The icon has the sample's own size, not the size asked for.
    const QImage icon = record.objectIcon().toImage();
    ASSERT_EQ(icon.size(), QSize(6, 4));
    EXPECT_EQ(icon.pixel(2, 1), inverted(kIconSampleColour));
    EXPECT_TRUE(QFileInfo::exists(record.objectIconPath()));

    // Set up and filtered again for the picture it had.
    EXPECT_EQ(effect->originalImage(), &previous);
    ASSERT_EQ(effect->resultImage().size(), previous.size());
    EXPECT_EQ(effect->resultImage().pixel(8, 6), inverted(0xFF000000u));
}

TEST_F(IconRenderTest, TemplateWithoutInstanceIsLeftAlone)
{
    KelTemplate bare;
    bare.setUuid(QUuid::createUuid().toString());
    const unsigned long long serial = templateRoot.renderSerial();
    TwIconRender renderer(QSize(45, 30));
    EXPECT_EQ(renderer.renderIconFor(&bare, true), renderer.sampleImage());
    EXPECT_EQ(renderer.renderIconFor(nullptr, true), renderer.sampleImage());
    EXPECT_TRUE(bare.objectIcon().isNull());
    EXPECT_EQ(templateRoot.renderSerial(), serial);
}

TEST_F(IconRenderTest, MissingPreviewStoresNoIcon)
{
    KelStyleConfig::instance()->add(kPreview, QVariant());
    QImage previous = solid(2, 2, 0xFF00FF00u);
    ASSERT_EQ(effect->setUp(&previous), 0);
    TwIconRender renderer(QSize(45, 30));
    EXPECT_TRUE(renderer.sampleImage()->isNull());
    renderer.renderIconFor(&record, true);
    EXPECT_TRUE(record.objectIcon().isNull());
    EXPECT_FALSE(QFileInfo::exists(record.objectIconPath()));
    EXPECT_EQ(effect->originalImage(), &previous);
    EXPECT_EQ(effect->resultImage().pixel(0, 0), inverted(0xFF00FF00u));
}

// With a core whose render thread is busy.
class IconRenderBesideCoreTest : public IconRenderTest
{
protected:
    IconRenderBesideCoreTest()
    {
        core = std::make_unique<TwCore>(nullptr);
        core->renderer()->status().setClock(std::make_unique<IconSlowClock>(clock));
        // Tall enough that the slow clock keeps a render running until the test has caught it.
        *core->sourceImage() = QImage(16, 4000, QImage::Format_ARGB32);
        core->sourceImage()->fill(0xFF000000u);
    }
    ~IconRenderBesideCoreTest() override
    {
        core->cancelRender();
        core->setRenderBlocked(true);
        QCoreApplication::processEvents();
    }

    bool waitUntilRowsRun()
    {
        return QTest::qWaitFor([this] { return clock->calls.load() > 0; }, 10000);
    }

    std::shared_ptr<IconSlowClockState> clock = std::make_shared<IconSlowClockState>();
    std::unique_ptr<TwCore> core;
};

TEST_F(IconRenderBesideCoreTest, CurrentGraphIsCancelledAndRenderedAgain)
{
    // The Templates page: the template's own graph is what the core renders.
    core->setCurrentGraph(effect);
    QSignalSpy finished(core.get(), &TwCore::finished);
    core->start();
    ASSERT_TRUE(waitUntilRowsRun());

    TwIconRender renderer(QSize(45, 30), core.get());
    renderer.renderIconFor(&record, true);
    EXPECT_EQ(record.objectIcon().toImage().pixel(0, 0), inverted(kIconSampleColour));
    // The graph is back on the core's source, and the render thread was stopped for it.
    EXPECT_EQ(effect->originalImage(), core->sourceImage());
    EXPECT_FALSE(core->renderer()->isRunning());
    EXPECT_EQ(finished.count(), 0);

    // The core starts it again from the event loop; only that render is announced.
    clock->delayMs = 0;
    ASSERT_TRUE(finished.wait(30000));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !core->renderer()->isRunning(); }, 10000));
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_TRUE(core->renderer()->completedSucceeded());
    EXPECT_EQ(core->resultImage()->pixel(10, 3999), inverted(0xFF000000u));
}

TEST_F(IconRenderBesideCoreTest, GraphInsideTheCurrentGraphIsCancelledToo)
{
    // A project object's template copy: its instance's graph lies in the graph being rendered.
    core->setCurrentGraph(&templateRoot);
    QSignalSpy finished(core.get(), &TwCore::finished);
    core->start();
    ASSERT_TRUE(waitUntilRowsRun());
    TwIconRender renderer(QSize(45, 30), core.get());
    renderer.renderIconFor(&record, true);
    EXPECT_FALSE(core->renderer()->isRunning());
    EXPECT_FALSE(record.objectIcon().isNull());
    clock->delayMs = 0;
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_TRUE(core->renderer()->completedSucceeded());
}

TEST_F(IconRenderBesideCoreTest, OtherGraphRendersBesideTheRunningRender)
{
    // The core renders its root graph; the template graph belongs to no project.
    QSignalSpy finished(core.get(), &TwCore::finished);
    core->start();
    ASSERT_TRUE(waitUntilRowsRun());
    const quint64 generation = core->renderer()->generation();

    TwIconRender renderer(QSize(45, 30), core.get());
    renderer.renderIconFor(&record, true);
    EXPECT_EQ(record.objectIcon().toImage().pixel(0, 0), inverted(kIconSampleColour));
    EXPECT_TRUE(core->renderer()->isRunning()) << "the project's render was left running";
    EXPECT_EQ(core->renderer()->generation(), generation);

    clock->delayMs = 0;
    ASSERT_TRUE(finished.wait(30000));
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_TRUE(core->renderer()->completedSucceeded());
}

} // namespace
