#include "browser/ThumbnailLoader.h"

#include "io/picture/PictureReader.h"
#include "io/picture/ReaderReaper.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QPainter>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace {

constexpr int thumbWidth = 120;
constexpr int thumbHeight = 80;

// Files read at once through the program's own readers, each in a reader process of its own: a
// folder's pictures are decoded side by side, as the in-process thread could not while it also
// waited for answers. Two, so that a pick or a render beside them still finds a core.
constexpr int parallelReads = 2;

// Long enough for any picture within the cap to finish decoding, so that a normal close does
// not end the program under a decoder; a read stalled longer is left behind.
constexpr std::chrono::milliseconds closingGrace(1000);

// GUI thread only. Never freed: a pixmap must not outlive the application object.
QPixmap& placeholder()
{
    static QPixmap* pixmap = new QPixmap(thumbWidth, thumbHeight);
    return *pixmap;
}

// What tells one state of a file from the next: a file written again has another.
struct FileStamp {
    qint64 modified = 0;
    qint64 size = -1;
    bool operator==(FileStamp const&) const = default;
};

FileStamp stampOf(QFileInfo const& file)
{
    return {file.lastModified().toMSecsSinceEpoch(), file.size()};
}

} // namespace

struct ThumbnailLoader::Shared {
    struct Entry {
        QImage thumbnail;
        QSize size;
        FileStamp stamp;
    };
    struct Request {
        QString path;
        QString folder;
        FileStamp stamp;
    };

    Reader reader;
    std::mutex mutex;
    std::condition_variable idle;
    // Guarded by the mutex, as everything below. A path stands in the queue once at most.
    QList<Request> queue;
    QSet<QString> queued;
    // The paths being read now, each with the stamp its request saw.
    QHash<QString, FileStamp> reading;
    // The folder of the latest request: its files are read before the others'.
    QString newestFolder;
    QHash<QString, Entry> cache;
    // Files on a mount where a reader the program let go of is held (a share that stopped
    // answering), or whose read failed while one was let go of there: their blank thumbnail is
    // cached for now, and they are read again once a held reader has ended.
    QHash<QString, Request> setAside;
    // Requests the view made, counted: a read that waits for a mount gives way to a new one.
    std::atomic<quint64> asked{0};
    int heldEndedListener = 0;
    // The threads working through the queue, at most `threads`; counted under the mutex, so that
    // a request made while the last is ending is served by a new one.
    int working = 0;
    int threads = 1;
    // Null once the loader is gone: nothing is stored or announced after that.
    ThumbnailLoader* owner = nullptr;
    // Held while a thumbnail is painted; the loader ends between two, and none is painted after.
    std::mutex painting;
    bool ended = false;

    // Without a stamp, whatever was read last from the path.
    Entry const* find(QString const& path, std::optional<FileStamp> const& stamp) const
    {
        const auto it = cache.constFind(path);
        return it != cache.cend() && (!stamp || it->stamp == *stamp) ? &*it : nullptr;
    }

    // A queued request takes the file's state as it is now; a read under way of that same state
    // answers it already. A read of an older one leaves the request queued, to follow it. True
    // when the request was queued anew.
    bool ask(Request const& request)
    {
        const auto being = reading.constFind(request.path);
        if (being != reading.cend() && *being == request.stamp)
            return false;
        if (queued.contains(request.path)) {
            for (Request& waiting : queue) {
                if (waiting.path == request.path)
                    waiting.stamp = request.stamp;
            }
            return false;
        }
        queued.insert(request.path);
        queue.append(request);
        return true;
    }

    // A request taken but not read yet goes back first in line.
    void putBack(Request const& request)
    {
        if (queued.contains(request.path))
            return;
        queued.insert(request.path);
        queue.prepend(request);
    }

    // Blank for now, read again once the mount answers.
    void putAside(Request const& request)
    {
        setAside.insert(request.path, request);
        cache.insert(request.path, Entry{blankImage(), QSize(), request.stamp});
        if (owner)
            emit owner->thumbnailReady(request.path);
    }

