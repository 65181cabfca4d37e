#include "app/CoreTestGraphs.h"

#include "ui_SaveSequence.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "browser/TwSaveSequence.h"
#include "effects/VyxNodeGraph.h"
#include "params/Parameter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace CoreTest;

namespace {

// Clicks OK on every message box that comes up while it lives, keeping their texts.
class WarningCatcher : public QObject
{
public:
    WarningCatcher()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->reject();
            }
        });
        m_timer.start(10);
    }
    QStringList texts;

private:
    QTimer m_timer;
};

class SaveSequenceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QSettings settings;
        settings.remove(QStringLiteral("lastSequenceLocation"));
        settings.remove(QStringLiteral("lastSequenceFilename"));
        core = std::make_unique<TwCore>(nullptr);
        *core->sourceImage() = ramp(16, 12);
    }

    void TearDown() override
    {
        dialog.reset();
        core->clear();
        core.reset();
    }

    KelVyxNodes::VyxNodeGraph* root() const { return core->rootGraph(); }

    // An inversion whose opacity runs from 0 at frame 9 to 100 at frame 11 (container frames),
    // so that the dialog's frames 10, 11 and 12 all differ.
    void addAnimatedInversion()
    {
        KelVyxNodes::VyxNodeGraph* effect = addEffect(root());
        KelUtils::IParameterContainer* container = effect->paramContainer();
        KelUtils::Parameter* opacity = container->getParamByName(QStringLiteral("opacity"));
        ASSERT_NE(opacity, nullptr);
        ASSERT_TRUE(opacity->supportsKeyframes());
        opacity->setCurrentFrame(9);
        ASSERT_EQ(container->setIntParam(QStringLiteral("opacity"), 0), 0);
        ASSERT_GE(opacity->setKeyframeAt(9), 0);
        opacity->setCurrentFrame(11);
        ASSERT_EQ(container->setIntParam(QStringLiteral("opacity"), 100), 0);
        ASSERT_GE(opacity->setKeyframeAt(11), 0);
        core->addObjectFromNodeGraph(effect);
        waitForRenders(*core);
    }

    void makeDialog(QString const& folder)
    {
        dialog = std::make_unique<TwSaveSequence>(nullptr, core.get());
        dialog->ui()->directoryEdit->setText(folder);
    }

    void exportRange(int from, int to)
    {
        dialog->ui()->fromSpinBox->setValue(from);
        dialog->ui()->toSpinBox->setValue(to);
        dialog->ui()->renderButton->click();
    }

    void waitUntilIdle()
    {
        QElapsedTimer timer;
        timer.start();
        while (dialog->isRendering() && timer.elapsed() < 30000)
            QTest::qWait(10);
        ASSERT_FALSE(dialog->isRendering());
        // A cancelled frame's end refreshes the dialog afterwards.
        waitForRenders(*core, 100);
    }

    // What the core renders for the dialog's frame number.
    QImage directRender(int frame)
    {
        core->cancelRender();
        root()->paramContainer()->setCurrentFrame(frame - 1);
        QSignalSpy finished(core.get(), &TwCore::finished);
        core->start();
        EXPECT_TRUE(finished.wait(20000));
        EXPECT_TRUE(core->renderer()->completedSucceeded());
        return core->resultImage()->convertToFormat(QImage::Format_ARGB32);
    }

    QString file(int counter, QString const& folder) const
    {
        return folder + QStringLiteral("/Sequence_%1.png").arg(counter, 5, 10, QLatin1Char('0'));
    }

    QStringList listTexts() const
    {
        QStringList texts;
        for (int i = 0; i < dialog->ui()->listWidget->count(); ++i)
            texts << dialog->ui()->listWidget->item(i)->text();
        return texts;
    }

    QTemporaryDir dir;
    std::unique_ptr<TwCore> core;
    std::unique_ptr<TwSaveSequence> dialog;
};

