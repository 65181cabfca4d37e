#pragma once

#include <QHash>
#include <QImage>
#include <QMutex>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>

// Makes 120 x 80 thumbnails of image files on a background thread and keeps them for the
// loader's life. Files are read as PictureFile reads them: no file makes the thread wait for
// good (so that the destructor's join ends), and no picture is decoded larger than the cap. The queue and the cache are touched only under the mutex; whether the thread
// is idle is decided under it too, so a request made while the thread is ending is served.
class ThumbnailLoader : public QThread
{
    Q_OBJECT

public:
    ThumbnailLoader();
    // Stops and joins the thread: the image being read is finished and stored, the rest of the
    // queue is dropped.
    ~ThumbnailLoader() override;

    // GUI thread. The cached thumbnail, or a black placeholder while it is being made.
    QPixmap getThumbnail(QString const& path);
    // The pixel size read with the thumbnail; invalid until then or when unreadable.
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

protected:
    void run() override;

private:
    struct Entry {
        QImage thumbnail;
        QSize size;
    };

    mutable QMutex m_mutex;
    QStringList m_queue;
    QHash<QString, Entry> m_cache;
    // Guarded by the mutex: the thread is working through the queue.
    bool m_busy = false;
    std::atomic<bool> m_stop{false};
};