    struct Taken {
        Request request;
        // A reader let go of from its mount may still end: wait for it before reading.
        bool mountEnding = false;
    };

    // The next request to read, off the queue: of files on mounts that answer, the newest
    // folder's first; else one whose mount has a reader ending. Files on a mount with a held
    // reader are set aside. None when each left waits for a read of its file under way, whose
    // thread takes it next.
    std::optional<Taken> take()
    {
        qsizetype chosen = -1;
        qsizetype ending = -1;
        for (qsizetype i = 0; i < queue.size(); ++i) {
            Request const& request = queue.at(i);
            if (reading.contains(request.path))
                continue;
            const ReaderReaper::Hold hold = ReaderReaper::holdOn(request.path);
            if (hold == ReaderReaper::Hold::Held) {
                queued.remove(request.path);
                putAside(queue.takeAt(i--));
                continue;
            }
            const bool newest = request.folder == newestFolder;
            if (hold == ReaderReaper::Hold::Ending) {
                if (ending < 0 || (newest && queue.at(ending).folder != newestFolder))
                    ending = i;
                continue;
            }
            if (newest) {
                chosen = i;
                break;
            }
            if (chosen < 0)
                chosen = i;
        }
        const bool mountEnding = chosen < 0;
        if (mountEnding)
            chosen = ending;
        if (chosen < 0)
            return std::nullopt;
        Request request = queue.takeAt(chosen);
        queued.remove(request.path);
        return Taken{request, mountEnding};
    }

    // Under the mutex: threads for what is queued, up to `threads`.
    static void startWork(std::shared_ptr<Shared> const& shared)
    {
        while (shared->working < shared->threads && !shared->queue.isEmpty()) {
            ++shared->working;
            std::thread(&ThumbnailLoader::work, shared).detach();
        }
    }
};

ThumbnailLoader::ThumbnailLoader(Reader reader, int readsAtOnce) : m_shared(std::make_shared<Shared>())
{
    if (readsAtOnce > 0)
        m_shared->threads = readsAtOnce;
    else
        m_shared->threads = reader ? 1 : std::max(1, std::min(parallelReads, QThread::idealThreadCount()));
    // Photoshop files, and Targa files Qt's reader refuses, as a source picture reads them: in
    // the same request, so that a reader that stops answering costs one time limit.
    m_shared->reader = reader ? std::move(reader) : Reader([](QString const& path, QSize fitInto, QSize* fullSize) {
        return PictureReader::readThumbnail(path, fitInto, fullSize);
    });
    m_shared->owner = this;
    // A held reader that ended: its mount answers again (as far as anyone knows).
    m_shared->heldEndedListener = ReaderReaper::onHeldEnded([weak = std::weak_ptr<Shared>(m_shared)] {
        if (std::shared_ptr<Shared> shared = weak.lock())
            readSetAsideAgain(shared);
    });
}

void ThumbnailLoader::readSetAsideAgain(std::shared_ptr<Shared> const& shared)
{
    std::lock_guard lock(shared->mutex);
    if (!shared->owner)
        return;
    for (auto it = shared->setAside.begin(); it != shared->setAside.end();) {
        if (ReaderReaper::holdOn(it->path) == ReaderReaper::Hold::Held) {
            ++it;
            continue;
        }
        shared->ask(*it);
        it = shared->setAside.erase(it);
    }
    Shared::startWork(shared);
}

