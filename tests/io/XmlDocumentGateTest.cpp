// The pass before the tree is built reads a document as a document: only real attributes are
// counted, every single token is bounded before Qt's reader holds it whole, and the attribute
// comparisons of the whole document are bounded; a sound document, however edited by hand, is
// read exactly as a plain parse reads it.

#include "AddressSanitizer.h"
#include "SanitizedSweep.h"
#include "XmlDocumentMutations.h"
#include "app/AddressSpaceLimit.h"
#include "app/HostileFiles.h"

#include "io/XmlDocumentDepth.h"
#include "io/XmlTokenLexer.h"

#include <gtest/gtest.h>

#include <QDomDocument>
#include <QXmlStreamReader>

#include <cstdlib>
#include <iterator>


using namespace KelUtils;

namespace {

// What the lexer makes of `head`, `count` copies of `unit` and `tail`, fed a block at a time
// as a reader reads them, without the whole in memory.
XmlTokenLexer::Fault lexed(QByteArray const& head, QByteArray const& unit, qint64 count, QByteArray const& tail)
{
    XmlTokenLexer lexer;
    lexer.feed(head.constData(), head.size());
    const qint64 perBlock = qMax<qint64>(1, (1 << 20) / unit.size());
    const QByteArray block = unit.repeated(perBlock);
    for (qint64 i = 0; i + perBlock <= count && lexer.fault() == XmlTokenLexer::Fault::None; i += perBlock)
        lexer.feed(block.constData(), block.size());
    for (qint64 i = 0; i < count % perBlock; ++i)
        lexer.feed(unit.constData(), unit.size());
    lexer.feed(tail.constData(), tail.size());
    return lexer.fault();
}

QByteArray elementWithAttributes(int attributes, QByteArray const& name = "n")
{
    QByteArray text = "<" + name;
    for (int i = 0; i < attributes; ++i)
        text += " a" + QByteArray::number(i) + "=''";
    return text + "/>";
}

QByteArray utf16(QString const& text)
{
    return QByteArray("\xff\xfe", 2) + QByteArray(reinterpret_cast<char const*>(text.utf16()), text.size() * 2);
}

} // namespace

// Sound documents a count of "=" signs refused: a project with a banner of them added, a
// description of 5 000 lines "a = b"; then every shape the generator makes of such edits.
TEST(XmlDocumentGate, DocumentsEditedByHandAreReadExactlyAsAPlainParseReadsThem)
{
    const QByteArray project = HostileFiles::stackedProject(6, 4);
    const QByteArray banner = "<!-- " + QByteArray(6000, '=') + " -->\n";
    EXPECT_EQ(XmlDocumentMutations::differsFromPlainParse(banner + project).toStdString(), "");
    QByteArray described = project;
    described.insert(described.lastIndexOf("</graph>"),
                     "<description>" + XmlDocumentMutations::linesOfAssignments(5000) + "</description>");
    EXPECT_EQ(XmlDocumentMutations::differsFromPlainParse(described).toStdString(), "");

    XmlDocumentMutations::Random random(20261208);
    const QList<QByteArray> documents = {
        project,
        HostileFiles::stackedProject(0, 3),
        HostileFiles::stackedProject(30, 12),
        HostileFiles::deepGraphDocument(40),
        HostileFiles::uidsTakenDuringALoad(),
        HostileFiles::attributeFlood(200),
        "<kelstyle><color id=\"c\" rgb=\"#102030\"/><include file=\"a.xml\"/></kelstyle>",
    };
    // Under the sanitizers a third of the rounds.
    const int rounds = SanitizedSweep::pick(25, 8);
    for (QByteArray const& document : documents) {
        for (int round = 0; round < rounds; ++round) {
            QByteArray names;
            const QByteArray changed = XmlDocumentMutations::mutated(document, random, &names);
            EXPECT_EQ(XmlDocumentMutations::differsFromPlainParse(changed).toStdString(), "") << names.constData();
        }
    }
}

