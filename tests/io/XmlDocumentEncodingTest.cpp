// The document gate follows every encoding Qt decodes whose bytes keep ASCII as it is, and
// refuses, naming it, only one whose bytes can stand for markup inside other characters.
// Qt 6.4 lists no encodings of its own: its decoder takes every name ICU knows, so the list is
// ICU's converters by their standard and IANA names, and Qt's own names.

#include "SanitizedSweep.h"
#include "XmlDocumentMutations.h"
#include "app/HostileFiles.h"

#include "io/XmlDocumentBudget.h"
#include "io/XmlDocumentDepth.h"
#include "io/XmlTokenLexer.h"

#include <gtest/gtest.h>

#include <QDomDocument>
#include <QHash>
#include <QList>
#include <QRegularExpression>
#include <QSet>
#include <QStringConverter>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTextStream>

#include <unicode/ucnv.h>
#include <unicode/uset.h>

#include <memory>

using namespace KelUtils;

namespace {

QList<QByteArray> encodingNames()
{
    QList<QByteArray> names;
    QSet<QByteArray> seen;
    auto add = [&](QByteArray const& name) {
        if (!name.isEmpty() && !seen.contains(name)) {
            seen.insert(name);
            names.append(name);
        }
    };
    for (int32_t i = 0; i < ucnv_countAvailable(); ++i) {
        char const* converter = ucnv_getAvailableName(i);
        add(converter);
        for (char const* standard : {"MIME", "IANA"}) {
            UErrorCode error = U_ZERO_ERROR;
            UEnumeration* aliases = ucnv_openStandardNames(converter, standard, &error);
            if (U_FAILURE(error))
                continue;
            while (char const* alias = uenum_next(aliases, nullptr, &error))
                add(alias);
            uenum_close(aliases);
        }
    }
    for (int encoding = 0; encoding <= QStringConverter::LastEncoding; ++encoding)
        add(QStringConverter::nameForEncoding(QStringConverter::Encoding(encoding)));
    return names;
}

bool significant(uchar byte)
{
    return (byte >= 0x20 && byte < 0x7f) || byte == '\t' || byte == '\n' || byte == '\r';
}

QString significantAscii()
{
    QString text;
    for (char16_t c = 0; c < 0x80; ++c) {
        if (significant(uchar(c)))
            text += QChar(c);
    }
    return text;
}

// Characters of many scripts, and some outside the first plane.
QList<char32_t> candidates()
{
    QList<char32_t> all;
    for (char32_t start : {0xa0, 0xc0, 0x100, 0x391, 0x410, 0x5d0, 0x627, 0x905, 0xe01, 0x2018, 0x20ac, 0x2500,
                           0x2591, 0x3001, 0x3042, 0x30a2, 0x4e00, 0x65e5, 0x8a9e, 0xac00, 0xd55c, 0xff01})
        for (char32_t step = 0; step < 6; ++step)
            all.append(start + step * 7);
    all.append({0x20000, 0x1f600});
    return all;
}

// Non-ASCII characters the encoding writes and reads back, as Qt writes and reads them.
QString heldText(QByteArray const& name)
{
    QString held;
    for (char32_t c : candidates()) {
        const QString text = QString::fromUcs4(&c, 1);
        QStringEncoder encoder(name.constData());
        QStringDecoder decoder(name.constData());
        const QByteArray bytes = encoder.encode(text);
        if (!encoder.hasError() && QString(decoder.decode(bytes)) == text)
            held += text;
        if (held.size() >= 24)
            break;
    }
    return held;
}

// A template as a person might save it, every held character beside every kind of markup.
QString soundDocument(QByteArray const& name, QString const& held)
{
    QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>\n<!-- %2 -->\n<template name=\"%2\">\n")
                       .arg(QString::fromLatin1(name), held);
    for (QChar c : held) {
        if (c.isSurrogate())
            continue;
        text += QStringLiteral("<item a=\"%1\" b='%1' c=\"%1&amp;%1\">%1&lt;%1<![CDATA[%1]]>%1<!--%1-->%1<?p %1?></item>\n")
                    .arg(c);
    }
    return text + QStringLiteral("<note>a = b</note></template>\n");
}

