#pragma once

#include <QByteArray>
#include <QString>

namespace KelUtils {

// Free text in attributes: Base64 (RFC 4648, "=" padding, no line breaks) of the text's UTF-16
// bytes, little-endian, after the byte-order mark FF FE. The empty text gives "//4=".
QString toBase64(QString const& text);

// Reverse of toBase64: characters outside the Base64 alphabet ("=" and white space included)
// are skipped; FF FE / FE FF choose the byte order and are dropped, without one the bytes are
// little-endian; an odd last byte is dropped.
QString fromBase64(QString const& text);

// Base64 decoding that skips every character outside the alphabet.
QByteArray decodeBase64Lenient(QString const& text);

} // namespace KelUtils
