#include "params/Base64.h"

namespace KelUtils {

namespace {

int base64Digit(char16_t c)
{
    if (c >= u'A' && c <= u'Z')
        return c - u'A';
    if (c >= u'a' && c <= u'z')
        return c - u'a' + 26;
    if (c >= u'0' && c <= u'9')
        return c - u'0' + 52;
    if (c == u'+')
        return 62;
    if (c == u'/')
        return 63;
    return -1;
}

} // namespace

QString toBase64(QString const& text)
{
    // Byte-order mark and little-endian code units, written by hand so the byte order never
    // depends on the host.
    QByteArray bytes;
    bytes.reserve(2 + text.size() * 2);
    bytes.append(char(0xFF));
    bytes.append(char(0xFE));
    for (QChar c : text) {
        const char16_t unit = c.unicode();
        bytes.append(char(unit & 0xFF));
        bytes.append(char(unit >> 8));
    }
    return QString::fromLatin1(bytes.toBase64());
}

QByteArray decodeBase64Lenient(QString const& text)
{
    QByteArray out;
    out.reserve(text.size() * 3 / 4 + 3);
    quint32 accumulator = 0;
    int bits = 0;
    for (QChar c : text) {
        const int digit = base64Digit(c.unicode());
        if (digit < 0)
            continue;
        accumulator = (accumulator << 6) | quint32(digit);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.append(char((accumulator >> bits) & 0xFF));
        }
    }
    return out;
}

QString fromBase64(QString const& text)
{
    const QByteArray bytes = decodeBase64Lenient(text);
    qsizetype start = 0;
    bool bigEndian = false;
    if (bytes.size() >= 2) {
        const uchar b0 = uchar(bytes[0]);
        const uchar b1 = uchar(bytes[1]);
        if (b0 == 0xFF && b1 == 0xFE) {
            start = 2;
        } else if (b0 == 0xFE && b1 == 0xFF) {
            start = 2;
            bigEndian = true;
        }
    }
    QString result;
    result.reserve((bytes.size() - start) / 2);
    for (qsizetype i = start; i + 1 < bytes.size(); i += 2) {
        const uchar first = uchar(bytes[i]);
        const uchar second = uchar(bytes[i + 1]);
        const char16_t unit = bigEndian ? char16_t((first << 8) | second) : char16_t((second << 8) | first);
        result.append(QChar(unit));
    }
    return result;
}

} // namespace KelUtils
