// A document is refused before its tree is built when the tree would take more memory than
// MaxXmlTreeBytes, whatever it is made of; the check itself reads the bytes a little at a
// time, so that refusing a document costs about the bytes alone.

#include "AddressSanitizer.h"
#include "SanitizedSweep.h"
#include "app/AddressSpaceLimit.h"
#include "app/HostileFiles.h"

#include "io/XmlDocumentDepth.h"

#include <gtest/gtest.h>

#include <QDomDocument>
#include <QList>

#include <cstdlib>


using namespace KelUtils;

namespace {

struct Flood
{
    char const* name;
    QByteArray head;
    QByteArray unit;
    QByteArray tail;
    // What one unit takes in Qt's DOM (measured, rounded down).
    qint64 treeBytes;
};

// Kinds of small things a tree holds many of.
QList<Flood> floods()
{
    return {
        {"empty elements", "<r>", "<n/>", "</r>", 272},
        {"elements with an attribute", "<r>", "<n a=\"\"/>", "</r>", 2470},
        {"text and comments", "<r>", "x<!---->", "</r>", 380},
        {"processing instructions", "<r>", "<?p?>", "</r>", 200},
        {"attributes a declaration gives every element",
         "<!DOCTYPE r [<!ATTLIST n a CDATA \"1\" b CDATA \"1\" c CDATA \"1\" d CDATA \"1\">]><r>", "<n/>", "</r>",
         3800},
    };
}

// Built in one allocation: a flood as large as a document may be fits only once in the
// memory the test allows.
QByteArray build(Flood const& flood, qint64 units)
{
    QByteArray text;
    text.reserve(flood.head.size() + units * flood.unit.size() + flood.tail.size());
    text += flood.head;
    const qint64 perBlock = qMax<qint64>(1, (1 << 20) / flood.unit.size());
    const QByteArray block = flood.unit.repeated(perBlock);
    for (qint64 i = 0; i + perBlock <= units; i += perBlock)
        text += block;
    for (qint64 i = 0; i < units % perBlock; ++i)
        text += flood.unit;
    text += flood.tail;
    return text;
}

} // namespace

TEST(XmlDocumentBudget, EveryKindOfFloodIsRefusedOnceItsTreeWouldPassTheBudget)
{
    QList<Flood> const all = floods();
    for (int f = 0; f < all.size(); ++f) {
        // Under the sanitizers every third kind: each fills the whole budget.
        if (!SanitizedSweep::takes(f, 3))
            continue;
        Flood const& flood = all.at(f);
        SCOPED_TRACE(flood.name);
        // A tenth of the budget is accepted; what would take the whole budget is not.
        const qint64 within = MaxXmlTreeBytes / 10 / flood.treeBytes;
        EXPECT_TRUE(checkXmlDocument(build(flood, within)));
        const qint64 over = MaxXmlTreeBytes / flood.treeBytes + 1;
        const QByteArray text = build(flood, over);
        QString message;
        int line = 0;
        int column = 0;
        EXPECT_FALSE(checkXmlDocument(text, &message, &line, &column));
        EXPECT_TRUE(message.contains(QStringLiteral("%1 MB").arg(MaxXmlTreeBytes >> 20))) << qPrintable(message);
        EXPECT_EQ(line, 1);
        EXPECT_GT(column, 0);
        QDomDocument document;
        EXPECT_FALSE(setXmlContent(document, text));
        EXPECT_TRUE(document.documentElement().isNull());
    }
}

// Floods just under the size of the largest document file read, parsed with 1.5 GB of address
// space: refused, not aborted by an allocation that fails.
TEST(XmlDocumentBudget, FloodsAsLargeAsADocumentMayBeAreRefusedWithinOneAndAHalfGigabytes)
{
#if defined(VYX_ADDRESS_SANITIZER)
    GTEST_SKIP() << "the address sanitizer's shadow memory does not fit under an address-space limit";
#endif
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const qint64 fileBytes = qint64(500) * 1024 * 1024;
    for (Flood const& flood : floods()) {
        SCOPED_TRACE(flood.name);
        auto parseUnderTheLimit = [&] {
            if (!AppTest::limitAddressSpaceTo(qint64(1536) << 20))
                return 3;
            const QByteArray text = build(flood, (fileBytes - flood.head.size()) / flood.unit.size());
            QDomDocument document;
            return setXmlContent(document, text) ? 1 : 0;
        };
        EXPECT_EXIT(std::exit(parseUnderTheLimit()), ::testing::ExitedWithCode(0), "");
    }
}

// Qt's reader compares each attribute of an element with all the others before it hands the
// element on: the attributes are counted in the bytes, and the reader stops reading there.
TEST(XmlDocumentBudget, AnElementWithMoreAttributesThanTheLimitIsRefusedBeforeTheReaderTakesThemIn)
{
    EXPECT_TRUE(checkXmlDocument(HostileFiles::attributeFlood(MaxXmlAttributes)));
    // A million would take the reader about three hours.
    QString message;
    EXPECT_FALSE(checkXmlDocument(HostileFiles::attributeFlood(1000 * 1000), &message));
    EXPECT_EQ(message, QStringLiteral("an element with more than %1 attributes").arg(MaxXmlAttributes));
    // A value may hold "=" signs; the program writes them at the end of Base64 text.
    EXPECT_TRUE(checkXmlDocument("<r>" + QByteArray("<n a=\"QQ==\" b=\"QUI=\"/>").repeated(100000) + "</r>"));
}

// Each element is compared with every attribute default the document type declares.
TEST(XmlDocumentBudget, ElementsTimesTheDeclaredAttributeDefaultsAreBounded)
{
    QByteArray declarations = "<!DOCTYPE r [";
    for (int i = 0; i < 4000; ++i)
        declarations += "<!ATTLIST m a" + QByteArray::number(i) + " CDATA \"1\">";
    declarations += "]>";
    EXPECT_TRUE(checkXmlDocument(declarations + "<r>" + QByteArray("<n/>").repeated(1000) + "</r>"));
    QString message;
    EXPECT_FALSE(checkXmlDocument(declarations + "<r>" + QByteArray("<n/>").repeated(100000) + "</r>", &message));
    EXPECT_TRUE(message.contains(QStringLiteral("declarations"))) << qPrintable(message);
    // Without declarations elements count one step each.
    EXPECT_TRUE(checkXmlDocument("<!DOCTYPE MarrowindGraphNode>\n<r>" + QByteArray("<n/>").repeated(1000000) + "</r>"));
}
