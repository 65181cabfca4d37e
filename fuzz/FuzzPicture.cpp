// A picture from outside through the one reader of such pictures, as the program reads it: a
// user's file under suffixes of the formats the program lists (and SVG's, and none), its header
// first as the image view's drop does, then as a thumbnail and whole; and the same bytes as a
// service's icon. Qt's readers are limited as the program limits them at start-up.

#include "FuzzSupport.h"

#include "io/picture/PictureFile.h"
#include "web/ServiceIcon.h"

#include <QFile>
#include <QImageReader>
#include <QStringList>

namespace {

QStringList s_paths;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::start(argc, argv, false);
    QImageReader::setAllocationLimit(PictureFile::readerAllocationLimit());
    for (char const* suffix : {".png", ".jpg", ".gif", ".bmp", ".ppm", ".tif", ".webp", ".tga", ".exr",
                               ".psd", ".hdr", ".svg", ".svgz", ""})
        s_paths.append(FuzzSupport::scratchFolder() + QStringLiteral("/input") + QLatin1String(suffix));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    // One suffix per input, picked by the input itself.
    const QString& path = s_paths.at(int(size ? data[size - 1] : 0) % s_paths.size());
    if (!FuzzSupport::writeFile(path, data, size))
        return 0;
    if (PictureFile::isReadable(path)) {
        PictureFile::read(path, QSize(120, 80));
        PictureFile::read(path);
    }
    QFile::remove(path);
    ServiceIcon::read(FuzzSupport::bytes(data, size));
    return 0;
}
