#include "io/picture/PictureReaderService.h"

#include "io/picture/DropRefusal.h"
#include "io/picture/ImageLibrary.h"
#include "io/picture/LibraryPictureFile.h"
#include "io/picture/OpenCost.h"
#include "io/picture/PictureFile.h"
#include "io/picture/PictureLayers.h"
#include "io/picture/RasterPictureReader.h"
#include "io/picture/ReaderChannel.h"
#include "io/picture/ReaderMemory.h"
#include "io/picture/SharedPictureMemory.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <cstring>
#include <new>

#include <OpenImageIO/imageio.h>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Pictures from this size on leave their reader and heap behind them when not let go of.
constexpr qint64 largeReadPixels = qint64(4) << 20;

// Limits follow the read from the file's first byte: a header may cost little; what a format's
// reader holds once it has opened the file, what the header check found it will; the pixels,
// what the header claims. Never more than a picture at the cap costs.
class ReadLimits
{
public:
    ReadLimits() : m_base(ReaderMemory::dataInUse()), m_hard(ReaderMemory::hardLimit())
    {
        ReaderMemory::resetAllocationFailed();
        set(PictureReaderService::headerMarginBytes);
    }
    ~ReadLimits()
    {
        if (m_hard > 0)
            ReaderMemory::setSoftLimit(m_hard);
    }

    // Told before a reader opens a file that passed its check.
    void opening(qint64 heldBytes)
    {
        m_openRoom = std::min(PictureReaderService::largestReadBytes(),
                              std::max<qint64>(0, heldBytes) + PictureReaderService::headerMarginBytes);
        set(m_openRoom);
    }

    // What the opened file holds stays held while its pixels are decoded.
    void pixelsClaimed(qint64 pixels)
    {
        const qint64 cap = ImageLibrary::maxPixels * PictureReaderService::bytesPerPixel;
        set(std::max(m_openRoom, std::min(cap, std::max<qint64>(0, pixels) * PictureReaderService::bytesPerPixel)
                                     + PictureReaderService::readerMarginBytes));
    }

    qint64 limitMegabytes() const { return m_set > 0 ? (m_set - m_base) >> 20 : 0; }

private:
    void set(qint64 room)
    {
        if (m_hard <= 0 || m_base <= 0)
            return;
        m_set = std::min(m_hard, m_base + room);
        ReaderMemory::setSoftLimit(m_set);
    }

    qint64 m_base = 0;
    qint64 m_hard = 0;
    qint64 m_set = 0;
    qint64 m_openRoom = 0;
};

QString memoryReason(qint64 megabytes)
{
    return megabytes > 0 ? QStringLiteral("The picture's reader needed more than %1 MB.").arg(megabytes)
                         : ImageLibrary::errorText(ImageLibrary::NoMemory);
}

