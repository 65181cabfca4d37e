#include "app/AddressSpaceLimit.h"
#include "app/HostileFiles.h"
#include "app/HostilePictures.h"
#include "browser/ThumbnailLoader.h"
#include "browser/VyxBrowserFileSystemModel.h"
#include "style/KelStyleConfig.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

QImage solidFile(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

bool writeImage(QString const& path, QImage const& image, char const* format = nullptr)
{
    return image.save(path, format);
}

class FileModelTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString path(QString const& name) const { return dir.filePath(name); }

    // Sets the model's root to the folder and waits until it is listed.
    void load(VyxBrowserFileSystemModel& model)
    {
        QSignalSpy loaded(&model, &QFileSystemModel::directoryLoaded);
        root = model.setRootPath(dir.path());
        ASSERT_TRUE(loaded.wait(10000));
    }

    QStringList names(VyxBrowserFileSystemModel& model) const
    {
        QStringList list;
        for (int row = 0; row < model.rowCount(root); ++row)
            list << model.index(row, 0, root).data().toString();
        list.sort(Qt::CaseInsensitive);
        return list;
    }

    // Asks for the row's icon and waits until its thumbnail has arrived.
    void waitForThumbnail(VyxBrowserFileSystemModel& model, QString const& file)
    {
        const QModelIndex index = model.index(path(file));
        ASSERT_TRUE(index.isValid()) << file.toStdString();
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.data(index, Qt::DecorationRole);
        for (int i = 0; i < 100 && !model.loader()->hasThumbnail(path(file)); ++i)
            changed.wait(200);
        ASSERT_TRUE(model.loader()->hasThumbnail(path(file)));
    }

    QTemporaryDir dir;
    QModelIndex root;
};

TEST_F(FileModelTest, ListsFoldersAndImageFilesRegardlessOfCase)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    ASSERT_TRUE(writeImage(path(QStringLiteral("a.jpg")), solidFile(4, 4, 0xff0000u), "JPG"));
    ASSERT_TRUE(writeImage(path(QStringLiteral("B.JPG")), solidFile(4, 4, 0xff0000u), "JPG"));
    ASSERT_TRUE(writeImage(path(QStringLiteral("c.png")), solidFile(4, 4, 0xff0000u)));
    QFile text(path(QStringLiteral("d.txt")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a picture");
    text.close();

    VyxBrowserFileSystemModel model;
    load(model);
    EXPECT_EQ(names(model), (QStringList{"a.jpg", "B.JPG", "c.png", "sub"}));

    // Only the root folder has children, so a tree shows one flat level.
    const QModelIndex sub = model.index(path(QStringLiteral("sub")));
    EXPECT_TRUE(model.hasChildren(QModelIndex()));
    EXPECT_TRUE(model.hasChildren(root));
    EXPECT_FALSE(model.hasChildren(sub));

    EXPECT_EQ(sub.siblingAtColumn(1).data().toString(), "Folder");
    EXPECT_EQ(sub.siblingAtColumn(2).data().toString(), "");
    const QIcon folderIcon = sub.data(Qt::DecorationRole).value<QIcon>();
    const QPixmap folderPixmap = KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("folder_vyx"));
    ASSERT_FALSE(folderPixmap.isNull());
    EXPECT_EQ(folderIcon.availableSizes().value(0), folderPixmap.size());
    EXPECT_NE(model.index(path(QStringLiteral("c.png")), 1).data().toString(), "Folder");
}

TEST_F(FileModelTest, TypeColumnShowsTheFileSystemTypeTextNotTheSize)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    ASSERT_TRUE(writeImage(path(QStringLiteral("a.jpg")), solidFile(40, 40, 0xff0000u), "JPG"));
    ASSERT_TRUE(writeImage(path(QStringLiteral("c.png")), solidFile(40, 40, 0xff0000u)));
    VyxBrowserFileSystemModel model;
    load(model);
    const struct
    {
        const char* name;
        bool folder;
    } rows[] = {{"a.jpg", false}, {"c.png", false}, {"sub", true}};
    for (auto const& row : rows) {
        SCOPED_TRACE(row.name);
        const QModelIndex index = model.index(path(QString::fromLatin1(row.name)));
        ASSERT_TRUE(index.isValid());
        const QString shown = index.siblingAtColumn(1).data().toString();
        EXPECT_EQ(shown, row.folder ? QStringLiteral("Folder") : model.type(index));
        EXPECT_FALSE(shown.isEmpty());
        if (!row.folder) {
            EXPECT_NE(shown, model.QFileSystemModel::data(index.siblingAtColumn(1)).toString());
        }
    }
}