// Every kind of token, as the reader cuts them, is bounded: one just within the limit passes,
// one just past it is a fault, whatever the kind; "=" signs count as attributes only in a tag.
TEST(XmlDocumentGate, EveryKindOfTokenIsBoundedBeforeTheReaderHoldsIt)
{
    using Fault = XmlTokenLexer::Fault;
    struct Kind {
        char const* name;
        QByteArray head;
        QByteArray unit;
        QByteArray tail;
    };
    const Kind kinds[] = {
        {"text", "<r>", "x", "</r>"},
        {"text of equals signs", "<r>", "=", "</r>"},
        {"white space after the root", "<r/>", " ", ""},
        {"comment", "<r><!--", "=", "--></r>"},
        {"CDATA section", "<r><![CDATA[", "=", "]]></r>"},
        {"processing instruction", "<r><?p ", "=", "?></r>"},
        {"attribute value", "<r a=\"", "=", "\"/>"},
        {"element name", "<r", "x", "/>"},
        {"comment in the internal subset", "<!DOCTYPE r [<!-- ", "=", " -->]><r/>"},
        {"entity value", "<!DOCTYPE r [<!ENTITY e \"", "<a b='='>", "\">]><r/>"},
    };
    const qint64 markup = 32;
    for (int k = 0; k < int(std::size(kinds)); ++k) {
        // Under the sanitizers every fifth kind: each lexes a token as long as the limit twice.
        if (!SanitizedSweep::takes(k, 5))
            continue;
        Kind const& kind = kinds[k];
        SCOPED_TRACE(kind.name);
        const qint64 within = (MaxXmlTokenLength - markup) / kind.unit.size();
        EXPECT_EQ(lexed(kind.head, kind.unit, within, kind.tail), Fault::None);
        const qint64 past = MaxXmlTokenLength / kind.unit.size() + 1;
        EXPECT_EQ(lexed(kind.head, kind.unit, past, kind.tail), Fault::TokenTooLong);
    }
    // A reference counts what it may expand to, in text, in a value and in the subset.
    const qint64 references = MaxXmlTokenLength / MaxXmlEntityExpansion;
    EXPECT_EQ(QXmlStreamReader().entityExpansionLimit(), MaxXmlEntityExpansion);
    for (auto const& [head, unit, tail] : {std::tuple<QByteArray, QByteArray, QByteArray>{"<r>", "&e;", "</r>"},
                                           {"<r a='", "&e;", "'/>"},
                                           {"<!DOCTYPE r [", "%p;", "]><r/>"}}) {
        SCOPED_TRACE(unit.constData());
        EXPECT_EQ(lexed(head, unit, references / 2, tail), Fault::None);
        EXPECT_EQ(lexed(head, unit, references + 1, tail), Fault::TokenTooLong);
    }
    // Predefined entities and characters expand to one character: more of them than of
    // references that would pass the limit.
    EXPECT_EQ(lexed("<r>", "&amp;&#61;", references + 1, "</r>"), Fault::None);

    // UTF-16 is followed by its characters: U+4E3C holds the byte of "<" and is no tag.
    EXPECT_EQ(lexed(utf16(QStringLiteral("<r>")), utf16(QStringLiteral("\u4e3c&e;")).mid(2), references + 1,
                    QByteArray()),
              Fault::TokenTooLong);
    // An encoding whose second bytes may read as ASCII is not followed.
    EXPECT_EQ(lexed("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>", " ", 1, "<r/>"), Fault::UnfollowedEncoding);
    EXPECT_EQ(lexed("<?xml version=\"1.0\" encoding=\"UTF-7\"?>", " ", 1, "<r/>"), Fault::UnfollowedEncoding);
    EXPECT_EQ(lexed("<?xml version='1.0' encoding='ISO-8859-15'?>", " ", 1, "<r/>"), Fault::None);
    EXPECT_EQ(lexed("<?xml version=\"1.0\"", " \n", 10000, "encoding=\"Shift_JIS\"?><r/>"), Fault::UnfollowedEncoding);
    EXPECT_EQ(lexed("<?xml version=\"1.0\"", "\" \"", 10000, "?><r/>"), Fault::UnfollowedEncoding);
    QString message;
    EXPECT_FALSE(checkXmlDocument("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><r/>", &message));
    EXPECT_TRUE(message.contains(QStringLiteral("encoding"))) << qPrintable(message);

    // Attributes are the "=" signs of a tag, and only those.
    EXPECT_EQ(lexed("<r>", elementWithAttributes(1), 100000, "</r>"), Fault::None);
    EXPECT_EQ(lexed("<r x='==' y=\"=\"", " a=''", MaxXmlAttributes - 2, "/>"), Fault::None);
    EXPECT_EQ(lexed("<r x='==' y=\"=\"", " a=''", MaxXmlAttributes - 1, "/>"), Fault::TooManyAttributes);
}