bool markup(char16_t c)
{
    return QStringView(u"\t\n\r \"'<>&#;=/?!-[]%").contains(QChar(c));
}

struct Written {
    bool wide = false;
    // Where the encoding's bytes can mimic markup: found the slow way, by brute force over its
    // encoder and its decoder, independent of the rule.
    QString mimicry;
};

// Where the encoder writes ASCII as other bytes, or bytes of ASCII characters for other
// characters (every character it writes and reads back, in one text: the shifting encodings
// shift with ASCII bytes).
QString mimicryWritten(QByteArray const& name, UConverter* converter)
{
    // Symbols that are neither markup nor parts of names may be written otherwise.
    QString kept = significantAscii();
    kept.remove(QRegularExpression(QStringLiteral("[\\\\`^|{}~@$*+,()]")));
    const QByteArray ascii = QStringEncoder(name.constData()).encode(kept);
    if (ascii != kept.toLatin1())
        return QStringLiteral("ASCII written as other bytes");
    UErrorCode error = U_ZERO_ERROR;
    std::unique_ptr<USet, decltype(&uset_close)> set(uset_openEmpty(), &uset_close);
    ucnv_getUnicodeSet(converter, set.get(), UCNV_ROUNDTRIP_SET, &error);
    QString others;
    for (char32_t c = 0x80; c < 0x10000; ++c) {
        if (!QChar::isSurrogate(c) && uset_contains(set.get(), UChar32(c)))
            others += QChar(c);
    }
    // Each character on its own: a letter inside another character cannot form markup, and a
    // symbol's byte may stand for a symbol of its own (the won sign of IBM's Korean tables).
    for (QChar c : std::as_const(others)) {
        char bytes[8];
        error = U_ZERO_ERROR;
        ucnv_resetFromUnicode(converter);
        const int32_t length = ucnv_fromUChars(converter, bytes, 8, reinterpret_cast<UChar const*>(&c), 1, &error);
        if (U_FAILURE(error))
            continue;
        for (int32_t i = 0; i < length; ++i) {
            const uchar byte = uchar(bytes[i]);
            if (!significant(byte))
                continue;
            const bool symbol = length == 1 && QStringLiteral("\\`^|{}~@$*+,()").contains(QChar(byte))
                                && !markup(c.unicode()) && !c.isLetterOrNumber();
            if (!symbol && (length == 1 || !QChar::isLetter(byte)))
                return QStringLiteral("byte 0x%1 written inside other characters").arg(byte, 2, 16);
        }
    }
    return QString();
}

// Where the decoder reads markup other than from its ASCII bytes: every sequence of up to three
// bytes above 0x7f, each followed by an ASCII character; the markup read must be the markup
// written, in order.
QString mimicryRead(QByteArray const& name, UConverter* converter)
{
    const QByteArray ascii = significantAscii().toLatin1();
    const int longest = qMin<int>(3, ucnv_getMaxCharSize(converter));
    QByteArray bytes;
    qsizetype next = 0;
    // Ill-formed sequences are left out: a document holding one is the lexer's to refuse.
    auto follow = [&](std::initializer_list<int> sequence) {
        QByteArray chunk;
        for (int byte : sequence)
            chunk += char(byte);
        chunk += ascii.at(next++ % ascii.size());
        UErrorCode error = U_ZERO_ERROR;
        UChar decoded[16];
        ucnv_resetToUnicode(converter);
        const int32_t length = ucnv_toUChars(converter, decoded, 16, chunk.constData(), int32_t(chunk.size()), &error);
        const QStringView text(reinterpret_cast<QChar const*>(decoded), qMin<int32_t>(length, 16));
        if (U_SUCCESS(error) && !text.contains(QChar(0xfffd)) && !text.contains(QChar(0x1a)))
            bytes += chunk;
    };
    for (int a = 0x80; a < 0x100; ++a) {
        follow({a});
        for (int b = 0x80; longest >= 2 && b < 0x100; ++b) {
            follow({a, b});
            for (int c = 0x80; longest >= 3 && c < 0x100; ++c)
                follow({a, b, c});
        }
    }
    QString written;
    for (char byte : bytes) {
        if (markup(uchar(byte)))
            written += QChar(byte);
    }
    QString read;
    for (QChar c : QString(QStringDecoder(name.constData()).decode(bytes))) {
        if (markup(c.unicode()))
            read += c;
    }
    if (read == written)
        return QString();
    qsizetype at = 0;
    while (at < read.size() && at < written.size() && read.at(at) == written.at(at))
        ++at;
    return QStringLiteral("markup read where none was written, or lost, after the %1th markup byte").arg(at);
}

