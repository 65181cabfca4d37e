#include "io/picture/ImageSignatures.h"

#include <QList>

namespace {

struct Signature {
    const char* format;
    int offset;
    QByteArray bytes;
    // A second part further on, where the format has one.
    int laterOffset = 0;
    QByteArray later = QByteArray();
};

// Every way a file of each format may begin.
const QList<Signature>& signatures()
{
    static const QList<Signature> list = {
        {"bmp", 0, QByteArrayLiteral("BM")},
        // OS/2 bitmaps, icons and pointers.
        {"bmp", 0, QByteArrayLiteral("BA")},
        {"bmp", 0, QByteArrayLiteral("CI")},
        {"bmp", 0, QByteArrayLiteral("CP")},
        {"bmp", 0, QByteArrayLiteral("IC")},
        {"bmp", 0, QByteArrayLiteral("PT")},
        {"cineon", 0, QByteArrayLiteral("\x80\x2a\x5f\xd7")},
        {"cineon", 0, QByteArrayLiteral("\xd7\x5f\x2a\x80")},
        {"dds", 0, QByteArrayLiteral("DDS ")},
        {"dicom", 128, QByteArrayLiteral("DICM")},
        {"fits", 0, QByteArrayLiteral("SIMPLE  =")},
        {"gif", 0, QByteArrayLiteral("GIF87a")},
        {"gif", 0, QByteArrayLiteral("GIF89a")},
        {"hdr", 0, QByteArrayLiteral("#?")},
        {"jpeg", 0, QByteArrayLiteral("\xff\xd8\xff")},
        {"jpeg2000", 0, QByteArrayLiteral("\x00\x00\x00\x0c\x6a\x50\x20\x20\x0d\x0a\x87\x0a")},
        {"jpeg2000", 0, QByteArrayLiteral("\xff\x4f\xff\x51")},
        {"openexr", 0, QByteArrayLiteral("\x76\x2f\x31\x01")},
        {"png", 0, QByteArrayLiteral("\x89PNG\r\n\x1a\n")},
        {"pnm", 0, QByteArrayLiteral("P1")},
        {"pnm", 0, QByteArrayLiteral("P2")},
        {"pnm", 0, QByteArrayLiteral("P3")},
        {"pnm", 0, QByteArrayLiteral("P4")},
        {"pnm", 0, QByteArrayLiteral("P5")},
        {"pnm", 0, QByteArrayLiteral("P6")},
        {"pnm", 0, QByteArrayLiteral("Pf")},
        {"pnm", 0, QByteArrayLiteral("PF")},
        {"psd", 0, QByteArrayLiteral("8BPS")},
        {"sgi", 0, QByteArrayLiteral("\x01\xda")},
        {"softimage", 0, QByteArrayLiteral("\x53\x80\xf6\x34")},
        {"tiff", 0, QByteArrayLiteral("II*\x00")},
        {"tiff", 0, QByteArrayLiteral("MM\x00*")},
        {"tiff", 0, QByteArrayLiteral("II+\x00")},
        {"tiff", 0, QByteArrayLiteral("MM\x00+")},
        {"webp", 0, QByteArrayLiteral("RIFF"), 8, QByteArrayLiteral("WEBP")},
        {"zfile", 0, QByteArrayLiteral("\x2f\x08\x67\xab")},
        {"zfile", 0, QByteArrayLiteral("\xab\x67\x08\x2f")},
    };
    return list;
}

bool fits(const Signature& signature, const QByteArray& head)
{
    return head.mid(signature.offset, signature.bytes.size()) == signature.bytes
        && head.mid(signature.laterOffset, signature.later.size()) == signature.later;
}

} // namespace

bool ImageSignatures::isKnown(const QByteArray& format)
{
    for (const Signature& signature : signatures()) {
        if (format == signature.format)
            return true;
    }
    return false;
}

bool ImageSignatures::matches(const QByteArray& format, const QByteArray& head)
{
    for (const Signature& signature : signatures()) {
        if (format == signature.format && fits(signature, head))
            return true;
    }
    return false;
}