// A single token of 500 MB (text, comment, CDATA), parsed with 1.5 GB of address space: refused
// for its length, the reader never holding it whole.
TEST(XmlDocumentGate, ASingleTokenOfFiveHundredMegabytesIsRefusedWithinOneAndAHalfGigabytes)
{
#if defined(VYX_ADDRESS_SANITIZER)
    GTEST_SKIP() << "the address sanitizer's shadow memory does not fit under an address-space limit";
#endif
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const qsizetype tokenBytes = qsizetype(500) * 1024 * 1024;
    for (auto const& around : {std::pair<QByteArray, QByteArray>{"<graph>", "</graph>"},
                               {"<graph><!--", "--></graph>"},
                               {"<graph><![CDATA[", "]]></graph>"}}) {
        // Named apart: clang before 16 lets no lambda take a structured binding.
        const QByteArray& head = around.first;
        const QByteArray& tail = around.second;
        SCOPED_TRACE(head.constData());
        auto parseUnderTheLimit = [&] {
            if (!AppTest::limitAddressSpaceTo(qint64(1536) << 20))
                return 3;
            QByteArray text;
            text.reserve(head.size() + tokenBytes + tail.size());
            text += head;
            text.append(tokenBytes, 'a');
            text += tail;
            QDomDocument document;
            QString message;
            if (setXmlContent(document, text, &message))
                return 1;
            return message.contains(QStringLiteral("longer than %1 MB").arg(MaxXmlTokenLength >> 20)) ? 0 : 2;
        };
        EXPECT_EXIT(std::exit(parseUnderTheLimit()), ::testing::ExitedWithCode(0), "");
    }
}

// 600 elements of 2 600 attributes (17 MB) are refused once their comparisons pass the budget:
// the reader stops after the elements whose comparisons fit, not at the end; the work is
// counted by where it stops.
TEST(XmlDocumentGate, TheAttributeComparisonsOfTheWholeDocumentAreBounded)
{
    const QByteArray storm = HostileFiles::attributeStorm(600, 2600);
    QString message;
    int line = 0;
    int column = 0;
    EXPECT_FALSE(checkXmlDocument(storm, &message, &line, &column));
    EXPECT_TRUE(message.contains(QStringLiteral("attributes"))) << qPrintable(message);
    const qint64 perElement = qint64(2600) * 2599 / 2;
    const qint64 elementBytes = storm.size() / 600;
    EXPECT_LE(column, (MaxXmlAttributeComparisons / perElement + 2) * elementBytes);

    // The budget is the sum over elements: as many of the largest elements as fit pass.
    const qint64 largest = qint64(MaxXmlAttributes) * (MaxXmlAttributes - 1) / 2;
    const int fit = int(MaxXmlAttributeComparisons / largest);
    EXPECT_TRUE(checkXmlDocument(HostileFiles::attributeStorm(fit, MaxXmlAttributes)));
    EXPECT_FALSE(checkXmlDocument(HostileFiles::attributeStorm(fit + 1, MaxXmlAttributes)));

    // Elements an entity makes count as well.
    const QByteArray made = elementWithAttributes(450, "e").replace('\'', '"');
    ASSERT_LE(made.size(), MaxXmlEntityExpansion);
    const qint64 perReference = qint64(450) * 449 / 2;
    const QByteArray declared = "<!DOCTYPE r [<!ENTITY m '" + made + "'>]><r>";
    EXPECT_TRUE(checkXmlDocument(declared + QByteArray("&m;").repeated(10) + "</r>"));
    EXPECT_FALSE(checkXmlDocument(declared + QByteArray("&m;").repeated(MaxXmlAttributeComparisons / perReference + 1)
                                  + "</r>"));
}