TEST_F(SaveSequenceTest, OpensWithTheWholeRangeAndRememberedFields)
{
    makeDialog(QString());
    EXPECT_EQ(dialog->ui()->toSpinBox->value(), 100);
    EXPECT_EQ(dialog->ui()->fileNameEdit->text(), "Sequence_");

    QTest::keyClicks(dialog->ui()->directoryEdit, dir.path());
    dialog->ui()->fileNameEdit->clear();
    QTest::keyClicks(dialog->ui()->fileNameEdit, QStringLiteral("Walk_"));
    dialog.reset();
    dialog = std::make_unique<TwSaveSequence>(nullptr, core.get());
    EXPECT_EQ(dialog->ui()->directoryEdit->text(), dir.path());
    EXPECT_EQ(dialog->ui()->fileNameEdit->text(), "Walk_");
}

TEST_F(SaveSequenceTest, ExportsFramesAsNumberedFilesEqualToTheirRenders)
{
    addAnimatedInversion();
    const QString out = dir.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(out));
    makeDialog(out);
    const int usersFrame = root()->paramContainer()->currentFrame();
    exportRange(10, 12);
    EXPECT_TRUE(dialog->isRendering());
    EXPECT_FALSE(dialog->ui()->fileNameEdit->isEnabled());
    EXPECT_FALSE(dialog->ui()->renderButton->isEnabled());
    waitUntilIdle();

    EXPECT_EQ(listTexts(), (QStringList{"Frame 10", "Frame 11", "Frame 12"}));
    // The whole range written: the bar reads 100 %, beside "3 frames written".
    EXPECT_EQ(dialog->ui()->progressBar->value(), dialog->ui()->progressBar->maximum());
    EXPECT_EQ(dialog->ui()->progressBar->text().toStdString(), "100%");
    EXPECT_TRUE(dialog->ui()->renderButton->isEnabled());
    EXPECT_TRUE(dialog->ui()->fileNameEdit->isEnabled());
    EXPECT_FALSE(QFile::exists(file(4, out)));
    // The current frame comes back to where the user left it.
    EXPECT_EQ(root()->paramContainer()->currentFrame(), usersFrame);

    QList<QImage> saved;
    for (int counter = 1; counter <= 3; ++counter) {
        QImage image(file(counter, out));
        ASSERT_FALSE(image.isNull()) << counter;
        saved << image.convertToFormat(QImage::Format_ARGB32);
    }
    EXPECT_NE(saved.at(0), saved.at(1));
    EXPECT_NE(saved.at(1), saved.at(2));
    for (int counter = 1; counter <= 3; ++counter)
        EXPECT_EQ(saved.at(counter - 1), directRender(9 + counter)) << "frame " << 9 + counter;

    // A second export starts its counter again and overwrites.
    exportRange(12, 12);
    waitUntilIdle();
    EXPECT_EQ(QImage(file(1, out)).convertToFormat(QImage::Format_ARGB32), saved.at(2));
    EXPECT_EQ(listTexts(), (QStringList{"Frame 12"}));
}