// How the encoding writes and reads; the brute force once a table, which aliases share.
Written howItWrites(QByteArray const& name)
{
    static QHash<QByteArray, QString> mimicryOfTable;
    Written written;
    QByteArray units = QStringEncoder(name.constData()).encode(significantAscii());
    for (QByteArray const& mark : {QByteArray("\xff\xfe\0\0", 4), QByteArray("\0\0\xfe\xff", 4),
                                   QByteArray("\xff\xfe", 2), QByteArray("\xfe\xff", 2)}) {
        if (units.startsWith(mark)) {
            units.remove(0, mark.size());
            break;
        }
    }
    for (QStringConverter::Encoding wide : {QStringConverter::Utf16LE, QStringConverter::Utf16BE,
                                            QStringConverter::Utf32LE, QStringConverter::Utf32BE})
        written.wide = written.wide || units == QByteArray(QStringEncoder(wide).encode(significantAscii()));
    UErrorCode error = U_ZERO_ERROR;
    // Qt's own "Locale" is UTF-8 on this system.
    std::unique_ptr<UConverter, decltype(&ucnv_close)> converter(
        ucnv_open(name == "Locale" ? "UTF-8" : name.constData(), &error), &ucnv_close);
    if (U_FAILURE(error))
        return written;
    const QByteArray table = ucnv_getName(converter.get(), &error);
    if (!mimicryOfTable.contains(table)) {
        QString mimicry = mimicryWritten(name, converter.get());
        if (mimicry.isEmpty())
            mimicry = mimicryRead(name, converter.get());
        mimicryOfTable.insert(table, mimicry);
    }
    written.mimicry = mimicryOfTable.value(table);
    return written;
}

// The tree as text, without the XML declaration: written again it would name the encoding, and
// Qt's writer knows only its own.
QString treeText(QDomDocument const& document)
{
    QString text;
    QTextStream stream(&text);
    const QDomNodeList children = document.childNodes();
    for (int i = 0; i < children.size(); ++i) {
        const QDomNode child = children.at(i);
        if (!child.isProcessingInstruction() || child.toProcessingInstruction().target() != QLatin1String("xml"))
            child.save(stream, 1);
    }
    return text;
}

struct Reading {
    bool accepted = false;
    QString message;
    QDomDocument document;
};

Reading plainly(QByteArray const& bytes)
{
    Reading reading;
    reading.accepted = reading.document.setContent(bytes, false, &reading.message);
    return reading;
}

Reading throughTheGate(QByteArray const& bytes)
{
    Reading reading;
    reading.accepted = setXmlContent(reading.document, bytes, &reading.message);
    return reading;
}

} // namespace

