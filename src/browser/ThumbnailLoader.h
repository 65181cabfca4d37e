#pragma once

#include <QFileInfo>
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

// Makes 120 x 80 thumbnails of image files on background threads and keeps them for the
// loader's life: two files are read at once through the program's readers, one at a time
// through a reader given. Files are read as PictureFile reads them, and what Qt has no reader for (a
// Photoshop file, a Targa file Qt's reader refuses) as LibraryPictureFile reads it; no picture
// decoded larger than the cap. A thumbnail and its size are kept for the file as it was when it was read (its
// modification time and size): a file changed on disk is read again, and only then.
//
// A view asks again on every repaint while a thumbnail is pending, and a read of a file on a
// mount that stopped answering lasts its whole time limit: a file asked for while it waits in the
// queue or is being read is not queued again, so each state of a file costs one read. The folder
// asked for last is read first, so that the folder shown waits for no more than the reads under
// way in the one left; within a folder files are read in the order asked.
//
// A mount that stops answering costs a reader or two: while a reader the program let go of from a
// file on a mount is held by the system, no file of that mount is read; its files asked for are
// given blank thumbnails for now and read again once a held reader has ended. One let go of lately
// may still end on its own: files elsewhere are read first, then the mount's wait for it.
//
// A read may never return (a mount that stops answering). No thread is ever joined: each works
// on state it shares with the loader, so the loader (and the program) can end while one is
// blocked, and what it reads after that is dropped.
class ThumbnailLoader : public QObject
{
    Q_OBJECT

public:
    // Reads the picture at `path`, decoded no smaller than fits into `fitInto`; *fullSize gets
    // the file's own size. Runs on the loader's thread.
    using Reader = std::function<QImage(QString const& path, QSize fitInto, QSize* fullSize)>;

    // Without a reader, PictureFile reads the files. `readsAtOnce` files are read at once: by
    // default two through the program's readers, one through a reader given (which may not be
    // safe on two threads).
    explicit ThumbnailLoader(Reader reader = {}, int readsAtOnce = 0);
    // Drops the queue and waits a short while for the image being read; a read that has not
    // returned by then is left to itself.
    ~ThumbnailLoader() override;

    // GUI thread. The cached thumbnail of the file as it is now, or a black placeholder while it
    // is being made.
    QPixmap getThumbnail(QFileInfo const& file);
    // The pixel size read with the thumbnail; invalid until then or when unreadable.
    QSize imageSize(QFileInfo const& file) const;
    bool hasThumbnail(QFileInfo const& file) const;
    // By path alone: a request for the file as it is now, and what was last read from the path,
    // whatever the file's state was then (a caller that asks once and waits is answered even if
    // the file changed meanwhile).
    QPixmap getThumbnail(QString const& path) { return getThumbnail(QFileInfo(path)); }
    QSize imageSize(QString const& path) const;
    bool hasThumbnail(QString const& path) const;

    // The 120 x 80 transparent image a thumbnail is painted on, and the whole thumbnail of an
    // unreadable file.
    static QImage const& blankImage();
    // Scaled into 120 x 80 (fast, aspect kept) and centred on the blank image.
    static QImage makeThumbnail(QImage const& image);

signals:
    // A thumbnail for path entered the cache (emitted on the loader thread).
    void thumbnailReady(QString path);

private:
    struct Shared;
    static void work(std::shared_ptr<Shared> shared);
    static void readSetAsideAgain(std::shared_ptr<Shared> const& shared);

    std::shared_ptr<Shared> m_shared;
};