TEST_F(FileModelTest, BlackPlaceholderUntilTheThumbnailThenDimensions)
{
    ASSERT_TRUE(writeImage(path(QStringLiteral("photo.jpg")), solidFile(4000, 3000, 0xff3080c0u), "JPG"));
    VyxBrowserFileSystemModel model;
    load(model);
    const QModelIndex index = model.index(path(QStringLiteral("photo.jpg")));

    // The Dimensions cell is never read on the GUI thread: empty before the thumbnail.
    EXPECT_EQ(index.siblingAtColumn(2).data().toString(), "");
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    const QImage placeholder =
        index.data(Qt::DecorationRole).value<QIcon>().pixmap(QSize(120, 80)).toImage();
    ASSERT_EQ(placeholder.size(), QSize(120, 80));
    EXPECT_EQ(placeholder.pixel(60, 40), qRgb(0, 0, 0));
    EXPECT_EQ(placeholder.pixel(1, 1), qRgb(0, 0, 0));

    ASSERT_TRUE(changed.wait(20000));
    const QModelIndex topLeft = changed.first().at(0).value<QModelIndex>();
    const QModelIndex bottomRight = changed.first().at(1).value<QModelIndex>();
    EXPECT_EQ(topLeft, index.siblingAtColumn(0));
    EXPECT_EQ(bottomRight, index.siblingAtColumn(2));

    EXPECT_EQ(index.siblingAtColumn(2).data().toString(), "4000 x 3000");
    const QImage thumb = index.data(Qt::DecorationRole).value<QIcon>().pixmap(QSize(120, 80)).toImage();
    ASSERT_EQ(thumb.size(), QSize(120, 80));
    // Placed as ThumbnailPlacement pins: 106 x 80 at (7, 0).
    EXPECT_EQ(qAlpha(thumb.pixel(6, 40)), 0);
    EXPECT_EQ(qAlpha(thumb.pixel(7, 40)), 255);
    EXPECT_NEAR(qBlue(thumb.pixel(60, 40)), 0xc0, 8);
}

TEST_F(FileModelTest, UnreadableFilesGetTheBlankThumbnailAndNoDimensions)
{
    QFile corrupt(path(QStringLiteral("broken.png")));
    ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly));
    corrupt.write("\x89PNG garbage that is no picture");
    corrupt.close();

    VyxBrowserFileSystemModel model;
    load(model);
    waitForThumbnail(model, QStringLiteral("broken.png"));
    const QModelIndex index = model.index(path(QStringLiteral("broken.png")));
    const QImage thumb = index.data(Qt::DecorationRole).value<QIcon>().pixmap(QSize(120, 80)).toImage();
    ASSERT_EQ(thumb.size(), QSize(120, 80));
    for (QPoint p : {QPoint(0, 0), QPoint(60, 40), QPoint(119, 79)})
        EXPECT_EQ(qAlpha(thumb.pixel(p)), 0);
    EXPECT_EQ(index.siblingAtColumn(2).data().toString(), "");
}

TEST_F(FileModelTest, SeventyMegapixelImageIsMeasured)
{
    ASSERT_TRUE(writeImage(path(QStringLiteral("huge.png")), solidFile(10000, 7000, 0xff20c040u)));
    VyxBrowserFileSystemModel model;
    load(model);
    waitForThumbnail(model, QStringLiteral("huge.png"));
    EXPECT_EQ(model.index(path(QStringLiteral("huge.png")), 2).data().toString(), "10000 x 7000");
    const QImage thumb = model.loader()->getThumbnail(path(QStringLiteral("huge.png"))).toImage();
    EXPECT_EQ(qGreen(thumb.pixel(60, 40)), 0xc0);
}