// Every encoding: a sound template written in it is read through the gate exactly as a plain
// parse reads it, or, where the encoding's bytes can mimic markup, refused with its name.
TEST(XmlDocumentEncoding, EveryEncodingThatKeepsAsciiIsReadAsAPlainParseReadsIt)
{
    const QList<QByteArray> names = encodingNames();
    for (char const* named : {"EUC-JP", "EUC-KR", "GB2312", "IBM850", "macintosh", "ANSI_X3.4-1968"})
        EXPECT_TRUE(names.contains(named)) << named;
    int followed = 0;
    int refused = 0;
    // Under the sanitizers every third name.
    const int stride = SanitizedSweep::pick(1, 3);
    for (int n = 0; n < names.size(); n += stride) {
        QByteArray const& name = names.at(n);
        SCOPED_TRACE(name.constData());
        if (!QStringDecoder(name.constData()).isValid() || !QStringEncoder(name.constData()).isValid())
            continue;
        // A name outside XML's grammar for encoding names is no sound declaration: refused
        // by both, in the reader's words.
        static const QRegularExpression encodingName(QStringLiteral("^[A-Za-z][A-Za-z0-9._-]*$"));
        if (!encodingName.match(QString::fromLatin1(name)).hasMatch()) {
            const QByteArray declared = "<?xml version=\"1.0\" encoding=\"" + name + "\"?><r/>";
            EXPECT_FALSE(plainly(declared).accepted);
            EXPECT_FALSE(throughTheGate(declared).accepted);
            continue;
        }
        const QString held = heldText(name);
        const QString text = soundDocument(name, held);
        const QByteArray bytes = QStringEncoder(name.constData()).encode(text);
        const Reading plain = plainly(bytes);
        const Reading gated = throughTheGate(bytes);
        const Written written = howItWrites(name);
        if (!written.wide && !written.mimicry.isEmpty()) {
            EXPECT_FALSE(gated.accepted) << qPrintable(written.mimicry);
            if (plain.accepted) {
                EXPECT_TRUE(gated.message.contains(QStringLiteral("\"%1\"").arg(QString::fromLatin1(name))))
                    << qPrintable(gated.message);
            }
            ++refused;
            continue;
        }
        if (!written.wide) {
            EXPECT_TRUE(plain.accepted) << "the generated document: " << qPrintable(plain.message);
        }
        EXPECT_EQ(gated.accepted, plain.accepted) << qPrintable(gated.message);
        if (gated.accepted && plain.accepted) {
            EXPECT_EQ(treeText(gated.document), treeText(plain.document));
            EXPECT_EQ(gated.document.documentElement().attribute(QStringLiteral("name")), held);
            ++followed;
        }
    }
    // With ICU 72, of 571 names 258 keep ASCII and 237 do not (EBCDIC, the shifting encodings,
    // the two-byte encodings of East Asia, HP Roman-8); the rest are no names XML takes.
    EXPECT_GE(followed, 200 / stride);
    EXPECT_GE(refused, 100 / stride);
}

// The named encodings each, with what they can hold; and what Qt cannot decode is refused by
// its name, as the reader refuses it.
TEST(XmlDocumentEncoding, TheRefusalNamesTheEncodingAndWhy)
{
    // The names of UHC too: its bytes inside characters are letters, which form no markup.
    for (char const* name : {"EUC-JP", "EUC-KR", "GB2312", "IBM850", "macintosh", "ANSI_X3.4-1968", "KOI8-U",
                             "windows-1258", "ISO-8859-7", "EUC-TW", "IBM437", "UTF-8", "Locale", "windows-949",
                             "ks_c_5601-1987", "ibm-949", "ibm-1363"}) {
        SCOPED_TRACE(name);
        QString held = heldText(name);
        // Hangul syllables UHC writes with a letter after the lead byte, where the encoding holds them.
        for (QChar c : QStringLiteral("\uac02\uac03\ud7a3")) {
            QStringEncoder encoder(name);
            const QByteArray bytes = encoder.encode(QString(c));
            if (!encoder.hasError() && QString(QStringDecoder(name).decode(bytes)) == QString(c))
                held += c;
        }
        const QByteArray bytes = QStringEncoder(name).encode(soundDocument(name, held));
        const Reading gated = throughTheGate(bytes);
        EXPECT_TRUE(gated.accepted) << gated.message.toStdString();
        EXPECT_EQ(gated.document.documentElement().attribute(QStringLiteral("name")), held);
        EXPECT_EQ(treeText(gated.document), treeText(plainly(bytes).document));
    }
    const struct {
        char const* name;
        char const* why;
    } refusals[] = {
        {"Shift_JIS", "several bytes"}, {"Big5", "several bytes"}, {"GBK", "several bytes"},
        {"UTF-7", "shifts"},            {"ISO-2022-JP", "shifts"}, {"IBM037", "stand for other"},
        {"hp-roman8", "other than ASCII can read as markup"},
        {"x-no-such-encoding", "cannot decode"},
    };
    for (auto const& [name, why] : refusals) {
        SCOPED_TRACE(name);
        QString message;
        EXPECT_FALSE(checkXmlDocument(QByteArray("<?xml version=\"1.0\" encoding=\"") + name + "\"?><r/>", &message));
        EXPECT_TRUE(message.contains(QStringLiteral("\"%1\"").arg(QString::fromLatin1(name)))) << qPrintable(message);
        EXPECT_TRUE(message.contains(QString::fromLatin1(why))) << qPrintable(message);
    }
}

