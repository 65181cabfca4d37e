#include "browser/ImageView.h"

#include "app/HostileDrags.h"
#include "app/HostileFiles.h"
#include "app/OpenWatcher.h"
#include "app/PipeWatcher.h"
#include "io/picture/PictureFile.h"

#include "MessageBoxes.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImageReader>
#include <QMainWindow>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <memory>

namespace {

const QRgb background = qRgb(28, 28, 28);
const QRgb frame = qRgb(76, 76, 76);

class ImageViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.setCentralWidget(view);
        window.statusBar();
        view->setFixedSize(400, 400);
        window.show();
    }

    QImage grab() { return view->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    QString writeImage(QString const& name, QSize size, QColor colour)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = dir.filePath(name);
        EXPECT_TRUE(image.save(path));
        return path;
    }

    // Sends enter and drop as the platform would; true when the drop was accepted.
    bool dragAndDrop(QMimeData* data)
    {
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view, &enter);
        QDragMoveEvent move(QPoint(12, 12), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view, &move);
        if (move.isAccepted() != enter.isAccepted())
            ADD_FAILURE() << "move verdict differs from enter verdict";
        QDropEvent drop(QPointF(12, 12), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view, &drop);
        return enter.isAccepted() && drop.isAccepted();
    }

    // Item-model drag data of one template-browser item.
    std::unique_ptr<QMimeData> itemData(QString const& marker, QString const& uuid)
    {
        QStandardItemModel model;
        auto* item = new QStandardItem(QStringLiteral("Sepia"));
        item->setData(marker, Qt::UserRole);
        item->setData(uuid, Qt::UserRole + 1);
        model.appendRow(item);
        return std::unique_ptr<QMimeData>(model.mimeData({model.index(0, 0)}));
    }

    QTemporaryDir dir;
    QMainWindow window;
    ImageView* view = new ImageView;
};

TEST_F(ImageViewTest, FitsWithoutEnlargingAndFramesOnlyWhereThereIsRoom)
{
    struct Case {
        QSize image;
        QRect expected;
        bool horizontalLines;
        bool verticalLines;
    };
    const Case cases[] = {
        {{800, 600}, {0, 50, 400, 300}, true, false},
        {{100, 50}, {150, 175, 100, 50}, true, true},
        {{300, 900}, {133, 0, 133, 400}, false, true},
    };
    for (Case const& c : cases) {
        QImage image(c.image, QImage::Format_RGB32);
        image.fill(qRgb(200, 10, 10));
        view->setImage(&image);
        const QRect shown = view->displayRect();
        EXPECT_EQ(shown, c.expected) << c.image.width() << "x" << c.image.height();
        const QImage picture = grab();
        const QPoint centre = shown.center();
        EXPECT_EQ(picture.pixel(centre), qRgb(200, 10, 10));
        // The frame lies one pixel outside the image, above and left of it.
        if (c.horizontalLines) {
            EXPECT_EQ(picture.pixel(centre.x(), shown.top() - 1), frame);
        }
        if (c.verticalLines) {
            EXPECT_EQ(picture.pixel(shown.left() - 1, centre.y()), frame);
        } else {
            EXPECT_NE(picture.pixel(0, centre.y()), frame);
        }
    }
}

// Detail everywhere, so that any other scaling shows; `alpha` below 255 makes it translucent.
QImage detailed(QSize size, int alpha)
{
    QImage image(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgba((x * 7) & 255, (y * 13) & 255, (x * y) & 255, alpha));
    }
    return image;
}

TEST_F(ImageViewTest, PaintsTheImageSmoothlyScaledToTheDisplayedSize)
{
    struct Case {
        QSize image;
        int alpha;
        int cornerAlpha;
        QImage::Format format;
    };
    const Case cases[] = {
        {{1000, 667}, 255, 255, QImage::Format_ARGB32}, {{523, 911}, 255, 255, QImage::Format_ARGB32},
        {{700, 500}, 128, 128, QImage::Format_ARGB32},  {{700, 500}, 255, 254, QImage::Format_ARGB32},
        {{120, 90}, 255, 255, QImage::Format_ARGB32},   {{801, 533}, 255, 255, QImage::Format_RGB32},
    };
    for (Case const& c : cases) {
        QImage image = detailed(c.image, c.alpha);
        image.setPixel(0, 0, qRgba(90, 180, 30, c.cornerAlpha));
        image = image.convertToFormat(c.format);
        view->setImage(&image);
        const QRect shown = view->displayRect();
        QImage expected(view->size(), QImage::Format_RGB32);
        expected.fill(background);
        QPainter painter(&expected);
        painter.drawImage(shown.topLeft(), image.scaled(shown.size(), Qt::IgnoreAspectRatio,
                                                        Qt::SmoothTransformation));
        painter.end();
        EXPECT_EQ(grab().copy(shown), expected.copy(shown)) << c.image.width() << "x" << c.image.height();
    }
}

