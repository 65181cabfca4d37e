#pragma once

// Sound documents changed by hand the ways a person edits one: comments and banners of "="
// signs, long descriptions of "a = b" lines as text, CDATA sections and processing
// instructions, entities declared in the document type and referred to in text and values,
// character references, an XML declaration, and the whole in UTF-16 or in EUC-JP. Each stays well-formed
// when the document it changes is; a reader must take it exactly as a plain DOM parse does.
// `differsFromPlainParse` says how the document gate and a parse without it disagree.

#include "io/XmlDocumentDepth.h"

#include <QByteArray>
#include <QDomDocument>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

#include <functional>
#include <random>

namespace XmlDocumentMutations {

using Random = std::mt19937;

inline int pick(Random& random, int from, int to)
{
    return std::uniform_int_distribution<int>(from, to)(random);
}

inline QByteArray linesOfAssignments(int lines)
{
    QByteArray text;
    for (int i = 0; i < lines; ++i)
        text += "a" + QByteArray::number(i) + " = b\n";
    return text;
}

// Ends the internal subsets the mutations write, whose declarations hold "]>" of their own.
inline QByteArray const subsetEnd = "<!-- end of declarations -->]>";

// Where the root element's start tag ends.
inline qsizetype rootContentBegin(QByteArray const& document)
{
    qsizetype from = 0;
    const qsizetype doctype = document.indexOf("<!DOCTYPE");
    if (doctype >= 0) {
        const qsizetype subset = document.indexOf(subsetEnd, doctype);
        from = subset >= 0 ? subset + subsetEnd.size() : document.indexOf('>', doctype) + 1;
    }
    for (qsizetype at = document.indexOf('<', from); at >= 0; at = document.indexOf('<', at + 1)) {
        const char next = at + 1 < document.size() ? document[at + 1] : '\0';
        if (next != '?' && next != '!')
            return document.indexOf('>', at) + 1;
    }
    return -1;
}

inline qsizetype rootStart(QByteArray const& document)
{
    return document.lastIndexOf('<', rootContentBegin(document) - 1);
}

// A place inside the root element between two of its children (or after its start tag).
inline qsizetype contentPlace(QByteArray const& document, Random& random)
{
    const qsizetype begin = rootContentBegin(document);
    const qsizetype end = document.lastIndexOf("</");
    QList<qsizetype> places{begin};
    for (qsizetype at = document.indexOf('>', begin); at >= 0 && at < end; at = document.indexOf('>', at + 1)) {
        if (document.at(at + 1) == '<' || document.at(at + 1) == '\n')
            places.append(at + 1);
    }
    return places.at(pick(random, 0, int(places.size()) - 1));
}

inline QByteArray rootName(QByteArray const& document)
{
    const qsizetype start = rootStart(document) + 1;
    qsizetype end = start;
    while (end < document.size() && !QByteArray(" \t\r\n/>").contains(document[end]))
        ++end;
    return document.mid(start, end - start);
}

// The document with `declarations` in its internal subset, one made when it has none.
inline QByteArray withDeclarations(QByteArray document, QByteArray const& declarations)
{
    const qsizetype doctype = document.indexOf("<!DOCTYPE");
    if (doctype < 0) {
        document.insert(rootStart(document), "<!DOCTYPE " + rootName(document) + " [" + declarations + subsetEnd + "\n");
        return document;
    }
    const qsizetype subset = document.indexOf(subsetEnd, doctype);
    if (subset >= 0)
        document.insert(subset, declarations);
    else
        document.insert(document.indexOf('>', doctype), " [" + declarations + subsetEnd.chopped(1));
    return document;
}

using Mutation = std::function<QByteArray(QByteArray, Random&)>;

inline QList<std::pair<char const*, Mutation>> mutations()
{
    return {
        {"banner comment before the root",
         [](QByteArray document, Random& random) {
             const QByteArray banner = "<!-- " + QByteArray(pick(random, 60, 9000), '=') + " -->\n";
             document.insert(rootStart(document), banner + "<!-- a = b -->\n" + banner);
             return document;
         }},
        {"banner comment inside",
         [](QByteArray document, Random& random) {
             document.insert(contentPlace(document, random),
                             "<!--" + QByteArray(pick(random, 1, 9000), '=') + "-->");
             return document;
         }},
        {"description of a = b lines",
         [](QByteArray document, Random& random) {
             document.insert(contentPlace(document, random), linesOfAssignments(pick(random, 1, 6000)));
             return document;
         }},
        {"CDATA with markup in it",
         [](QByteArray document, Random& random) {
             document.insert(contentPlace(document, random),
                             "<![CDATA[<tag a=\"1\" b='2'> ] ]] > -- <!-- " + linesOfAssignments(pick(random, 1, 5000))
                                 + "]]>");
             return document;
         }},
        {"processing instructions",
         [](QByteArray document, Random& random) {
             document.insert(rootStart(document), "<?editor a = b c=\"d\" > ?>\n");
             document.insert(contentPlace(document, random),
                             "<?note " + QByteArray(pick(random, 0, 5000), '=') + " '\" > ?>");
             return document;
         }},
        {"entities in text and values",
         [](QByteArray document, Random& random) {
             const QByteArray banner(pick(random, 1, 4000), '=');
             document = withDeclarations(
                 std::move(document),
                 "<!ENTITY banner \"" + banner + "\">\n<!ENTITY mark '<em note=\"a = b\">x &amp; y</em>'>\n"
                 "<!-- ]> \"' = --><?inside ]> ?>\n<!ENTITY % kept \"<!ENTITY kept 'k = 1'>\"> %kept;\n"
                 "<!ATTLIST none a CDATA \"]>\">\n");
             const int references = pick(random, 1, 2000);
             QByteArray text;
             for (int i = 0; i < references; ++i)
                 text += i % 3 == 0 ? "&banner;" : i % 3 == 1 ? "&mark;" : "&kept;&lt;&#61;";
             document.insert(contentPlace(document, random), text);
             const qsizetype tag = rootStart(document) + 1 + rootName(document).size();
             document.insert(tag, " zz-note" + QByteArray::number(pick(random, 0, 1 << 30))
                                      + "=\"&banner;&kept; &amp; &#x3D; a = b\"");
             return document;
         }},
        {"long description in a value",
         [](QByteArray document, Random& random) {
             QByteArray value = linesOfAssignments(pick(random, 1, 5000));
             value.replace('\n', "&#10;");
             const qsizetype tag = rootStart(document) + 1 + rootName(document).size();
             const QByteArray suffix = QByteArray::number(pick(random, 0, 1 << 30));
             document.insert(tag, " zz-description" + suffix + "=\"" + value + "\" zz-b" + suffix + "='=\"='");
             return document;
         }},
        {"XML declaration",
         [](QByteArray document, Random& random) {
             if (document.startsWith("<?xml"))
                 return document;
             static char const* const names[] = {"UTF-8", "utf-8", "ISO-8859-1"};
             return "<?xml version=\"1.0\" encoding=\"" + QByteArray(names[pick(random, 0, 2)])
                 + "\" standalone='yes'?>\n" + document;
         }},
    };
}

// The whole document in UTF-16, little- or big-endian, with its byte-order mark.
inline QByteArray inUtf16(QByteArray const& document, bool bigEndian)
{
    QByteArray text = document;
    if (text.startsWith("<?xml")) {
        const qsizetype end = text.indexOf("?>");
        text.replace(0, end, text.left(end).replace("utf-8", "UTF-16").replace("UTF-8", "UTF-16"));
    }
    const QString characters = QString::fromUtf8(text);
    QByteArray bytes = bigEndian ? QByteArray("\xfe\xff", 2) : QByteArray("\xff\xfe", 2);
    for (QChar c : characters) {
        const char high = char(c.unicode() >> 8);
        const char low = char(c.unicode() & 0xff);
        bytes += bigEndian ? QByteArray{&high, 1} + QByteArray{&low, 1} : QByteArray{&low, 1} + QByteArray{&high, 1};
    }
    return bytes;
}

// The whole document in an encoding, declared, with a comment before its root in what the
// encoding holds of Japanese, Greek, Cyrillic and accented Latin.
inline QByteArray inEncoding(QByteArray document, char const* name)
{
    if (document.startsWith("<?xml"))
        document.remove(0, document.indexOf("?>") + 2);
    QString comment;
    for (QChar c : QStringLiteral("\u65e5\u672c\u8a9e\u306e\u8aac\u660e \u03a9\u03bc\u03ad\u03b3\u03b1 "
                                  "\u041f\u0440\u0438\u0432\u0435\u0442 caf\u00e9 \u00c5ngstr\u00f6m")) {
        QStringEncoder encoder(name);
        const QByteArray bytes = encoder.encode(QString(c));
        if (!encoder.hasError() && QString(QStringDecoder(name).decode(bytes)) == c)
            comment += c;
    }
    document.insert(rootStart(document), "<!-- " + comment.toUtf8() + " -->\n");
    return QStringEncoder(name).encode(
        QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>\n").arg(QString::fromLatin1(name))
        + QString::fromUtf8(document));
}

// `document` changed by one to four of the mutations, and sometimes recoded.
inline QByteArray mutated(QByteArray document, Random& random, QByteArray* names = nullptr)
{
    // A root without content is given room for some.
    const qsizetype contentBegin = rootContentBegin(document);
    if (document.at(contentBegin - 2) == '/')
        document.replace(contentBegin - 2, 2, "></" + rootName(document) + ">");
    const auto all = mutations();
    const int count = pick(random, 1, 4);
    for (int i = 0; i < count; ++i) {
        auto const& [name, mutation] = all.at(pick(random, 0, int(all.size()) - 1));
        document = mutation(std::move(document), random);
        if (names)
            *names += QByteArray(name) + "; ";
    }
    if (pick(random, 0, 5) == 0) {
        const bool bigEndian = pick(random, 0, 1) == 1;
        if (!document.contains("ISO-8859-1")) {
            document = inUtf16(document, bigEndian);
            if (names)
                *names += bigEndian ? "UTF-16 big-endian" : "UTF-16";
        }
    }
    return document;
}

// The document once through each mutation and once in UTF-16, named: seeds for the fuzz
// targets that read documents.
inline QList<std::pair<QString, QByteArray>> editedOnce(QByteArray const& document)
{
    QList<std::pair<QString, QByteArray>> edited;
    Random random(1);
    for (auto const& [name, mutation] : mutations())
        edited.append({QString::fromLatin1(name).replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")),
                                                         QStringLiteral("-")),
                       mutation(document, random)});
    edited.append({QStringLiteral("UTF-16"), inUtf16(document, false)});
    edited.append({QStringLiteral("EUC-JP"), inEncoding(document, "EUC-JP")});
    return edited;
}

// Empty when the gate reads `document` as a plain DOM parse does: the same verdict, the same
// tree; otherwise what differs.
inline QString differsFromPlainParse(QByteArray const& document)
{
    QDomDocument plain;
    QString plainMessage;
    const bool plainAccepts = plain.setContent(document, false, &plainMessage);
    QDomDocument gated;
    QString gatedMessage;
    const bool gateAccepts = KelUtils::setXmlContent(gated, document, &gatedMessage);
    if (plainAccepts != gateAccepts)
        return QStringLiteral("plain parse %1 (%2), gate %3 (%4)")
            .arg(plainAccepts ? QStringLiteral("accepts") : QStringLiteral("refuses"), plainMessage,
                 gateAccepts ? QStringLiteral("accepts") : QStringLiteral("refuses"), gatedMessage);
    if (!plainAccepts)
        return QStringLiteral("neither reads it: ") + plainMessage;
    if (plain.toByteArray() != gated.toByteArray())
        return QStringLiteral("the trees differ");
    return QString();
}

} // namespace XmlDocumentMutations