ThumbnailLoader::~ThumbnailLoader()
{
    ReaderReaper::removeHeldEnded(m_shared->heldEndedListener);
    // A read waiting for a mount gives up.
    ++m_shared->asked;
    {
        std::lock_guard painting(m_shared->painting);
        m_shared->ended = true;
    }
    std::unique_lock lock(m_shared->mutex);
    m_shared->owner = nullptr;
    m_shared->queue.clear();
    m_shared->queued.clear();
    m_shared->setAside.clear();
    m_shared->idle.wait_for(lock, closingGrace, [this] { return m_shared->working == 0; });
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

QPixmap ThumbnailLoader::getThumbnail(QFileInfo const& file)
{
    placeholder().fill(Qt::black);
    const QString path = file.absoluteFilePath();
    const QString folder = file.absolutePath();
    const FileStamp stamp = stampOf(file);
    std::lock_guard lock(m_shared->mutex);
    m_shared->newestFolder = folder;
    if (Shared::Entry const* entry = m_shared->find(path, stamp))
        return QPixmap::fromImage(entry->thumbnail);
    if (m_shared->ask({path, folder, stamp}))
        ++m_shared->asked;
    Shared::startWork(m_shared);
    return placeholder().copy();
}

QSize ThumbnailLoader::imageSize(QFileInfo const& file) const
{
    const QString path = file.absoluteFilePath();
    const FileStamp stamp = stampOf(file);
    std::lock_guard lock(m_shared->mutex);
    Shared::Entry const* entry = m_shared->find(path, stamp);
    return entry ? entry->size : QSize();
}

bool ThumbnailLoader::hasThumbnail(QFileInfo const& file) const
{
    const QString path = file.absoluteFilePath();
    const FileStamp stamp = stampOf(file);
    std::lock_guard lock(m_shared->mutex);
    return m_shared->find(path, stamp) != nullptr;
}

QSize ThumbnailLoader::imageSize(QString const& path) const
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    std::lock_guard lock(m_shared->mutex);
    Shared::Entry const* entry = m_shared->find(absolute, std::nullopt);
    return entry ? entry->size : QSize();
}

bool ThumbnailLoader::hasThumbnail(QString const& path) const
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    std::lock_guard lock(m_shared->mutex);
    return m_shared->find(absolute, std::nullopt) != nullptr;
}

void ThumbnailLoader::work(std::shared_ptr<Shared> shared)
{
    std::unique_lock lock(shared->mutex);
    while (shared->owner) {
        const std::optional<Shared::Taken> next = shared->take();
        if (!next)
            break;
        const Shared::Request request = next->request;
        shared->reading.insert(request.path, request.stamp);
        const quint64 askedBefore = shared->asked;
        lock.unlock();

        if (next->mountEnding) {
            // Until the reader let go of there ends, or outlives its time; a file asked for
            // meanwhile (another folder's) is read first.
            const ReaderReaper::Hold hold =
                ReaderReaper::await(request.path, [&shared, askedBefore] { return shared->asked != askedBefore; });
            if (hold != ReaderReaper::Hold::None) {
                lock.lock();
                shared->reading.remove(request.path);
                if (hold == ReaderReaper::Hold::Held)
                    shared->putAside(request);
                else
                    shared->putBack(request);
                continue;
            }
        }

        // Kept under the stamp the request saw: the file read is that state or a later one,
        // and a later stamp asks again.
        Shared::Entry entry;
        entry.stamp = request.stamp;
        const QImage picture = shared->reader(request.path, QSize(thumbWidth, thumbHeight), &entry.size);
        {
            // A painter needs the application object, which may be gone with the loader.
            std::lock_guard painting(shared->painting);
            if (!shared->ended)
                entry.thumbnail = makeThumbnail(picture);
        }

        lock.lock();
        shared->reading.remove(request.path);
        if (!shared->owner)
            break;
        shared->setAside.remove(request.path);
        // A read that failed where a reader was let go of may have failed for the mount.
        if (picture.isNull() && ReaderReaper::holdOn(request.path) != ReaderReaper::Hold::None) {
            shared->putAside(request);
            continue;
        }
        shared->cache.insert(request.path, entry);
        emit shared->owner->thumbnailReady(request.path);
    }
    --shared->working;
    shared->idle.notify_all();
}