// Photoshop files and Targa files without the 2.0 footer (which Qt's reader refuses) show their
// dimensions and a thumbnail as other rows do, read on the loader's thread as a source picture
// reads them; damaged ones, and other kinds under their names, show none.
TEST_F(FileModelTest, PhotoshopAndTargaRowsShowTheirDimensionsAndThumbnails)
{
    auto copy = [this](QString const& from, QString const& to) {
        QFile in(from);
        QFile out(path(to));
        return in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly) && out.write(in.readAll()) > 0;
    };
    auto write = [this](QString const& name, QByteArray const& bytes) {
        QFile out(path(name));
        return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
    };
    const QString data = QStringLiteral(VYX_TEST_DATA_DIR);
    ASSERT_TRUE(copy(data + "/layered.psd", "layered.psd"));
    ASSERT_TRUE(copy(data + "/flat.psd", "FLAT.PSD"));
    QFile layered(data + "/layered.psd");
    ASSERT_TRUE(layered.open(QIODevice::ReadOnly));
    ASSERT_TRUE(write("cut.psd", layered.readAll().left(400)));
    QImage picture(23, 17, QImage::Format_ARGB32);
    picture.fill(qRgba(30, 90, 200, 255));
    const QByteArray targa = HostilePictures::tga(picture);
    ASSERT_TRUE(write("footed.tga", targa));
    ASSERT_TRUE(write("plain.tga", targa.left(targa.size() - 26)));
    ASSERT_TRUE(write("noise.tga", QByteArray(40, '\x7f')));

    VyxBrowserFileSystemModel model;
    load(model);
    const struct {
        const char* name;
        const char* dimensions;
    } rows[] = {
        {"layered.psd", "16 x 12"}, {"FLAT.PSD", "8 x 6"}, {"footed.tga", "23 x 17"}, {"plain.tga", "23 x 17"},
        {"cut.psd", ""}, {"noise.tga", ""},
    };
    for (auto const& row : rows) {
        waitForThumbnail(model, QString::fromLatin1(row.name));
        const QModelIndex index = model.index(path(QString::fromLatin1(row.name)));
        EXPECT_EQ(index.siblingAtColumn(2).data().toString(), QString::fromLatin1(row.dimensions)) << row.name;
        const QImage thumb = model.loader()->getThumbnail(path(QString::fromLatin1(row.name))).toImage();
        ASSERT_EQ(thumb.size(), QSize(120, 80)) << row.name;
        EXPECT_EQ(qAlpha(thumb.pixel(60, 40)), *row.dimensions ? 255 : 0) << row.name;
    }
    const QImage targaThumb = model.loader()->getThumbnail(path(QStringLiteral("plain.tga"))).toImage();
    EXPECT_EQ(targaThumb.pixel(60, 40), qRgba(30, 90, 200, 255));
}

struct Placement {
    QSize image;
    QRect expected;
};

class ThumbnailPlacement : public ::testing::TestWithParam<Placement>
{
};

TEST_P(ThumbnailPlacement, CentredByIntegerHalves)
{
    const Placement p = GetParam();
    QImage image(p.image, QImage::Format_ARGB32);
    image.fill(0xff112233u);
    const QImage thumb = ThumbnailLoader::makeThumbnail(image);
    ASSERT_EQ(thumb.size(), QSize(120, 80));
    QRect opaque;
    for (int y = 0; y < thumb.height(); ++y) {
        for (int x = 0; x < thumb.width(); ++x) {
            if (qAlpha(thumb.pixel(x, y)) == 255)
                opaque |= QRect(x, y, 1, 1);
        }
    }
    EXPECT_EQ(opaque, p.expected);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ThumbnailPlacement,
                         ::testing::Values(Placement{{4000, 3000}, {7, 0, 106, 80}},
                                           Placement{{120, 60}, {0, 10, 120, 60}},
                                           Placement{{53, 80}, {33, 0, 53, 80}},
                                           Placement{{240, 160}, {0, 0, 120, 80}}));

// The loader emits on its own thread: a signal that lands between a look at the count and the
// start of a wait is not one the wait sees, so the wait is taken in short turns until the count
// is reached.
bool waitForCount(QSignalSpy& spy, qsizetype count)
{
    for (int turn = 0; turn < 200 && spy.count() < count; ++turn)
        spy.wait(50);
    return spy.count() >= count;
}

class ThumbnailLoaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        for (int i = 0; i < 40; ++i) {
            const QString file = dir.filePath(QStringLiteral("p%1.png").arg(i));
            ASSERT_TRUE(solidFile(30 + i, 20, qRgb(i * 5, 0, 0)).save(file));
            files << file;
        }
    }
    QTemporaryDir dir;
    QStringList files;
};

// Each request comes as the thread is ending its previous run; none may stay unserved.
TEST_F(ThumbnailLoaderTest, NoRequestIsLostWhileTheThreadEnds)
{
    ThumbnailLoader loader;
    QSignalSpy ready(&loader, &ThumbnailLoader::thumbnailReady);
    for (int i = 0; i < files.size(); ++i) {
        loader.getThumbnail(files.at(i));
        ASSERT_TRUE(waitForCount(ready, i + 1)) << "request " << i << " was not served";
    }
    for (QString const& file : std::as_const(files)) {
        EXPECT_TRUE(loader.hasThumbnail(file));
        EXPECT_EQ(loader.imageSize(file).height(), 20);
    }
    // A cached thumbnail is answered at once, without a new request.
    const int before = int(ready.count());
    const QImage cached = loader.getThumbnail(files.at(3)).toImage();
    EXPECT_EQ(qRed(cached.pixel(60, 40)), 15);
    QTest::qWait(50);
    EXPECT_EQ(ready.count(), before);
}

