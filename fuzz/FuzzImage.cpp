// An image file under each suffix the program offers (the suffix picks the reader when the
// contents do not), decoded here as the picture reader process decodes it: the requests the
// program sends for a file (a pick, a thumbnail, a drop, its bytes as a description's picture),
// each through the reader's own handling (the header checks, the readers, the orientation).
// Under the sanitizers the reader's data limit does not apply: the run's memory limits stand in
// for it, at least what a picture at the cap costs the reader (cap x 16 bytes and its margin).

#include "FuzzSupport.h"

#include "app/GflAdapter.h"
#include "io/picture/ImageLibrary.h"
#include "io/picture/PictureFile.h"
#include "io/picture/PictureReaderService.h"
#include "io/picture/PictureRequest.h"

#include <QFile>
#include <QImageReader>
#include <QStringList>

#include <OpenImageIO/imageio.h>

namespace {

QStringList s_paths;

PictureReply handle(const PictureRequest& request)
{
    QList<QImage> images;
    return PictureReaderService::handle(request, &images, PictureReaderService::standardDecode());
}

PictureRequest fileRequest(PictureRequest::Kind kind, const QString& path)
{
    PictureRequest request;
    request.kind = kind;
    request.path = path;
    return request;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::start(argc, argv, false);
    // As the reader process starts: one thread a read, Qt's readers limited.
    OIIO::attribute("threads", 1);
    OIIO::attribute("exr_threads", 1);
    QImageReader::setAllocationLimit(PictureFile::readerAllocationLimit());
    GflAdapter adapter;
    for (const QString& suffix : adapter.supportedFormatsSuffixes())
        s_paths.append(FuzzSupport::scratchFolder() + QStringLiteral("/input.") + suffix);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    if (s_paths.isEmpty())
        return 0;
    // One suffix per input, picked by the input itself, so every reader gets its share.
    const QString& path = s_paths.at(int(size ? data[size - 1] : 0) % s_paths.size());
    if (!FuzzSupport::writeFile(path, data, size))
        return 0;
    // What the program asks of the file, picked by the input too: one use an input, as the
    // reader meets them (a picture at the cap costs a use many seconds under the sanitizers).
    // The library keeps the file it read last open while it is started: closed with the input,
    // so that no input meets the previous one.
    ImageLibrary::initialise();
    switch ((size > 1 ? data[size - 2] : 0) % 4) {
    case 0: {
        // The pick: the size and resolution first, then the first layer.
        handle(fileRequest(PictureRequest::Kind::Information, path));
        PictureRequest pick = fileRequest(PictureRequest::Kind::Layers, path);
        pick.wanted = 1;
        handle(pick);
        break;
    }
    case 1: {
        // A thumbnail, and the library's read it falls back to.
        PictureRequest thumbnail = fileRequest(PictureRequest::Kind::RasterFile, path);
        thumbnail.fitInto = QSize(120, 80);
        if (!handle(thumbnail).ok)
            handle(fileRequest(PictureRequest::Kind::LibraryFile, path));
        break;
    }
    case 2:
        // The drop.
        handle(fileRequest(PictureRequest::Kind::RasterFile, path));
        break;
    default: {
        // The bytes, as a description's picture.
        PictureRequest bytes;
        bytes.kind = PictureRequest::Kind::RasterBytes;
        bytes.bytes = FuzzSupport::bytes(data, size);
        bytes.pixelCap = ImageLibrary::maxPixels;
        handle(bytes);
        break;
    }
    }
    ImageLibrary::exit();
    QFile::remove(path);
    return 0;
}