// UTF-16 is followed by its code units only where the declared decoder reads them in the order
// the head shows: a declaration of the other order makes the reader decode the rest swapped, where
// the lexer's "<" and ">" would be the reader's text.
TEST(XmlDocumentEncoding, WideUnitsAreFollowedOnlyInTheOrderTheDeclaredDecoderReads)
{
    const QString declaration = QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>");
    const QString body = QStringLiteral("<r a=\"\u00e9\">\u65e5\u3c00\u3e00</r>");
    for (auto [name, accepted] : {std::pair<char const*, bool>{"UTF-16LE", true}, {"UTF-16", true},
                                  {"UTF16_PlatformEndian", true}, {"UTF-16BE", false}}) {
        SCOPED_TRACE(name);
        QByteArray bytes = QStringEncoder(QStringEncoder::Utf16LE).encode(declaration.arg(QString::fromLatin1(name)));
        bytes += QStringEncoder(name).encode(body);
        const Reading gated = throughTheGate(bytes);
        EXPECT_EQ(gated.accepted, accepted) << qPrintable(gated.message);
        if (accepted)
            EXPECT_EQ(treeText(gated.document), treeText(plainly(bytes).document));
        else
            EXPECT_TRUE(gated.message.contains(QString::fromLatin1(name))) << qPrintable(gated.message);
    }
}

// The program's own documents, edited by hand and saved in an encoding that keeps ASCII, are
// read as a plain parse reads them.
TEST(XmlDocumentEncoding, ProjectsSavedInAnEncodingThatKeepsAsciiAreReadAsAPlainParseReadsThem)
{
    XmlDocumentMutations::Random random(20261208);
    const QList<QByteArray> documents = {HostileFiles::stackedProject(6, 4), HostileFiles::deepGraphDocument(40),
                                         "<kelstyle><color id=\"c\" rgb=\"#102030\"/></kelstyle>"};
    for (char const* name : {"EUC-JP", "EUC-KR", "GB2312", "IBM850", "macintosh", "ANSI_X3.4-1968", "KOI8-R"}) {
        for (QByteArray const& document : documents) {
            SCOPED_TRACE(name);
            QByteArray names;
            QByteArray edited = XmlDocumentMutations::mutated(document, random, &names);
            if (edited.startsWith("\xff\xfe") || edited.startsWith("\xfe\xff"))
                edited = document;
            const QByteArray bytes = XmlDocumentMutations::inEncoding(edited, name);
            const Reading plain = plainly(bytes);
            const Reading gated = throughTheGate(bytes);
            EXPECT_TRUE(plain.accepted) << names.constData() << qPrintable(plain.message);
            EXPECT_TRUE(gated.accepted) << names.constData() << qPrintable(gated.message);
            EXPECT_EQ(treeText(gated.document), treeText(plain.document)) << names.constData();
        }
    }
}

// A decoder may make an ASCII letter of another byte (HP Roman-8 and IBM's EUC-JP do, though no
// markup): after "<!" the lexer follows all but a comment and a CDATA section as a document type
// declaration, whose subset's references count, so no byte the reader reads as "D" hides one.
TEST(XmlDocumentEncoding, NoByteTheReaderMayReadAsALetterHidesADocumentType)
{
    const QByteArray references = QByteArray("%p;").repeated(MaxXmlTokenLength / MaxXmlEntityExpansion + 1);
    for (char const* opening : {"<!DOCTYPE", "<!\xc4OCTYPE", "<!EOCTYPE"}) {
        SCOPED_TRACE(opening);
        XmlTokenLexer lexer;
        const QByteArray head = QByteArray(opening) + " r [<!ENTITY % p 'x'>";
        lexer.feed(head.constData(), head.size());
        lexer.feed(references.constData(), references.size());
        EXPECT_EQ(lexer.fault(), XmlTokenLexer::Fault::TokenTooLong);
    }
}

