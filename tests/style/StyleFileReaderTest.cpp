#include "io/XmlDocumentBudget.h"
#include "style/KelStyleConfig.h"
#include "style/KelStyleParser.h"
#include "style/XmlStanza.h"

#include "StyleTestFiles.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QPen>
#include <QPixmap>
#include <QRegularExpression>
#include <QSize>
#include <QTemporaryDir>

namespace {

class StyleFileReaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(StyleTestFiles::folder().isEmpty());
        store().clear();
    }
    void TearDown() override { store().clear(); }

    static KelStyleConfig& store() { return *KelStyleConfig::instance(); }

    bool load(QString const& fileName, bool lenient = false)
    {
        return parser.load(fileName, store(), lenient);
    }

    // One file holding `body` inside the root element.
    QString styleFile(QString const& base, QString const& body)
    {
        return files.write(base, QStringLiteral("<kelstyle>") + body + QStringLiteral("</kelstyle>"));
    }

    StyleTestFiles files;
    KelStyleParser parser;
};

} // namespace

TEST_F(StyleFileReaderTest, KeysJoinTheIdsAroundAnElementVerbatim)
{
    const QString file = styleFile(QStringLiteral("keys.xml"), QStringLiteral(R"(
        <!-- comments and text change nothing -->
        some text
        <group id="ComboBox">
            <pen id="hasFocus.borderPen" rgb="#102030"/>
            <anything>
                <color id="textColor" rgb="#010203"/>
            </anything>
            <color rgb="#0a0b0c"/>
            <group id="Inner"><size id="sizeHint" width="4" height="5"/></group>
        </group>
        <AppPalette id="AppPalette"><active id="active"><color id="windowColor" rgb="#111111"/></active></AppPalette>
        <color rgb="#fefefe"/>
        <color id="twice" rgb="#000001"/>
        <color id="twice" rgb="#000002"/>
    )"));
    ASSERT_TRUE(load(file)) << parser.errorText().toStdString();

    EXPECT_EQ(store().value<QPen>(QStringLiteral("ComboBox.hasFocus.borderPen")).color(), QColor(0x10, 0x20, 0x30));
    // A group without id adds nothing.
    EXPECT_EQ(store().value<QColor>(QStringLiteral("ComboBox.textColor")), QColor(1, 2, 3));
    // A value without id takes the key of its surroundings, or the empty key at the top.
    EXPECT_EQ(store().value<QColor>(QStringLiteral("ComboBox")), QColor(10, 11, 12));
    EXPECT_EQ(store().value<QColor>(QString()), QColor(0xfe, 0xfe, 0xfe));
    EXPECT_EQ(store().value<QSize>(QStringLiteral("ComboBox.Inner.sizeHint")), QSize(4, 5));
    EXPECT_EQ(store().value<QColor>(QStringLiteral("AppPalette.active.windowColor")), QColor(0x11, 0x11, 0x11));
    EXPECT_EQ(store().value<QColor>(QStringLiteral("twice")), QColor(0, 0, 2));
    // Exact keys only.
    EXPECT_FALSE(store().contains(QStringLiteral("combobox.hasFocus.borderPen")));
    EXPECT_FALSE(store().contains(QStringLiteral("ComboBox.hasFocus.borderPen ")));
}

TEST_F(StyleFileReaderTest, DefinedCopiesOnlyEarlierKeys)
{
    const QString good = styleFile(QStringLiteral("defined.xml"), QStringLiteral(R"(
        <group id="Base"><color id="textColor" rgb="#203040"/></group>
        <group id="Label">
            <color id="textColor" defined="Base.textColor"/>
            <!-- a copy is never read: the bad colour below would fail a strict load -->
            <group id="copied" defined="Base.textColor"><color id="x" type="HEX" rgb="#000000"/></group>
        </group>
        <color id="Base.textColor" rgb="#ffffff"/>
    )"));
    ASSERT_TRUE(load(good)) << parser.errorText().toStdString();
    EXPECT_EQ(store().value<QColor>(QStringLiteral("Label.textColor")), QColor(0x20, 0x30, 0x40));
    EXPECT_EQ(store().value<QColor>(QStringLiteral("Label.copied")), QColor(0x20, 0x30, 0x40));
    EXPECT_FALSE(store().contains(QStringLiteral("Label.copied.x")));

    for (bool lenient : {false, true}) {
        store().clear();
        const QString later = styleFile(QStringLiteral("later.xml"), QStringLiteral(R"(
            <color id="first" rgb="#010101"/>
            <color id="copy" defined="Later.color"/>
            <color id="Later.color" rgb="#020202"/>
        )"));
        KelStyleParser reader;
        EXPECT_FALSE(reader.load(later, store(), lenient));
        EXPECT_EQ(reader.errorText(), QStringLiteral("Link to predefined variable 'Later.color', but not found"));
        // What came before the failure stays; nothing after it is read.
        EXPECT_TRUE(store().contains(QStringLiteral("first")));
        EXPECT_FALSE(store().contains(QStringLiteral("copy")));
        EXPECT_FALSE(store().contains(QStringLiteral("Later.color")));
    }
}

TEST_F(StyleFileReaderTest, IncludeWithDirectoryPartMovesAndRestoresTheCurrentDirectory)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    // An image named without prefix is found relative to the moved current directory.
    files.writeImageAt(work.path() + QStringLiteral("/pictures"), QStringLiteral("dot.png"), QSize(3, 2), Qt::blue);

    files.write(QStringLiteral("inner.xml"), QStringLiteral(R"(<kelstyle>
        <color id="fromInner" rgb="#123456"/>
        <image id="dot" name="dot.png"/>
    </kelstyle>)"));
    const QString outer = styleFile(QStringLiteral("outer.xml"), QStringLiteral(R"(
        <color id="base" rgb="#654321"/>
        <group id="Prefix">
            <include id="ignored" filepath="pictures/%Pinner.xml"/>
            <color id="after" defined="fromInner"/>
        </group>
    )"));

    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(work.path()));
    const bool ok = load(outer);
    const QString afterLoad = QDir::currentPath();
    QDir::setCurrent(before);

    ASSERT_TRUE(ok) << parser.errorText().toStdString();
    EXPECT_EQ(QDir(afterLoad).canonicalPath(), QDir(work.path()).canonicalPath());
    // The included file's keys start from an empty prefix.
    EXPECT_EQ(store().value<QColor>(QStringLiteral("fromInner")), QColor(0x12, 0x34, 0x56));
    EXPECT_FALSE(store().contains(QStringLiteral("Prefix.fromInner")));
    EXPECT_EQ(store().value<QColor>(QStringLiteral("Prefix.after")), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(store().value<QPixmap>(QStringLiteral("dot")).size(), QSize(3, 2));
}

TEST_F(StyleFileReaderTest, IncludeCyclesFailWithTheFileThatClosesThem)
{
    const QString self = styleFile(QStringLiteral("self.xml"),
                                   QStringLiteral("<color id=\"s\" rgb=\"#000001\"/><include filepath=\"%Pself.xml\"/>"));
    EXPECT_FALSE(load(self));
    EXPECT_EQ(parser.errorText(), QStringLiteral("Include cycle: ") + self);
    EXPECT_TRUE(store().contains(QStringLiteral("s")));

    const QString a = styleFile(QStringLiteral("a.xml"), QStringLiteral("<include filepath=\"x/%Pb.xml\"/>"));
    styleFile(QStringLiteral("b.xml"), QStringLiteral("<include filepath=\"../%Pc.xml\"/>"));
    styleFile(QStringLiteral("c.xml"), QStringLiteral("<include filepath=\"%Pa.xml\"/>"));
    const QString before = QDir::currentPath();
    for (bool lenient : {false, true}) {
        KelStyleParser reader;
        EXPECT_FALSE(reader.load(a, store(), lenient));
        EXPECT_EQ(reader.errorText(), QStringLiteral("Include cycle: ") + a);
        EXPECT_EQ(QDir::currentPath(), before);
    }

    // Including the same file twice one after the other is not a cycle, and the reader can load again.
    const QString twice = styleFile(QStringLiteral("twice.xml"), QStringLiteral(
        "<include filepath=\"%Pleaf.xml\"/><include filepath=\"%Pleaf.xml\"/>"));
    styleFile(QStringLiteral("leaf.xml"), QStringLiteral("<bool id=\"leaf\" value=\"on\"/>"));
    EXPECT_TRUE(load(twice)) << parser.errorText().toStdString();
    EXPECT_TRUE(load(twice)) << parser.errorText().toStdString();
    EXPECT_TRUE(store().value<bool>(QStringLiteral("leaf")));
}

TEST_F(StyleFileReaderTest, IncludesNestAtMostSixteenDeep)
{
    // chain0 includes chain1 ... includes chainN, which holds the value.
    auto makeChain = [this](QString const& tag, int depth) {
        for (int i = 0; i < depth; ++i)
            styleFile(QStringLiteral("%1%2.xml").arg(tag).arg(i),
                      QStringLiteral("<include filepath=\"%P%1%2.xml\"/>").arg(tag).arg(i + 1));
        styleFile(QStringLiteral("%1%2.xml").arg(tag).arg(depth),
                  QStringLiteral("<bool id=\"%1\" value=\"true\"/>").arg(tag));
        return files.name(tag + QStringLiteral("0.xml"));
    };
    const QString deepest = makeChain(QStringLiteral("ok"), KelStyleParser::MAX_INCLUDE_DEPTH);
    EXPECT_TRUE(load(deepest)) << parser.errorText().toStdString();
    EXPECT_TRUE(store().value<bool>(QStringLiteral("ok")));

    const QString tooDeep = makeChain(QStringLiteral("deep"), KelStyleParser::MAX_INCLUDE_DEPTH + 1);
    EXPECT_FALSE(load(tooDeep));
    EXPECT_TRUE(parser.errorText().startsWith(QStringLiteral("Includes nested deeper than 16 levels: ")))
        << parser.errorText().toStdString();
    EXPECT_FALSE(store().contains(QStringLiteral("deep")));
}

TEST_F(StyleFileReaderTest, StrictFailsOnAValueThatDoesNotReadLenientSkipsIt)
{
    const QString file = styleFile(QStringLiteral("values.xml"), QStringLiteral(R"(
        <color id="good" rgb="#0000ff"/>
        <group id="G"><color id="bad" type="HEX" rgb="#ff0000"/></group>
        <size id="zero" width="0" height="0"/>
        <prefix id="empty" path=""/>
        <image id="missing" name="no-such-picture.png"/>
        <color id="tail" rgb="#00ff00"/>
    )"));
    EXPECT_FALSE(load(file, false));
    EXPECT_EQ(parser.errorText(), QStringLiteral("Error parsing tag 'color'"));
    EXPECT_TRUE(store().contains(QStringLiteral("good")));
    EXPECT_FALSE(store().contains(QStringLiteral("tail")));

    store().clear();
    EXPECT_TRUE(load(file, true)) << parser.errorText().toStdString();
    EXPECT_TRUE(parser.isLenient());
    for (char const* skipped : {"G.bad", "zero", "empty", "missing"})
        EXPECT_FALSE(store().contains(QString::fromLatin1(skipped))) << skipped;
    EXPECT_EQ(store().value<QColor>(QStringLiteral("tail")), QColor(Qt::green));

    // Each kind of empty value fails a strict load with its own tag name.
    for (auto const& [body, tag] : {std::pair{"<size width=\"0\" height=\"0\"/>", "size"},
                                    std::pair{"<prefix/>", "prefix"},
                                    std::pair{"<image name=\"nothing.png\"/>", "image"},
                                    std::pair{"<bool value=\"2\"/>", "bool"}}) {
        KelStyleParser reader;
        const QString single = styleFile(QStringLiteral("single.xml"), QString::fromLatin1(body));
        EXPECT_FALSE(reader.load(single, store(), false));
        EXPECT_EQ(reader.errorText(), QStringLiteral("Error parsing tag '%1'").arg(QString::fromLatin1(tag)));
    }
}

TEST_F(StyleFileReaderTest, MalformedFilesFailWithPositionAndNothingHalfLoaded)
{
    const QString mismatched = files.write(QStringLiteral("mismatch.xml"),
                                           QStringLiteral("<kelstyle>\n  <color id=\"a\" rgb=\"#010101\"/>\n  <group></kelstyle>\n"));
    EXPECT_FALSE(load(mismatched));
    const QRegularExpression position(QStringLiteral(R"(^Fatal error \[line 3, column \d+\]: .+)"));
    EXPECT_TRUE(position.match(parser.errorText()).hasMatch()) << parser.errorText().toStdString();
    // The tree pass fails before anything is stored.
    EXPECT_FALSE(store().contains(QStringLiteral("a")));

    for (QString const& text : {QString(), QStringLiteral("<kelstyle>"), QStringLiteral("<a/><b/>"),
                                QStringLiteral("<a x=\"1\" x=\"2\"/>"), QStringLiteral("<p:a/>"),
                                QStringLiteral("<a>&undefined;</a>"), QStringLiteral("not xml at all")}) {
        KelStyleParser reader;
        const QString file = files.write(QStringLiteral("bad.xml"), text);
        EXPECT_FALSE(reader.load(file, store(), true)) << text.toStdString();
        EXPECT_TRUE(reader.errorText().startsWith(QStringLiteral("Fatal error [line "))) << text.toStdString();
    }
    EXPECT_TRUE(store().contains(QStringLiteral("a")) == false);

    // Entities that expand exponentially are refused, not expanded.
    QString laughs = QStringLiteral("<!DOCTYPE k [<!ENTITY l0 \"ha\">");
    for (int i = 1; i < 12; ++i)
        laughs += QStringLiteral("<!ENTITY l%1 \"&l%2;&l%2;&l%2;&l%2;&l%2;&l%2;&l%2;&l%2;\">").arg(i).arg(i - 1);
    laughs += QStringLiteral("]><k><color id=\"&l11;\" rgb=\"#000000\"/></k>");
    {
        KelStyleParser reader;
        EXPECT_FALSE(reader.load(files.write(QStringLiteral("laughs.xml"), laughs), store(), true));
        EXPECT_TRUE(reader.errorText().startsWith(QStringLiteral("Fatal error [line "))) << reader.errorText().toStdString();
    }

    // Hostile nesting is refused instead of recursing without bound.
    QString deep;
    for (int i = 0; i < 5000; ++i)
        deep += QStringLiteral("<g>");
    for (int i = 0; i < 5000; ++i)
        deep += QStringLiteral("</g>");
    KelStyleParser reader;
    EXPECT_FALSE(reader.load(files.write(QStringLiteral("deep.xml"), deep), store(), true));
    EXPECT_TRUE(reader.errorText().startsWith(QStringLiteral("Elements nested deeper than"))) << reader.errorText().toStdString();
}

// The trees of the files that include a file stay while it is read: together they keep to the
// budget of one document.
TEST_F(StyleFileReaderTest, AFileAndTheFilesItIncludesShareOneBudget)
{
    // Each of the two trees takes more than half the budget.
    const QByteArray half = QByteArray("<g/>").repeated(KelUtils::MaxXmlTreeBytes / 2 / 256);
    const QString inner = files.name(QStringLiteral("inner-half.xml"));
    files.writeRaw(StyleTestFiles::folder() + QLatin1Char('/') + inner, "<kelstyle>" + half + "</kelstyle>");
    const QString outer = files.name(QStringLiteral("outer-half.xml"));
    files.writeRaw(StyleTestFiles::folder() + QLatin1Char('/') + outer,
                   "<kelstyle>" + half + "<include filepath=\"" + inner.toUtf8() + "\"/></kelstyle>");
    EXPECT_TRUE(load(inner));
    EXPECT_FALSE(load(outer));
    EXPECT_TRUE(parser.errorText().contains(QStringLiteral("MB as a tree"))) << parser.errorText().toStdString();
}

// A damaged sequence of the file's encoding is named where it stands, not where the reader was
// when the bytes ahead of it were refused.
TEST_F(StyleFileReaderTest, ADamagedSequenceIsNamedWhereItStands)
{
    // In UHC C7 D1 is one Hangul syllable; 0x81 leads a character that "]" cannot end.
    const QString file = files.name(QStringLiteral("uhc.xml"));
    files.writeRaw(StyleTestFiles::folder() + QLatin1Char('/') + file,
                   "<?xml version=\"1.0\" encoding=\"windows-949\"?>\n<kelstyle>\r\n  <!-- \xc7\xd1\xb1\xdb -->\n"
                   "  <color id=\"\xc7\xd1\x81]\" rgb=\"#010101\"/>\n</kelstyle>\n");
    EXPECT_FALSE(load(file));
    EXPECT_TRUE(parser.errorText().startsWith(QStringLiteral("Fatal error [line 4, column 15]: ")))
        << parser.errorText().toStdString();
    EXPECT_TRUE(parser.errorText().contains(QStringLiteral("windows-949"))) << parser.errorText().toStdString();
}

TEST(KelStyleParserNoValueTest, EmptyStringZeroSizeAndNullPixmapCountAsNoValue)
{
    EXPECT_TRUE(KelStyleParser::isNoValue(QVariant()));
    EXPECT_TRUE(KelStyleParser::isNoValue(QVariant(QString())));
    EXPECT_FALSE(KelStyleParser::isNoValue(QVariant(QStringLiteral(""))));
    EXPECT_TRUE(KelStyleParser::isNoValue(QVariant(QSize(0, 0))));
    EXPECT_FALSE(KelStyleParser::isNoValue(QVariant(QSize(0, 1))));
    EXPECT_FALSE(KelStyleParser::isNoValue(QVariant(QSize())));
    EXPECT_TRUE(KelStyleParser::isNoValue(QVariant(QPixmap())));
    EXPECT_FALSE(KelStyleParser::isNoValue(QVariant(QPixmap(1, 1))));
    EXPECT_FALSE(KelStyleParser::isNoValue(QVariant(QColor())));
    EXPECT_FALSE(KelStyleParser::isNoValue(QVariant(false)));
}
