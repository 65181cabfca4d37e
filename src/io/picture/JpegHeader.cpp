#include "io/picture/JpegHeader.h"

#include "io/picture/HeaderRefusal.h"

#include <QIODevice>
#include <QtEndian>

#include <algorithm>

// The library's readers of EXIF and XMP blocks, as its JPEG reader calls them. Their header also
// declares its TIFF helpers, which need the TIFF library's headers the build has no use for.
OIIO_NAMESPACE_BEGIN
OIIO_API bool decode_exif(string_view exif, ImageSpec& spec);
OIIO_API bool decode_xmp(string_view xml, ImageSpec& spec);
OIIO_NAMESPACE_END

namespace {

const QByteArray exifSignature("Exif\0", 5);
const QByteArray xmpSignature("http://ns.adobe.com/xap/1.0/\0", 29);

bool isFrameMarker(int marker)
{
    return marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
}

} // namespace

bool JpegHeader::read(QIODevice& file, JpegHeader* header)
{
    *header = JpegHeader();
    if (HeaderRefusal::bytesAt(file, 0, 2) != QByteArray("\xff\xd8", 2))
        return false;
    qint64 at = 2;
    for (;;) {
        // Fill bytes before a marker, and bytes between segments a writer left, are passed over.
        const QByteArray pair = HeaderRefusal::bytesAt(file, at, 2);
        if (pair.size() < 2)
            return false;
        if (uchar(pair.at(0)) != 0xff || uchar(pair.at(1)) == 0xff) {
            ++at;
            continue;
        }
        const int marker = uchar(pair.at(1));
        at += 2;
        if (marker == 0x01 || (marker >= 0xd0 && marker <= 0xd8))
            continue;
        if (marker == 0xd9 || marker == 0xda)
            return header->sides.isValid();
        const QByteArray lengthBytes = HeaderRefusal::bytesAt(file, at, 2);
        if (lengthBytes.size() < 2)
            return false;
        const qint64 length = qFromBigEndian<quint16>(lengthBytes.constData());
        if (length < 2)
            return false;
        const qint64 data = at + 2;
        at += length;
        if (isFrameMarker(marker)) {
            const QByteArray frame = HeaderRefusal::bytesAt(file, data, 6);
            if (frame.size() < 6)
                return false;
            header->sides = QSize(qFromBigEndian<quint16>(frame.constData() + 3), qFromBigEndian<quint16>(frame.constData() + 1));
            header->components = uchar(frame.at(5));
        } else if (marker == 0xe0) {
            // As the decoder reads a JFIF segment: its first 14 bytes, the last found counting.
            const QByteArray jfif = HeaderRefusal::bytesAt(file, data, std::min<qint64>(length - 2, 14));
            if (jfif.size() >= 14 && jfif.startsWith(QByteArray("JFIF\0", 5))) {
                header->m_densityUnit = uchar(jfif.at(7));
                header->m_xDensity = qFromBigEndian<quint16>(jfif.constData() + 8);
                header->m_yDensity = qFromBigEndian<quint16>(jfif.constData() + 10);
            }
        } else if (marker == 0xe1) {
            const QByteArray block = HeaderRefusal::bytesAt(file, data, length - 2);
            if (block.startsWith(exifSignature) || block.startsWith(xmpSignature))
                header->m_applicationData.append(block);
        }
    }
}

OIIO::ImageSpec JpegHeader::spec() const
{
    // CMYK pictures are given as RGB.
    OIIO::ImageSpec spec(sides.width(), sides.height(), components == 4 ? 3 : components, OIIO::TypeDesc::UINT8);
    for (const QByteArray& block : m_applicationData) {
        if (block.startsWith(exifSignature)) {
            // "Exif\0\0", then the TIFF header.
            if (block.size() > 6)
                OIIO::decode_exif(OIIO::string_view(block.constData() + 6, size_t(block.size() - 6)), spec);
        } else {
            OIIO::decode_xmp(OIIO::string_view(block.constData(), size_t(block.size())), spec);
        }
    }
    // The reader's own order: a resolution in the EXIF or XMP data comes first, the JFIF
    // density's after it, and the JFIF unit holds for either.
    float xDensity = spec.get_float_attribute("XResolution");
    float yDensity = spec.get_float_attribute("YResolution");
    if (!xDensity || !yDensity) {
        xDensity = float(m_xDensity);
        yDensity = float(m_yDensity);
        if (xDensity && yDensity) {
            spec.attribute("XResolution", xDensity);
            spec.attribute("YResolution", yDensity);
        }
    }
    if (xDensity && yDensity) {
        switch (m_densityUnit) {
        case 0:
            spec.attribute("ResolutionUnit", "none");
            break;
        case 1:
            spec.attribute("ResolutionUnit", "in");
            break;
        case 2:
            spec.attribute("ResolutionUnit", "cm");
            break;
        default:
            break;
        }
    }
    return spec;
}
