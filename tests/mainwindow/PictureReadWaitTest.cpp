// A picture picked in the browser is read by the reader process while the window waits as it
// waits for a render: timers run, Esc ends the wait and the read, and a reader past its time is
// stopped; the source picture stays as it was and a box says why.

#include "MainWindowFixture.h"
#include "MessageBoxes.h"

#include "app/TwCore.h"
#include "io/picture/PictureReader.h"
#include "mainwindow/TwMainWindow.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using namespace MainWindowTest;

class PictureReadWaitTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
        PictureReader::setProgram(QFileInfo(self).absolutePath() + QStringLiteral("/vyx-picture-reader-standin"));
        hanging = dir.filePath(QStringLiteral("photo.hang"));
        QFile file(hanging);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("any bytes");
    }
    void TearDown() override
    {
        PictureReader::setProgram(QString());
        PictureReader::setTimeLimit(0);
        MainWindowFixture::TearDown();
    }

    QString hanging;
};

TEST_F(PictureReadWaitTest, EscEndsAPickTheReaderHangsOnAndTheWindowWentOnMeanwhile)
{
    MessageBoxes boxes({}, QMessageBox::Ok, true);
    const qint64 before = core()->sourceImage()->cacheKey();
    int ticks = 0;
    QTimer tick;
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        // The window's timers run during the wait; after a few the user presses Esc.
        if (++ticks == 5)
            QCoreApplication::postEvent(window.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    });
    tick.start();
    window->imageChangedInBrowser(hanging);
    tick.stop();
    EXPECT_GE(ticks, 5);
    EXPECT_EQ(core()->sourceImage()->cacheKey(), before);
    ASSERT_FALSE(boxes.texts.isEmpty());
    EXPECT_TRUE(boxes.texts.last().contains(QStringLiteral("the read was canceled"))) << qPrintable(boxes.texts.last());
}

TEST_F(PictureReadWaitTest, AReaderPastItsTimeIsRefusedWithThatReasonAndTheNextPickReads)
{
    MessageBoxes boxes({}, QMessageBox::Ok, true);
    PictureReader::setTimeLimit(150);
    const qint64 before = core()->sourceImage()->cacheKey();
    window->imageChangedInBrowser(hanging);
    EXPECT_EQ(core()->sourceImage()->cacheKey(), before);
    ASSERT_FALSE(boxes.texts.isEmpty());
    EXPECT_TRUE(boxes.texts.last().contains(QStringLiteral("The picture's reader took longer than 1 s.")))
        << qPrintable(boxes.texts.last());

    PictureReader::setTimeLimit(0);
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(qRgb(10, 200, 30));
    const QString sound = dir.filePath(QStringLiteral("sound.png"));
    ASSERT_TRUE(picture.save(sound));
    window->imageChangedInBrowser(sound);
    EXPECT_EQ(core()->sourceImage()->size(), QSize(4, 3));
    EXPECT_EQ(core()->sourceImage()->pixel(2, 1), qRgb(10, 200, 30));
}

} // namespace
