// What the browser reads, and on which thread. A file on a mount that stops answering holds
// whatever reads it: the browser's type texts are never read from a file (a kernel watch on the
// folder sees every open of a file in it), and the thumbnail loader's end never waits for a read
// that does not return (one blocked on a pipe nobody writes to).

#include "app/OpenWatcher.h"
#include "browser/FileTypeByName.h"
#include "browser/ImageThumbsIconProvider.h"
#include "browser/ThumbnailLoader.h"
#include "browser/VyxBrowserFileSystemModel.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>

namespace {

QByteArray pngBytes()
{
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Files of many kinds, named as a folder holds them: without a suffix, with one that names no
// type or several, of pictures and not, with content that would tell a type or not.
QStringList writeFilesOfManyKinds(QDir const& dir)
{
    const QByteArray png = pngBytes();
    const QList<QPair<QString, QByteArray>> files{
        {QStringLiteral("README"), "plain words\n"},
        {QStringLiteral("Makefile"), "all:\n\ttrue\n"},
        {QStringLiteral("picture-without-suffix"), png},
        {QStringLiteral("script"), "#!/bin/sh\necho\n"},
        {QStringLiteral(".hidden"), "x"},
        {QStringLiteral("notes.txt"), "notes"},
        {QStringLiteral("archive.tar.gz"), "\x1f\x8b\x08"},
        {QStringLiteral("unknown.zzq"), png},
        {QStringLiteral("strings.ts"), "<TS/>"},
        {QStringLiteral("model.m"), "% words"},
        {QStringLiteral("table.sub"), "subtitles"},
        {QStringLiteral("data.dat"), png},
        {QStringLiteral("photo.jpg"), png},
        {QStringLiteral("PHOTO2.JPEG"), png},
        {QStringLiteral("layers.psd"), "8BPS"},
        {QStringLiteral("old.bmp"), "BM"},
        {QStringLiteral("icon.ico"), png},
        {QStringLiteral("scan.tif"), png},
        {QStringLiteral("frame.tga"), png},
        {QStringLiteral("shot.png"), png},
        {QStringLiteral("picture.PNG.txt"), png},
        {QStringLiteral("empty.png"), QByteArray()},
    };
    QStringList names;
    for (auto const& [name, content] : files) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::WriteOnly) && file.write(content) == content.size())
            names << name;
    }
    return names;
}

TEST(BrowserTypeTexts, NoRowColumnOrRoleReadsAFile)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QDir dir(folder.path());
    ASSERT_TRUE(dir.mkdir(QStringLiteral("sub")));
    const QStringList names = writeFilesOfManyKinds(dir);
    ASSERT_EQ(names.size(), 22);
    OpenWatcher watch(folder.path());
    ASSERT_TRUE(watch.isValid());

    VyxBrowserFileSystemModel model;
    QSignalSpy loaded(&model, &QFileSystemModel::directoryLoaded);
    const QModelIndex root = model.setRootPath(folder.path());
    ASSERT_TRUE(loaded.wait(10000));
    ASSERT_GT(model.rowCount(root), 5);

    // Every cell the model serves, in every role but the thumbnail (read off the window's thread
    // on purpose), and as many columns as the base model has.
    int typed = 0;
    for (int row = 0; row < model.rowCount(root); ++row) {
        const QModelIndex first = model.index(row, 0, root);
        for (int column = 0; column < 4; ++column) {
            for (int role = 0; role <= Qt::UserRole + 8; ++role) {
                if (column == 0 && role == Qt::DecorationRole)
                    continue;
                model.data(first.siblingAtColumn(column), role);
            }
        }
        if (!model.type(first).isEmpty() && !model.isDir(first))
            ++typed;
        EXPECT_EQ(first.siblingAtColumn(1).data().toString(), model.isDir(first) ? "Folder" : model.type(first));
    }
    EXPECT_GT(typed, 5);
    // Every file of the folder, listed or not, as the providers would type it.
    const ImageThumbsIconProvider thumbs;
    for (QString const& name : names) {
        const QFileInfo info(dir.filePath(name));
        EXPECT_FALSE(FileTypeByName::typeOf(info).isEmpty()) << name.toStdString();
        EXPECT_EQ(thumbs.type(info), FileTypeByName::typeOf(info));
        EXPECT_EQ(FileTypeByName::shared()->type(info), FileTypeByName::typeOf(info));
        EXPECT_TRUE(FileTypeByName::shared()->icon(info).isNull());
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(watch.openedFiles().join(QStringLiteral(", ")).toStdString(), "") << "files were opened for their type";
}

// A read that waits on a pipe nobody writes to until the test lets it go.
struct StalledRead {
    int fds[2] = {-1, -1};
    std::promise<void> entered;
    std::promise<void> left;
    std::atomic<bool> returned{false};

    StalledRead() { EXPECT_EQ(::pipe(fds), 0); }
    ~StalledRead()
    {
        for (int fd : fds)
            ::close(fd);
    }
};

TEST(ThumbnailLoaderEnd, DoesNotWaitForAReadThatDoesNotReturn)
{
    auto stall = std::make_shared<StalledRead>();
    std::future<void> entered = stall->entered.get_future();
    std::future<void> left = stall->left.get_future();
    // The detached thread keeps the pipe alive through its own reference.
    ThumbnailLoader::Reader reader = [stall](QString const&, QSize, QSize*) {
        stall->entered.set_value();
        char byte = 0;
        const ssize_t got = ::read(stall->fds[0], &byte, 1);
        stall->returned = true;
        stall->left.set_value();
        return got == 1 ? QImage(4, 4, QImage::Format_RGB32) : QImage();
    };

    auto loader = std::make_unique<ThumbnailLoader>(reader);
    QSignalSpy ready(loader.get(), &ThumbnailLoader::thumbnailReady);
    loader->getThumbnail(QFileInfo(QStringLiteral("/stalled/one.png")));
    loader->getThumbnail(QFileInfo(QStringLiteral("/stalled/two.png")));
    // Generous: a loader that never reads fails here instead of hanging the run.
    ASSERT_EQ(entered.wait_for(std::chrono::minutes(1)), std::future_status::ready);

    loader.reset();
    EXPECT_FALSE(stall->returned) << "the end waited for the read";

    // Let the read return: its thumbnail is dropped, nothing is announced, the thread ends.
    ASSERT_EQ(::write(stall->fds[1], "x", 1), 1);
    ASSERT_EQ(left.wait_for(std::chrono::minutes(1)), std::future_status::ready);
    QCoreApplication::processEvents();
    EXPECT_EQ(ready.count(), 0);
}

} // namespace
