#include "io/picture/PictureFormatTable.h"

#include "io/picture/BitmapFileCheck.h"
#include "io/picture/GifFileCheck.h"
#include "io/picture/JpegFileCheck.h"
#include "io/picture/OpenCost.h"
#include "io/picture/OpenExrFileCheck.h"
#include "io/picture/PhotoshopFileCheck.h"
#include "io/picture/PngFileCheck.h"
#include "io/picture/PortableMapFileCheck.h"
#include "io/picture/RadianceFileCheck.h"
#include "io/picture/TargaFileCheck.h"
#include "io/picture/TiffFileCheck.h"
#include "io/picture/WebpFileCheck.h"

#include <QSize>

namespace {

// The readers of these formats hold no more than their own tables once they have opened a file.
template<bool (*check)(QIODevice&, QString*)>
bool lightCheck(QIODevice& file, QString* reason, qint64* heldOnOpen)
{
    *heldOnOpen = 0;
    return check(file, reason);
}

} // namespace

// Not offered, for their readers go past any bound a header check could set: JPEG 2000 (the
// codestream is decoded whole when the file is opened), Kodak Cineon (aborts the program on a
// depth it lacks), DICOM and Pixar Z (pictures of a claimed size made from no pixels), DirectDraw
// Surface (surfaces cut short read as pictures), camera raw (decoded whole by a library of its
// own), SGI, and those that were never safe: DPX, FITS, HEIF, Maya IFF, icons, Wavefront RLA,
// Softimage PIC, and the readers of video and of no file.
const QList<PictureFormatTable::Format>& PictureFormatTable::formats()
{
    static const QList<Format> list = {
        {"png", "Portable Network Graphics", QStringLiteral("PNG file"), lightCheck<&PngFileCheck::check>},
        {"jpeg", "JPEG / JFIF", QStringLiteral("JPEG file"),
         [](QIODevice& file, QString* reason, qint64* heldOnOpen) {
             QSize sides;
             return JpegFileCheck::check(file, reason, &sides, heldOnOpen);
         }},
        {"tiff", "Tagged Image File Format", QStringLiteral("TIFF file"), lightCheck<&TiffFileCheck::check>},
        {"gif", "CompuServe GIF", QStringLiteral("GIF file"), &GifFileCheck::check},
        {"bmp", "Windows Bitmap", QStringLiteral("Windows bitmap"), &BitmapFileCheck::check, true},
        {"psd", "Photoshop Document", QStringLiteral("Photoshop file"), &PhotoshopFileCheck::check, true},
        {"openexr", "OpenEXR", QStringLiteral("OpenEXR file"), &OpenExrFileCheck::check, false, true, true},
        {"hdr", "Radiance HDR", QStringLiteral("Radiance HDR file"), lightCheck<&RadianceFileCheck::check>, false, true,
         true},
        {"pnm", "Portable Any Map", QStringLiteral("portable map"), &PortableMapFileCheck::check},
        {"targa", "Truevision Targa", QStringLiteral("Targa file"), lightCheck<&TargaFileCheck::check>, true},
        {"webp", "WebP", QStringLiteral("WebP file"), &WebpFileCheck::check, false, false},
    };
    return list;
}

bool PictureFormatTable::Format::check(QIODevice& file, QString* reason) const
{
    qint64 held = 0;
    if (!walk || !walk(file, reason, &held))
        return false;
    OpenCost::tell(held);
    return true;
}

const PictureFormatTable::Format* PictureFormatTable::find(const QByteArray& name)
{
    for (const Format& format : formats()) {
        if (format.name == name)
            return &format;
    }
    return nullptr;
}