// A thumbnail costs what a thumbnail needs: a picture whose header claims more pixels than the
// program's cap (a small PNG claiming 22000 x 22000, 2 GB decoded) is refused on its header,
// and a picture within the cap is decoded at the thumbnail's size where its format can (a JPEG
// of 8192 x 8192, 256 MB decoded whole). Bounded in a child process by its address space.
TEST_F(ThumbnailLoaderTest, ThumbnailsAreDecodedSmallAndNeverAboveTheCap)
{
    const QString claimed = dir.filePath(QStringLiteral("claimed.png"));
    {
        QFile file(claimed);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_GT(file.write(HostileFiles::pngBomb(22000, 22000)), 0);
    }
    const QString photo = dir.filePath(QStringLiteral("photo.jpg"));
    ASSERT_TRUE(writeImage(photo, solidFile(8192, 8192, 0xff2060a0u), "JPG"));

    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            AppTest::limitAddressSpace(qint64(192) << 20);
            ThumbnailLoader loader;
            loader.getThumbnail(claimed);
            loader.getThumbnail(photo);
            for (int i = 0; i < 600 && !(loader.hasThumbnail(claimed) && loader.hasThumbnail(photo)); ++i)
                QThread::msleep(100);
            const QImage refused = loader.getThumbnail(claimed).toImage();
            const QImage shown = loader.getThumbnail(photo).toImage();
            const QRgb centre = shown.pixel(60, 40);
            std::fprintf(stderr, "claimed: %d x %d, alpha %d; photo: %d x %d, centre %08x\n",
                         loader.imageSize(claimed).width(), loader.imageSize(claimed).height(),
                         qAlpha(refused.pixel(60, 40)), loader.imageSize(photo).width(),
                         loader.imageSize(photo).height(), centre);
            const bool ok = !loader.imageSize(claimed).isValid() && qAlpha(refused.pixel(60, 40)) == 0
                            && loader.imageSize(photo) == QSize(8192, 8192) && qAlpha(centre) == 255
                            && std::abs(qBlue(centre) - 0xa0) <= 8 && std::abs(qRed(centre) - 0x20) <= 8;
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// A thumbnail and its size belong to the file as it was read: written again (in place or by a
// new file taking its name, in another format, size or colour, or at the same size with only the
// time changed) it is read again; untouched, it is served from the cache.
TEST_F(ThumbnailLoaderTest, AFileWrittenAgainIsReadAgain)
{
    ThumbnailLoader loader;
    QSignalSpy ready(&loader, &ThumbnailLoader::thumbnailReady);
    const QString file = dir.filePath(QStringLiteral("again.img"));
    const char* formats[] = {"PNG", "BMP", "PPM"};
    QDateTime stamp = QDateTime::currentDateTimeUtc().addDays(-1);
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        const QSize size(round % 4 == 3 ? 25 + round - 1 : 25 + round, 16);
        const QRgb colour = qRgb(20 * round, 255 - 20 * round, 100);
        {
            QFile out(round % 2 ? file + QStringLiteral(".new") : file);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            ASSERT_TRUE(solidFile(size.width(), size.height(), colour).save(&out, formats[round % 3]));
        }
        if (round % 2) {
            QFile::remove(file);
            ASSERT_TRUE(QFile::rename(file + QStringLiteral(".new"), file));
        }
        stamp = stamp.addSecs(1);
        QFile touched(file);
        ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
        ASSERT_TRUE(touched.setFileTime(stamp, QFileDevice::FileModificationTime));
        touched.close();

        const int before = int(ready.count());
        loader.getThumbnail(QFileInfo(file));
        ASSERT_TRUE(waitForCount(ready, before + 1));
        EXPECT_EQ(loader.imageSize(QFileInfo(file)), size);
        EXPECT_EQ(loader.getThumbnail(QFileInfo(file)).toImage().pixel(60, 40), colour);
        // Untouched: no new read.
        QTest::qWait(20);
        EXPECT_EQ(ready.count(), before + 1);
    }
}

TEST_F(ThumbnailLoaderTest, DestructorJoinsWithRequestsPending)
{
    auto loader = std::make_unique<ThumbnailLoader>();
    for (int round = 0; round < 3; ++round) {
        for (QString const& file : std::as_const(files))
            loader->getThumbnail(file);
    }
    loader.reset();
    SUCCEED();
}

} // namespace