// In UHC the bytes after a lead byte are letters or above ASCII; the reader's decoder also takes
// any other ASCII byte from 0x40 on into an ill-formed pair ("]" of "]]>" among them). Every lead
// byte before every ASCII byte, in text, a value and a CDATA section: what the gate takes is read
// as a plain parse reads it, a letter after a lead byte is taken, and a pair that would hide
// markup from the lexer (an element of thousands of attributes behind "]" taken into a pair) is
// refused.
TEST(XmlDocumentEncoding, InUhcALetterInsideACharacterIsFollowedAndAPairHidingMarkupIsRefused)
{
    for (char const* name : {"windows-949", "ibm-949", "ibm-1363"}) {
        SCOPED_TRACE(name);
        const QByteArray head = QByteArray("<?xml version=\"1.0\" encoding=\"") + name + "\"?>\n";
        int taken = 0;
        for (int lead : {0x81, 0x8f, 0xa1, 0xb0, 0xc6, 0xc8, 0xfd, 0xfe}) {
            for (int byte = 0x20; byte < 0x7f; ++byte) {
                const QByteArray pair = QByteArray(1, char(lead)) + char(byte);
                const QByteArray bytes = head + "<r a=\"" + pair + "\">" + pair + "<![CDATA[" + pair + "]]>" + pair + "</r>";
                const Reading gated = throughTheGate(bytes);
                const Reading plain = plainly(bytes);
                if (gated.accepted) {
                    ++taken;
                    EXPECT_TRUE(plain.accepted) << lead << " " << byte;
                    EXPECT_EQ(treeText(gated.document), treeText(plain.document)) << lead << " " << byte;
                }
                const bool letter = QChar::isLetter(char32_t(byte));
                QStringDecoder decoder(name);
                const QString decoded = decoder.decode(pair);
                if (letter && !decoder.hasError() && decoded.size() == 1 && decoded != QChar(0xfffd)) {
                    EXPECT_TRUE(gated.accepted) << lead << " " << byte << ": " << gated.message.toStdString();
                }
            }
        }
        EXPECT_GT(taken, 100);

        // "]" taken into a pair: the lexer would see the section end where the reader does not,
        // and an element of 5000 attributes inside what the lexer takes for a comment.
        char hiding = 0;
        for (int lead = 0x80; lead < 0x100 && !hiding; ++lead) {
            if (!QString(QStringDecoder(name).decode(QByteArray(1, char(lead)) + "]]>")).endsWith(QLatin1String("]]>")))
                hiding = char(lead);
        }
        ASSERT_NE(hiding, 0);
        QByteArray hidden = head + "<r><![CDATA[" + hiding + "]]]><!-- ]]><e";
        for (int i = 0; i < 5000; ++i)
            hidden += " a" + QByteArray::number(i) + "=\"\"";
        hidden += "/> --></r>";
        ASSERT_TRUE(plainly(hidden).accepted);
        const Reading gated = throughTheGate(hidden);
        EXPECT_FALSE(gated.accepted);
        EXPECT_TRUE(gated.message.contains(QStringLiteral("\"%1\"").arg(QString::fromLatin1(name))))
            << gated.message.toStdString();
        // The encoding is read: the document is refused as damaged, not for its encoding.
        EXPECT_TRUE(gated.message.contains(QStringLiteral("no character of the encoding"))) << gated.message.toStdString();
        EXPECT_TRUE(xmlRefusedEncoding(hidden).isEmpty());

        // A declaration holding a character of the encoding other than ASCII is refused as that.
        for (QByteArray const& declaration :
             {head.left(head.size() - 3) + " standalone=\"\xb0\x41\"?>\n", head.left(head.size() - 3) + " \xb0\x41?>\n"}) {
            const Reading refused = throughTheGate(declaration + "<r/>");
            EXPECT_FALSE(refused.accepted);
            EXPECT_EQ(refused.message.left(refused.message.indexOf(QLatin1String(" ("))).toStdString(),
                      "an XML declaration holding bytes other than ASCII")
                << refused.message.toStdString();
        }
    }
}