TEST_F(SaveSequenceTest, CancelTakesEffectWhenTheRunningFrameEnds)
{
    addAnimatedInversion();
    makeDialog(dir.path());
    dialog->show();
    int ends = 0;
    // After frame 4 is saved (and frame 5 is on its way), Cancel is clicked.
    QObject::connect(core.get(), &TwCore::finished, dialog.get(), [&] {
        if (++ends == 4)
            QTimer::singleShot(0, dialog->ui()->cancelButton, &QPushButton::click);
    });
    exportRange(1, 10);
    waitUntilIdle();
    for (int counter = 1; counter <= 4; ++counter)
        EXPECT_TRUE(QFile::exists(file(counter, dir.path()))) << counter;
    EXPECT_FALSE(QFile::exists(file(5, dir.path())));
    EXPECT_EQ(dialog->ui()->listWidget->count(), 4);
    EXPECT_TRUE(dialog->ui()->renderButton->isEnabled());
    EXPECT_TRUE(dialog->isVisible());
    dialog->ui()->cancelButton->click();
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(SaveSequenceTest, AFailedSaveOrRenderStopsWithAWarningNamingTheFile)
{
    for (bool failingRender : {false, true}) {
        SCOPED_TRACE(failingRender ? "failing render" : "failed save");
        QString folder = dir.filePath(QStringLiteral("plain-file/out"));
        if (failingRender) {
            // An Equalize node without input cannot render.
            KelVyxNodes::VyxNodeGraph* effect = root()->addSubGraph(-1);
            QImage bootstrap = solid(1, 1, 0);
            ASSERT_EQ(effect->setUp(&bootstrap), 0);
            KelNodes::Node* equalize = effect->addNode(QStringLiteral("operator.equalize"), -1);
            ASSERT_NE(equalize, nullptr);
            ASSERT_GE(equalize->connect(QStringLiteral("rgb"), effect->destinationNode(),
                                        QStringLiteral("rgb")),
                      0);
            effect->setUp(nullptr);
            core->addObjectFromNodeGraph(effect);
            waitForRenders(*core);
            ASSERT_FALSE(core->renderer()->completedSucceeded());
            folder = dir.path();
        } else {
            addAnimatedInversion();
            // A plain file stands where the folder should be made.
            QFile blocker(dir.filePath(QStringLiteral("plain-file")));
            ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        }
        makeDialog(folder);
        WarningCatcher catcher;
        exportRange(2, 4);
        waitUntilIdle();
        ASSERT_EQ(catcher.texts.size(), 1);
        EXPECT_TRUE(catcher.texts.first().contains(file(1, folder))) << catcher.texts.first().toStdString();
        if (failingRender) {
            EXPECT_TRUE(catcher.texts.first().contains(QStringLiteral("2"))) << "the frame";
        }
        EXPECT_FALSE(QFile::exists(file(1, folder)));
        EXPECT_EQ(dialog->ui()->listWidget->count(), 0);
        EXPECT_TRUE(dialog->ui()->renderButton->isEnabled());
        dialog.reset();
        core->clear();
        waitForRenders(*core);
    }
}



TEST_F(SaveSequenceTest, FrameCancelledFromOutsideIsSavedOnceWithItsOwnContent)
{
    addAnimatedInversion();
    slowDown(*core, 1, 300);
    *core->sourceImage() = ramp(16, 300);
    const QList<QImage> slowExpected{directRender(10), directRender(11), directRender(12)};
    makeDialog(dir.path());
    int ends = 0;
    bool interrupted = false;
    int rounds = 0;
    // Frame 11 is started from the event loop: once it runs, a look-up cancels it.
    std::function<void()> cancelOnceRunning = [&] {
        if (!core->renderer()->isRunning() && ++rounds < 1000) {
            QTimer::singleShot(0, core.get(), cancelOnceRunning);
            return;
        }
        interrupted = core->renderer()->isRunning();
        core->findNode(1);
    };
    QObject::connect(core.get(), &TwCore::finished, dialog.get(), [&] {
        if (++ends == 1)
            QTimer::singleShot(0, core.get(), cancelOnceRunning);
    });
    exportRange(10, 12);
    waitUntilIdle();
    EXPECT_TRUE(interrupted);
    EXPECT_EQ(listTexts(), (QStringList{"Frame 10", "Frame 11", "Frame 12"}));
    EXPECT_FALSE(QFile::exists(file(4, dir.path())));
    for (int counter = 1; counter <= 3; ++counter)
        EXPECT_EQ(QImage(file(counter, dir.path())).convertToFormat(QImage::Format_ARGB32),
                  slowExpected.at(counter - 1))
            << counter;
    EXPECT_NE(slowExpected.at(0), slowExpected.at(1));
}

TEST_F(SaveSequenceTest, EffectsOffExportsFromTheEventLoop)
{
    core->effectsOn(false);
    makeDialog(dir.path());
    exportRange(1, 3);
    // Every frame, the first too, is rendered from the event loop, with the effects off as well:
    // nothing is written when the click returns, and nothing recurses.
    EXPECT_FALSE(QFile::exists(file(1, dir.path())));
    EXPECT_TRUE(dialog->isRendering());
    waitUntilIdle();
    for (int counter = 1; counter <= 3; ++counter)
        EXPECT_EQ(QImage(file(counter, dir.path())).convertToFormat(QImage::Format_ARGB32),
                  core->sourceImage()->convertToFormat(QImage::Format_ARGB32));
    EXPECT_EQ(listTexts(), (QStringList{"Frame 1", "Frame 2", "Frame 3"}));
}

TEST_F(SaveSequenceTest, AnEmptyOrRelativeDirectoryIsRefusedBeforeAnythingIsRendered)
{
    addAnimatedInversion();
    QSignalSpy started(core.get(), &TwCore::finished);
    for (QString const& folder : {QString(), QStringLiteral("   "), QStringLiteral("frames"),
                                  QStringLiteral("./frames"), QStringLiteral(" /frames")}) {
        SCOPED_TRACE(folder.toStdString());
        makeDialog(folder);
        WarningCatcher catcher;
        exportRange(1, 2);
        EXPECT_FALSE(dialog->isRendering());
        ASSERT_EQ(catcher.texts.size(), 1);
        EXPECT_EQ(dialog->ui()->listWidget->count(), 0);
        EXPECT_TRUE(dialog->ui()->renderButton->isEnabled());
        EXPECT_FALSE(QFile::exists(QDir::current().filePath(QStringLiteral("Sequence_00001.png"))));
        EXPECT_FALSE(QFile::exists(QDir::current().filePath(QStringLiteral("frames/Sequence_00001.png"))));
        dialog.reset();
    }
    waitForRenders(*core, 100);
    EXPECT_EQ(started.count(), 0) << "a frame was rendered";
}

TEST_F(SaveSequenceTest, TheDirectoryStartsWithTheLastFolderElseThePicturesFolder)
{
    dialog = std::make_unique<TwSaveSequence>(nullptr, core.get());
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    ASSERT_FALSE(pictures.isEmpty());
    EXPECT_EQ(dialog->ui()->directoryEdit->text(), pictures);
    QSettings().setValue(QStringLiteral("lastSequenceLocation"), dir.path());
    dialog = std::make_unique<TwSaveSequence>(nullptr, core.get());
    EXPECT_EQ(dialog->ui()->directoryEdit->text(), dir.path());
}

TEST_F(SaveSequenceTest, AtTheEndTheDialogSaysWhatWasWrittenAndTheUsersFrameComesBack)
{
    const struct
    {
        const char* name;
        int cancelAfter; // frames saved before Cancel; 0: none
        const char* summary;
        const char* progress; // what the bar reads beside the summary
    } cases[] = {{"whole range", 0, "3 frames written to %1", "100%"},
                 {"cancelled", 1, "1 frame written to %1", "33%"}};
    addAnimatedInversion();
    // The user stands on frame 5, before the animation.
    const QImage usersResult = directRender(5);
    waitForRenders(*core, 100);
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        makeDialog(dir.path());
        EXPECT_EQ(dialog->ui()->cancelButton->text(), QStringLiteral("Cancel"));
        int ends = 0;
        if (c.cancelAfter > 0) {
            QObject::connect(core.get(), &TwCore::finished, dialog.get(), [&] {
                if (++ends == c.cancelAfter)
                    QTimer::singleShot(0, dialog->ui()->cancelButton, &QPushButton::click);
            });
        }
        exportRange(10, 12);
        waitUntilIdle();
        waitForRenders(*core, 100);
        EXPECT_EQ(dialog->ui()->summaryLabel->text(),
                  QString::fromLatin1(c.summary).arg(QDir::toNativeSeparators(dir.path())));
        EXPECT_EQ(dialog->ui()->progressBar->text().toStdString(), c.progress);
        EXPECT_EQ(dialog->ui()->cancelButton->text(), QStringLiteral("Close"));
        EXPECT_EQ(root()->paramContainer()->currentFrame(), 4);
        EXPECT_TRUE(core->renderer()->completedSucceeded());
        EXPECT_EQ(core->resultImage()->convertToFormat(QImage::Format_ARGB32), usersResult);
        dialog.reset();
    }
}

} // namespace