TEST_F(ImageViewTest, ScalesOnlyForANewImageOrDisplayedSize)
{
    QImage image = detailed({900, 600}, 255);
    view->setImage(&image);
    grab();
    const qint64 first = view->scaledPixmap().cacheKey();
    ASSERT_FALSE(view->scaledPixmap().isNull());
    EXPECT_EQ(view->scaledPixmap().size(), view->displayRect().size());

    // Repaints for messages, exposure and the same picture handed over again scale nothing.
    const std::function<void()> repaints[] = {
        [] {},
        [this] { view->setMessage(QStringLiteral("Rendering in Progress: 40%")); },
        [this] { view->repaint(); },
        [&image, this] { view->setImage(&image); },
    };
    for (auto const& repaint : repaints) {
        repaint();
        grab();
        EXPECT_EQ(view->scaledPixmap().cacheKey(), first);
    }

    view->setFixedSize(300, 300);
    grab();
    const qint64 resized = view->scaledPixmap().cacheKey();
    EXPECT_NE(resized, first);
    EXPECT_EQ(view->scaledPixmap().size(), QSize(300, 200));

    QImage next = detailed({900, 600}, 255);
    view->setImage(&next);
    grab();
    EXPECT_NE(view->scaledPixmap().cacheKey(), resized);

    view->setImage(nullptr);
    grab();
    EXPECT_TRUE(view->scaledPixmap().isNull());
}

TEST_F(ImageViewTest, MessageAndStatusTipFollowTheRender)
{
    view->setMessage(QStringLiteral("Rendering in Progress: 40%"));
    EXPECT_EQ(window.statusBar()->currentMessage(), "Rendering in Progress: 40%");
    // No image: the background and the message only.
    const QImage empty = grab();
    EXPECT_EQ(empty.pixel(200, 200), background);
    EXPECT_EQ(empty.pixel(399, 0), background);

    QImage result(50, 50, QImage::Format_RGB32);
    result.fill(Qt::blue);
    view->setImage(&result);
    EXPECT_TRUE(view->message().isEmpty());
    EXPECT_TRUE(window.statusBar()->currentMessage().isEmpty());

    view->setImage(nullptr);
    EXPECT_TRUE(view->image().isNull());
    EXPECT_EQ(grab().pixel(200, 200), background);
}