QImage readBytes(const PictureRequest& request, QString* reason, const std::function<void(qint64)>& claimed)
{
    QBuffer buffer;
    buffer.setData(request.bytes);
    if (request.bytes.isEmpty() || !buffer.open(QIODevice::ReadOnly)) {
        *reason = QStringLiteral("The picture cannot be read");
        return QImage();
    }
    const qint64 cap = request.pixelCap > 0 ? std::min(request.pixelCap, ImageLibrary::maxPixels) : ImageLibrary::maxPixels;
    RasterPictureReader reader(&buffer, request.suffix, cap);
    if (!reader.isValid()) {
        *reason = reader.errorString();
        return QImage();
    }
    const QSize size = reader.size();
    const QSize bound = request.fitInto;
    if (bound.isValid() && (size.width() > bound.width() || size.height() > bound.height()))
        reader.setScaledSize(size.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    claimed(qint64(size.width()) * size.height());
    QImage image = reader.read();
    if (image.isNull()) {
        *reason = reader.errorString();
        return image;
    }
    // A format that ignores the scaled size gives its full picture.
    if (bound.isValid() && (image.width() > bound.width() || image.height() > bound.height()))
        image = image.scaled(bound, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

// Pixels of the image library's bitmaps and Qt's pictures read whole: in the memory shared with
// the program while a request is served.
unsigned char* allocatePixels(qint64 bytes)
{
    SharedPictureMemory* memory = SharedPictureMemory::current();
    uchar* room = memory ? memory->allocate(bytes) : nullptr;
    return room ? room : new (std::nothrow) unsigned char[size_t(bytes)]();
}

bool releasePixels(unsigned char* data)
{
    SharedPictureMemory* memory = SharedPictureMemory::current();
    return memory && memory->release(data);
}

QImage sharedImage(QSize size, QImage::Format format)
{
    SharedPictureMemory* memory = SharedPictureMemory::current();
    return memory ? memory->image(size, format) : QImage();
}

// The answer's pictures in `memory`, sealed: those decoded there stay where they are, any other
// is copied in. The pictures are let go of; -1 with *reason when the memory cannot be shared.
int sharePictures(SharedPictureMemory& memory, QList<QImage>* images, PictureReply* reply, QString* reason)
{
    for (int i = 0; i < images->size(); ++i) {
        const QImage& image = (*images)[i];
        const qint64 bytes = qint64(image.bytesPerLine()) * image.height();
        qint64 offset = memory.offsetOf(image.constBits(), bytes);
        if (offset < 0) {
            uchar* room = memory.allocate(bytes, false);
            if (!room) {
                memory.discard();
                images->clear();
                *reason = QStringLiteral("The picture's reader could not share the picture.");
                return -1;
            }
            std::memcpy(room, image.constBits(), size_t(bytes));
            offset = memory.offsetOf(room, bytes);
        }
        PictureReply::Layer& layer = reply->layers[i];
        layer.offset = offset;
        layer.size = image.size();
        layer.bytesPerLine = qint32(image.bytesPerLine());
        layer.alpha = image.hasAlphaChannel();
        layer.premultiplied = image.format() == QImage::Format_ARGB32_Premultiplied;
    }
    memory.keep();
    images->clear();
    const int shared = memory.seal(&reply->dataBytes);
    if (shared < 0)
        *reason = QStringLiteral("The picture's reader could not share the picture.");
    return shared;
}

} // namespace

qint64 PictureReaderService::largestReadBytes()
{
    return ImageLibrary::maxPixels * bytesPerPixel + readerMarginBytes;
}

PictureReaderService::Decode PictureReaderService::standardDecode()
{
    return [](const PictureRequest& request, PictureReply* reply, QString* reason,
              const std::function<void(qint64)>& claimed) {
        QList<QImage> images;
        switch (request.kind) {
        case PictureRequest::Kind::Layers: {
            const QList<PictureLayers::Layer> layers =
                PictureLayers::read(request.path, request.format, request.wanted, reason, claimed);
            for (const PictureLayers::Layer& layer : layers) {
                images.append(layer.second);
                PictureReply::Layer entry;
                entry.rect = layer.first;
                reply->layers.append(entry);
            }
            break;
        }
        case PictureRequest::Kind::Information: {
            ImageLibrary::FileInformation information;
            if (ImageLibrary::fileInformation(request.path, -1, &information, reason) == ImageLibrary::NoError) {
                reply->fullSize = QSize(information.width, information.height);
                reply->dpi = (information.xDpi + information.yDpi) / 2;
                reply->ok = true;
            }
            break;
        }
        case PictureRequest::Kind::RasterFile: {
            const QImage image = PictureFile::read(request.path, request.fitInto, &reply->fullSize, reason, claimed);
            if (!image.isNull())
                images.append(image);
            else if (!request.fitInto.isValid())
                DropRefusal::clickOpens(request.path, reason, claimed);
            break;
        }
        case PictureRequest::Kind::LibraryFile: {
            const QImage image = LibraryPictureFile::read(request.path, &reply->fullSize, reason, claimed);
            if (!image.isNull())
                images.append(image);
            break;
        }
        case PictureRequest::Kind::Thumbnail: {
            // The refusal of Qt's readers is the one given: they read most kinds.
            QImage image = PictureFile::read(request.path, request.fitInto, &reply->fullSize, reason, claimed);
            if (image.isNull()) {
                QString libraryReason;
                image = LibraryPictureFile::read(request.path, &reply->fullSize, &libraryReason, claimed);
            }
            if (!image.isNull())
                images.append(image);
            break;
        }
        case PictureRequest::Kind::RasterBytes: {
            const QImage image = readBytes(request, reason, claimed);
            if (!image.isNull()) {
                reply->fullSize = image.size();
                images.append(image);
            }
            break;
        }
        }
        return images;
    };
}

PictureReply PictureReaderService::handle(const PictureRequest& request, QList<QImage>* images, const Decode& decode,
                                          const std::function<void(qint64)>& told)
{
    PictureReply reply;
    images->clear();
    // The reader kept open for the next read of the same file; what it holds of another is let go
    // before the limit is measured, or this read would find it as room past its limit.
    ImageLibrary::closeFileOtherThan(request.path);
    ReadLimits limits;
    const OpenCost::Listening opening([&limits](qint64 bytes) { limits.opening(bytes); });
    auto claimed = [&limits, &told](qint64 pixels) {
        limits.pixelsClaimed(pixels);
        if (told)
            told(pixels);
    };
    QString reason;
    try {
        *images = decode(request, &reply, &reason, claimed);
    } catch (const std::bad_alloc&) {
        images->clear();
        reply.layers.clear();
        reason = memoryReason(limits.limitMegabytes());
    }
    if (ReaderMemory::allocationFailed() && images->isEmpty() && !reply.ok)
        reason = memoryReason(limits.limitMegabytes());
    if (reason == ImageLibrary::errorText(ImageLibrary::NoMemory))
        reason = memoryReason(limits.limitMegabytes());
    // The program takes 32-bit pictures only: alpha as the reader gave it, or none.
    for (QImage& image : *images) {
        if (image.format() != QImage::Format_ARGB32 && image.format() != QImage::Format_RGB32
            && image.format() != QImage::Format_ARGB32_Premultiplied)
            image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    }
    while (reply.layers.size() < images->size())
        reply.layers.append(PictureReply::Layer{QRect(QPoint(0, 0), (*images)[reply.layers.size()].size())});
    if (!images->isEmpty())
        reply.ok = true;
    if (!reply.ok)
        reply.reason = reason.isEmpty() ? QStringLiteral("The picture cannot be read") : reason;
    return reply;
}

int PictureReaderService::serve(int socket, const Decode& decode)
{
    ReaderChannel channel(socket);
    // A reader that crashes on hostile bytes leaves no core file of them behind.
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    // One thread: every thread's stack would count against the data limit, and a read waits for
    // its picture anyway.
    OIIO::attribute("threads", 1);
    // No OpenEXR worker either: what it allocates would stay in a heap of its thread's own, which
    // no trim reaches once a large read is over.
    OIIO::attribute("exr_threads", -1);
    ImageLibrary::initialise();
    QImageReader::setAllocationLimit(PictureFile::readerAllocationLimit());
    ReaderMemory::installNewHandler();
    // The limit is set once the libraries are in: what a read may hold comes on top.
    const qint64 base = ReaderMemory::dataInUse();
    if (base > 0)
        ReaderMemory::setHardLimit(base + largestReadBytes());
    // Pictures are decoded where the program maps them.
    SharedPictureMemory memory;
    SharedPictureMemory::setCurrent(&memory);
    ImageLibrary::setPixelMemory(&allocatePixels, &releasePixels);
    RasterPictureReader::setImageMemory(&sharedImage);
    for (;;) {
        QByteArray frame;
        int handedBack = -1;
        if (channel.receive(&frame, &handedBack) != ReaderChannel::Result::Done) {
            if (handedBack >= 0)
                ::close(handedBack);
            return 0;
        }
        // The memory of a picture the program let go of: this answer's pictures are decoded into
        // its pages.
        memory.adopt(handedBack);
        PictureRequest request;
        PictureReply reply;
        QList<QImage> images;
        qint64 claimed = 0;
        if (!PictureRequest::decode(frame, &request)) {
            reply.reason = QStringLiteral("The picture's reader was asked something it does not know.");
        } else {
            reply = handle(request, &images, decode, [&channel, &claimed](qint64 pixels) {
                claimed = std::max(claimed, pixels);
                // The program reads while it waits; one that has gone ends the next send.
                channel.send(PictureReply::encodeClaim(pixels));
            });
        }
        int shared = -1;
        if (!images.isEmpty()) {
            QString reason;
            shared = sharePictures(memory, &images, &reply, &reason);
            if (shared < 0) {
                reply = PictureReply();
                reply.reason = reason;
            }
        }
        memory.discard();
        const ReaderChannel::Result sent = channel.send(reply.encode(), shared);
        if (shared >= 0)
            ::close(shared);
        if (sent != ReaderChannel::Result::Done)
            return 0;
        // A large picture's reader and the heap it grew are let go of: an idle reader holds about
        // what a fresh one holds. A small one's stays open for the next read of its file.
        if (claimed >= largeReadPixels) {
            ImageLibrary::closeFileOtherThan(QString());
            ::malloc_trim(0);
        }
    }
}
