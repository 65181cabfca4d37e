#include "io/XmlEncodingRule.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QSet>
#include <QStringConverter>
#include <QStringDecoder>

#include <unicode/ucnv.h>

#include <array>
#include <iterator>
#include <memory>
#include <string>

namespace KelUtils {

namespace {

using Verdict = XmlEncodingRule::Verdict;

// The printable ASCII characters and XML's white space: their bytes must stand for them
// wherever they appear. The other controls never stand in a sound document and mean nothing
// to the lexer.
bool significant(char16_t unit)
{
    return (unit >= 0x20 && unit < 0x7f) || unit == '\t' || unit == '\n' || unit == '\r';
}

bool isLetter(char16_t unit)
{
    return (unit >= 'A' && unit <= 'Z') || (unit >= 'a' && unit <= 'z');
}

// The characters the lexer reads markup by: no other bytes may decode to one. Other ASCII
// characters a decoder makes of other bytes (a backslash in IBM's EUC-JP tables) are text to
// the lexer and the reader alike.
bool holdsMarkup(QStringView text)
{
    static constexpr char16_t markup[] = u"\t\n\r \"'<>&#;=/?!-[]%";
    for (QChar c : text) {
        if (std::char_traits<char16_t>::find(markup, std::size(markup) - 1, c.unicode()))
            return true;
    }
    return false;
}

struct Decoded {
    QString text;
    // The last bytes, held for a character still unfinished.
    int pending = 0;
};

// A byte of an ASCII symbol that is neither markup nor part of a name, read as another such
// character (the backslash of IBM's Korean tables reads as the won sign): the lexer and the
// reader find the same markup and the same names around it.
bool standsAsSymbol(char16_t byte, Decoded const& decoded)
{
    static constexpr char16_t symbols[] = u"\\`^|{}~@$*+,()";
    auto nameCharacter = [](QChar c) { return c.isLetterOrNumber() || c == u'.' || c == u'_' || c == u':'; };
    return std::char_traits<char16_t>::find(symbols, std::size(symbols) - 1, byte) && decoded.pending == 0
        && decoded.text.size() == 1 && !holdsMarkup(decoded.text) && !nameCharacter(decoded.text.at(0))
        && !significant(decoded.text.at(0).unicode());
}

// `bytes` decoded from the converter's initial state, unfinished sequences held as a reader
// reading a stream holds them.
Decoded decode(UConverter* converter, QByteArray const& bytes)
{
    ucnv_resetToUnicode(converter);
    std::array<UChar, 64> out;
    UChar* target = out.data();
    char const* source = bytes.constData();
    UErrorCode error = U_ZERO_ERROR;
    ucnv_toUnicode(converter, &target, out.data() + out.size(), &source, bytes.constData() + bytes.size(),
                   nullptr, false, &error);
    Decoded decoded;
    decoded.text = QString(reinterpret_cast<QChar const*>(out.data()), target - out.data());
    UErrorCode pendingError = U_ZERO_ERROR;
    decoded.pending = U_FAILURE(error) ? int(bytes.size()) : qMax(0, ucnv_toUCountPending(converter, &pendingError));
    return decoded;
}

// Whether the decoder took the sequence for no character of the encoding.
bool illFormed(QStringView text)
{
    return text.contains(QChar(0xfffd)) || text.contains(QChar(0x1a));
}

struct Probed {
    Verdict verdict = Verdict::Followed;
    std::shared_ptr<XmlEncodingRule::Sequences const> sequences;
};

// A stateless table-driven encoding, through its own decoder: every byte from the initial state
// and after every unfinished sequence. Such a decoder holds nothing but the bytes of the
// character it has not finished, so this covers every place a byte can stand. Where a letter
// may stand inside a character, or an ill-formed sequence may take in another ASCII byte, the
// unfinished sequences and the steps between them are kept for the lexer.
Verdict probe(UConverter* converter, std::shared_ptr<XmlEncodingRule::Sequences const>* kept)
{
    for (char16_t byte = 0; byte < 0x80; ++byte) {
        const Decoded decoded = decode(converter, QByteArray(1, char(byte)));
        if (significant(byte) && (decoded.pending > 0 || decoded.text != QChar(byte)) && !standsAsSymbol(byte, decoded))
            return Verdict::NotAscii;
    }
    const int longest = qMax<int>(ucnv_getMaxCharSize(converter), 1);
    QList<QByteArray> unfinished{QByteArray()};
    QHash<QByteArray, int> stateOf{{QByteArray(), 0}};
    // The state after each byte, and whether the byte is an ASCII character other than a letter
    // taken into a character.
    std::vector<std::array<int, 256>> next;
    bool asciiInside = false;
    for (qsizetype i = 0; i < unfinished.size(); ++i) {
        const QByteArray prefix = unfinished.at(i);
        next.push_back({});
        for (int byte = 0; byte < 256; ++byte) {
            const QByteArray bytes = prefix + char(byte);
            const Decoded decoded = decode(converter, bytes);
            QStringView rest = decoded.text;
            bool inside = false;
            if (prefix.isEmpty() && standsAsSymbol(char16_t(byte), decoded)) {
                rest = QStringView();
            } else if (significant(char16_t(byte))) {
                if (decoded.pending > 0 || !rest.endsWith(QChar(byte))) {
                    if (prefix.isEmpty())
                        return Verdict::NotAscii;
                    // A letter inside a character (as UHC's trail bytes are) cannot form markup:
                    // the lexer takes it for part of a name or of text, as the reader takes the
                    // character. Another ASCII character may stand inside none but an ill-formed
                    // sequence, which the lexer refuses where it meets it.
                    if (!isLetter(char16_t(byte)) && (decoded.pending > 0 || !illFormed(rest)))
                        return Verdict::AsciiInsideCharacters;
                    inside = true;
                    asciiInside = true;
                } else {
                    rest.chop(1);
                }
            }
            if (holdsMarkup(rest))
                return Verdict::MarkupFromOtherBytes;
            int state = 0;
            if (decoded.pending > 0 && (!significant(char16_t(byte)) || inside)) {
                const QByteArray held = bytes.right(decoded.pending);
                // No character is longer than the encoding's longest.
                if (held.size() >= longest)
                    return Verdict::AsciiInsideCharacters;
                if (!stateOf.contains(held)) {
                    stateOf.insert(held, int(unfinished.size()));
                    unfinished.append(held);
                }
                state = stateOf.value(held);
            }
            next[size_t(i)][size_t(byte)] = state;
        }
    }
    if (asciiInside) {
        auto sequences = std::make_shared<XmlEncodingRule::Sequences>();
        sequences->next = std::move(next);
        *kept = std::move(sequences);
    }
    return Verdict::Followed;
}

Probed judgeByStructure(QByteArray const& name)
{
    UErrorCode error = U_ZERO_ERROR;
    std::unique_ptr<UConverter, decltype(&ucnv_close)> converter(ucnv_open(name.constData(), &error), &ucnv_close);
    if (U_FAILURE(error) || !converter)
        return {Verdict::Undecodable, {}};
    switch (ucnv_getType(converter.get())) {
    case UCNV_US_ASCII:
    case UCNV_LATIN_1:
    case UCNV_UTF8:
    case UCNV_CESU8:
        return {Verdict::Followed, {}};
    case UCNV_SBCS:
    case UCNV_MBCS:
        break;
    case UCNV_UTF16:
    case UCNV_UTF16_BigEndian:
    case UCNV_UTF16_LittleEndian:
    case UCNV_UTF32:
    case UCNV_UTF32_BigEndian:
    case UCNV_UTF32_LittleEndian:
        return {Verdict::UnitWidth, {}};
    case UCNV_DBCS:
        return {Verdict::AsciiInsideCharacters, {}};
    case UCNV_EBCDIC_STATEFUL:
        return {Verdict::NotAscii, {}};
    default:
        return {Verdict::Shifting, {}};
    }
    // Aliases share the verdict of the table they name.
    const QByteArray table = ucnv_getName(converter.get(), &error);
    static QMutex mutex;
    static QHash<QByteArray, Probed> probed;
    QMutexLocker locker(&mutex);
    const auto known = probed.constFind(table);
    if (known != probed.cend())
        return *known;
    Probed result;
    result.verdict = probe(converter.get(), &result.sequences);
    probed.insert(table, result);
    return result;
}

// Whether the declared decoder reads the characters the lexer reads markup by, and units whose
// bytes are markup, as the lexer reads them, in code units of `width` bytes: the reader decodes
// the document again, from its byte-order mark, with the decoder the declaration names.
bool readsUnitsAsWritten(QStringDecoder& decoder, int width, bool bigEndian, bool byteOrderMark)
{
    QString characters = byteOrderMark ? QString(QChar(0xfeff)) : QString();
    for (char16_t unit = 0; unit < 0x80; ++unit) {
        if (significant(unit))
            characters += QChar(unit);
    }
    // Units whose bytes are each markup: a decoder of single bytes would read them as such.
    characters += QStringLiteral("\u3c3c\u3e26\u2222\u3d27");
    QByteArray bytes;
    for (QChar c : characters) {
        for (int i = 0; i < width; ++i) {
            const int shift = 8 * (bigEndian ? width - 1 - i : i);
            bytes += char(shift < 16 ? (c.unicode() >> shift) & 0xff : 0);
        }
    }
    return QString(decoder.decode(bytes)) == QStringView(characters).mid(byteOrderMark ? 1 : 0);
}

} // namespace

XmlEncodingRule::Verdict XmlEncodingRule::judge(QByteArray const& name, int unitWidth, bool bigEndian,
                                                bool byteOrderMark)
{
    QStringDecoder decoder(name.constData());
    if (!decoder.isValid())
        return Verdict::Undecodable;
    if (unitWidth != 1)
        return readsUnitsAsWritten(decoder, unitWidth, bigEndian, byteOrderMark) ? Verdict::Followed
                                                                                 : Verdict::UnitWidth;
    // Qt's own decoders come first, as the reader finds them.
    if (const auto builtIn = QStringConverter::encodingForName(name.constData())) {
        switch (*builtIn) {
        case QStringConverter::Utf8:
        case QStringConverter::Latin1:
        // UTF-8 on every system but Windows.
        case QStringConverter::System:
            return Verdict::Followed;
        default:
            return Verdict::UnitWidth;
        }
    }
    return judgeByStructure(name).verdict;
}

std::shared_ptr<XmlEncodingRule::Sequences const> XmlEncodingRule::sequences(QByteArray const& name)
{
    if (QStringConverter::encodingForName(name.constData()))
        return {};
    const Probed probed = judgeByStructure(name);
    return probed.verdict == Verdict::Followed ? probed.sequences : nullptr;
}

bool XmlEncodingRule::Sequences::step(int& state, uchar byte) const
{
    if (state != 0 && byte < 0x80 && significant(byte) && !isLetter(byte))
        return false;
    state = next[size_t(state)][byte];
    return true;
}

QString XmlEncodingRule::refusal(QByteArray const& name, Verdict verdict)
{
    const QString named = QStringLiteral("the encoding \"%1\"").arg(QString::fromLatin1(name));
    switch (verdict) {
    case Verdict::Followed:
        break;
    case Verdict::Undecodable:
        return named + QStringLiteral(", which this program cannot decode");
    case Verdict::NotAscii:
        return named + QStringLiteral(", in which bytes of ASCII characters stand for other characters, so its "
                                      "markup (\"<\", \"&\", quotes) cannot be found before it is decoded");
    case Verdict::AsciiInsideCharacters:
        return named + QStringLiteral(", whose characters of several bytes can hold bytes of ASCII characters, so "
                                      "its markup (\"<\", \"&\", quotes) cannot be found before it is decoded");
    case Verdict::MarkupFromOtherBytes:
        return named + QStringLiteral(", in which bytes other than ASCII can read as markup (\"<\", \"&\", quotes, "
                                      "\"-\" and the like), so its markup cannot be found before it is decoded");
    case Verdict::Shifting:
        return named + QStringLiteral(", which shifts between character sets with ASCII bytes, so its markup "
                                      "(\"<\", \"&\", quotes) cannot be found before it is decoded");
    case Verdict::UnitWidth:
        return named + QStringLiteral(", which does not read the document's characters as they are written "
                                      "(one byte each, or UTF-16 or UTF-32 as its first bytes show)");
    }
    return QString();
}

} // namespace KelUtils