TEST_F(ImageViewTest, DroppedImageFileShowsUntilTheNextResult)
{
    const QString first = writeImage("first.png", {40, 40}, Qt::green);
    const QString second = writeImage("second.png", {40, 40}, Qt::red);
    auto data = std::make_unique<QMimeData>();
    data->setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
    QSignalSpy inserted(view, &ImageView::insertTemplate);
    ASSERT_TRUE(dragAndDrop(data.get()));
    EXPECT_EQ(view->sourcePath(), first);
    EXPECT_EQ(view->image().pixel(0, 0), QColor(Qt::green).rgb());
    EXPECT_EQ(inserted.count(), 0);

    // A progress message shows the dropped file again, a result replaces it.
    QImage other(10, 10, QImage::Format_RGB32);
    other.fill(Qt::blue);
    view->setImage(&other);
    view->setMessage(QStringLiteral("Rendering in Progress: 0%"));
    EXPECT_EQ(view->image().pixel(0, 0), QColor(Qt::green).rgb());
    // ... from what was decoded at the drop, not from the file read again at every message.
    ASSERT_TRUE(QFile::remove(first));
    view->setImage(&other);
    view->setMessage(QStringLiteral("Rendering in Progress: 50%"));
    EXPECT_EQ(view->image().pixel(0, 0), QColor(Qt::green).rgb());

    // Files that are no image, and a missing file, are refused and change nothing. The warning a
    // refused drop posts is answered before the next drop, whose read would otherwise open it
    // while it waits.
    MainWindowTest::MessageBoxes boxes({}, QMessageBox::Ok, true);
    QFile text(dir.filePath("notes.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not an image");
    text.close();
    for (QString const& path : {text.fileName(), dir.filePath("missing.png")}) {
        auto refused = std::make_unique<QMimeData>();
        refused->setUrls({QUrl::fromLocalFile(path)});
        const qsizetype answered = boxes.texts.size();
        EXPECT_FALSE(dragAndDrop(refused.get())) << path.toStdString();
        QCoreApplication::sendPostedEvents();
        EXPECT_FALSE(QApplication::activeModalWidget()) << "a box is left open after " << path.toStdString();
        EXPECT_EQ(boxes.texts.size(), answered + 1) << "the refused drop says why: " << path.toStdString();
        EXPECT_EQ(view->sourcePath(), first);
    }
    view->setSourceImage(dir.filePath("missing.png"));
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(QApplication::activeModalWidget());
    EXPECT_EQ(view->sourcePath(), first);
}

// Files another program drags in are opened only when they are regular files, and decoded only
// when their header claims a size the program takes: a pipe would block the view for good, a
// small file claiming 16384 x 16384 pixels would take a gigabyte.
TEST_F(ImageViewTest, HostileDroppedFilesAreRefusedBeforeTheyAreOpenedOrDecoded)
{
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(PictureFile::readerAllocationLimit()); // as the program allows
    const QString shown = writeImage("shown.png", {20, 20}, Qt::green);
    auto first = std::make_unique<QMimeData>();
    first->setUrls({QUrl::fromLocalFile(shown)});
    ASSERT_TRUE(dragAndDrop(first.get()));

    const QString pipe = dir.filePath("pipe.png");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString bomb = dir.filePath("bomb.png");
    {
        QFile file(bomb);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(HostileFiles::pngBomb(16384, 16384));
    }
    const QString folder = dir.filePath("folder.png");
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString refused[] = {pipe, bomb, folder, QStringLiteral("/dev/zero")};
    MainWindowTest::MessageBoxes boxes(QList<QMessageBox::StandardButton>(4, QMessageBox::Ok));
    QStringList warnings;
    for (QString const& path : refused) {
        auto data = std::make_unique<QMimeData>();
        data->setUrls({QUrl::fromLocalFile(path)});
        EXPECT_FALSE(dragAndDrop(data.get())) << path.toStdString();
        QCoreApplication::processEvents();
        EXPECT_EQ(view->sourcePath(), shown) << path.toStdString();
        EXPECT_EQ(view->image().size(), QSize(20, 20)) << path.toStdString();
        // What was dropped says why it was refused, as a picture picked in the browser does; the
        // hover took every one of them, a device too, without looking at it.
        QString reason;
        if (PictureFile::read(path, QSize(), nullptr, &reason).isNull())
            warnings << PictureFile::notOpenedMessage(path, reason);
    }
    EXPECT_EQ(boxes.texts.join(QLatin1Char('|')).toStdString(), warnings.join(QLatin1Char('|')).toStdString());
    for (QString const& text : std::as_const(boxes.texts))
        EXPECT_TRUE(text.contains(QLatin1String("could not be opened.\n\n"))) << text.toStdString();
    QImageReader::setAllocationLimit(limit);
}

// A drag hovering over the view never reads the file it carries: reading even its head would hold
// the window for good while its mount stops answering. So it takes every local file the drop
// could read, whatever its name (a picture named without a suffix, or with one of another
// program's), and no file is opened until the drop, which reads it by its first bytes.
TEST_F(ImageViewTest, HoveringTakesEveryLocalFileAndNeverOpensIt)
{
    const QByteArray png = HostileDrags::smallPng();
    const QStringList names = {"picture.png", "picture.JPG", "picture.jpeg", "picture.jfif", "picture.gif",
                               "picture.bmp", "picture.dib", "picture.pnm", "picture.tif", "picture.webp",
                               "picture.tga", "photo", "k.pjpeg", "m.jpg_large", "r.apng", "picture.txt",
                               "picture.svg", "picture.psd", "picture.exr", "picture.vyxsg", "picture.png.txt",
                               "picture.ico", ".hidden", "picture."};
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    OpenWatcher watcher(folder.path());
    ASSERT_TRUE(watcher.isValid());
    auto hover = [this](QString const& path) {
        auto data = std::make_unique<QMimeData>();
        data->setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view, &enter);
        QDragMoveEvent move(QPoint(12, 12), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view, &move);
        EXPECT_EQ(move.isAccepted(), enter.isAccepted()) << path.toStdString();
        return enter.isAccepted();
    };
    for (QString const& name : names) {
        // Every file holds a picture: the name alone may not refuse it.
        const QString path = folder.filePath(name);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(png);
        file.close();
        watcher.openedFiles();
        EXPECT_TRUE(hover(path)) << name.toStdString();
        EXPECT_EQ(watcher.openedFiles(), QStringList()) << name.toStdString();
    }
    // Nothing is looked at on hover, a device neither: the drop refuses it.
    EXPECT_TRUE(hover(QStringLiteral("/dev/zero")));
    // What is no local file, or names no file, is refused.
    {
        auto data = std::make_unique<QMimeData>();
        data->setUrls({QUrl(QStringLiteral("https://127.0.0.1/picture.png"))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view, &enter);
        EXPECT_FALSE(enter.isAccepted());
        EXPECT_FALSE(hover(folder.path() + QLatin1Char('/')));
    }

    // The drop reads the file, whatever its name, and shows the picture.
    for (QString const& name : names) {
        auto data = std::make_unique<QMimeData>();
        data->setUrls({QUrl::fromLocalFile(folder.filePath(name))});
        watcher.openedFiles();
        EXPECT_TRUE(dragAndDrop(data.get())) << name.toStdString();
        EXPECT_EQ(watcher.openedFiles(), QStringList{name}) << name.toStdString();
        EXPECT_EQ(view->sourcePath(), folder.filePath(name));
        EXPECT_EQ(view->image().size(), QImage::fromData(png).size()) << name.toStdString();
    }
}

// A pipe nobody writes to, named as a picture: the hover takes it by its name without opening
// it, and the drop refuses it without opening it either, so nothing waits for a writer.
TEST_F(ImageViewTest, APipeNamedAsAPictureIsTakenByNameAndRefusedAtTheDrop)
{
    const QString shown = writeImage("shown.png", {20, 20}, Qt::green);
    auto first = std::make_unique<QMimeData>();
    first->setUrls({QUrl::fromLocalFile(shown)});
    ASSERT_TRUE(dragAndDrop(first.get()));

    PipeWatcher pipe(dir.filePath(QStringLiteral("stalled.png")));
    ASSERT_TRUE(pipe.isValid());
    auto data = std::make_unique<QMimeData>();
    data->setUrls({QUrl::fromLocalFile(pipe.path())});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDragMoveEvent move(QPoint(12, 12), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    EXPECT_TRUE(move.isAccepted());
    MainWindowTest::MessageBoxes boxes({QMessageBox::Ok});
    QDropEvent drop(QPointF(12, 12), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &drop);
    EXPECT_FALSE(drop.isAccepted());
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].startsWith(PictureFile::notOpenedMessage(pipe.path(), QString()) + "\n\n"))
        << boxes.texts[0].toStdString();
    EXPECT_EQ(pipe.readerOpens(), 0);
    EXPECT_EQ(view->sourcePath(), shown);
    EXPECT_EQ(view->image().size(), QSize(20, 20));
}

