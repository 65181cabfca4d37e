#include "browser/ThumbnailLoader.h"

#include "app/PictureFile.h"

#include <QMutexLocker>
#include <QPainter>

namespace {

constexpr int thumbWidth = 120;
constexpr int thumbHeight = 80;

// GUI thread only. Never freed: a pixmap must not outlive the application object.
QPixmap& placeholder()
{
    static QPixmap* pixmap = new QPixmap(thumbWidth, thumbHeight);
    return *pixmap;
}

} // namespace

ThumbnailLoader::ThumbnailLoader() = default;

ThumbnailLoader::~ThumbnailLoader()
{
    m_stop.store(true);
    wait();
}

QImage const& ThumbnailLoader::blankImage()
{
    static const QImage blank = [] {
        QImage image(thumbWidth, thumbHeight, QImage::Format_ARGB32_Premultiplied);
        image.fill(0);
        return image;
    }();
    return blank;
}

QImage ThumbnailLoader::makeThumbnail(QImage const& image)
{
    if (image.isNull())
        return blankImage();
    const QImage scaled = image.scaled(thumbWidth, thumbHeight, Qt::KeepAspectRatio, Qt::FastTransformation);
    QImage thumbnail = blankImage().copy();
    const int x = (thumbnail.width() - 1) / 2 - (scaled.width() - 1) / 2;
    const int y = (thumbnail.height() - 1) / 2 - (scaled.height() - 1) / 2;
    QPainter painter(&thumbnail);
    painter.drawImage(x, y, scaled);
    return thumbnail;
}

QPixmap ThumbnailLoader::getThumbnail(QString const& path)
{
    placeholder().fill(Qt::black);
    QMutexLocker lock(&m_mutex);
    const auto it = m_cache.constFind(path);
    if (it != m_cache.cend())
        return QPixmap::fromImage(it->thumbnail);
    m_queue.append(path);
    if (!m_busy && !m_stop.load()) {
        // The thread decided to end under the mutex and takes nothing more from the queue:
        // join it (it no longer needs the mutex) and start it again.
        wait();
        m_busy = true;
        start(QThread::currentThread()->priority());
    }
    return placeholder().copy();
}

QSize ThumbnailLoader::imageSize(QString const& path) const
{
    QMutexLocker lock(&m_mutex);
    return m_cache.value(path).size;
}

bool ThumbnailLoader::hasThumbnail(QString const& path) const
{
    QMutexLocker lock(&m_mutex);
    return m_cache.contains(path);
}

void ThumbnailLoader::run()
{
    QMutexLocker lock(&m_mutex);
    while (!m_queue.isEmpty() && !m_stop.load()) {
        const QString path = m_queue.takeFirst();
        lock.unlock();

        Entry entry;
        entry.thumbnail = makeThumbnail(PictureFile::read(path, QSize(thumbWidth, thumbHeight), &entry.size));

        lock.relock();
        m_cache.insert(path, entry);
        emit thumbnailReady(path);
    }
    // Decided under the mutex: a request after this point starts the thread again.
    m_busy = false;
}