TEST_F(ImageViewTest, OnlyTemplateMarkedItemsAreInsertedOnDrop)
{
    QSignalSpy inserted(view, &ImageView::insertTemplate);
    auto marked = itemData(QStringLiteral("Insert:TemplateObject"), QStringLiteral("{abc}"));
    EXPECT_TRUE(dragAndDrop(marked.get()));
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted.at(0).at(0).toString(), "{abc}");

    auto other = itemData(QStringLiteral("Insert:NodePath"), QStringLiteral("{def}"));
    EXPECT_FALSE(dragAndDrop(other.get()));
    // An item without a marker is not judged by the previous drag's marker.
    QStandardItemModel model;
    auto* bare = new QStandardItem(QStringLiteral("bare"));
    bare->setData(QStringLiteral("{ghi}"), Qt::UserRole + 1);
    model.appendRow(bare);
    std::unique_ptr<QMimeData> unmarked(model.mimeData({model.index(0, 0)}));
    auto again = itemData(QStringLiteral("Insert:TemplateObject"), QStringLiteral("{abc}"));
    EXPECT_TRUE(dragAndDrop(again.get()));
    EXPECT_FALSE(dragAndDrop(unmarked.get()));
    EXPECT_EQ(inserted.count(), 2);
}

} // namespace
