#include "style/ConnectingLine.h"
#include "style/KelStyleConfig.h"
#include "style/KelStyleParser.h"
#include "style/KelTagBoolParser.h"
#include "style/KelTagColorParser.h"
#include "style/KelTagConnectingLineParser.h"
#include "style/KelTagFontParser.h"
#include "style/KelTagImageParser.h"
#include "style/KelTagLinearGradientParser.h"
#include "style/KelTagPenParser.h"
#include "style/KelTagPrefixParser.h"
#include "style/KelTagSizeParser.h"
#include "style/XmlStanza.h"

#include "StyleTestFiles.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QFont>
#include <QLinearGradient>
#include <QPen>
#include <QPixmap>
#include <QSize>
#include <QTemporaryDir>

#include <initializer_list>
#include <utility>

namespace {

using Attrs = std::initializer_list<std::pair<char const*, char const*>>;

XmlStanza element(char const* name, Attrs attrs = {})
{
    XmlStanza stanza;
    stanza.tag().setName(QString::fromLatin1(name));
    for (auto const& [key, value] : attrs)
        stanza.tag().addAttribute(QString::fromLatin1(key), QString::fromUtf8(value));
    return stanza;
}

// Qt messages caught while a test runs: the parsers must stay silent on odd input.
QStringList* g_messages = nullptr;

void catchMessage(QtMsgType, QMessageLogContext const&, QString const& text)
{
    if (g_messages)
        g_messages->append(text);
}

class StyleValueTagsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store().clear();
        g_messages = &messages;
        m_previousHandler = qInstallMessageHandler(catchMessage);
    }
    void TearDown() override
    {
        qInstallMessageHandler(m_previousHandler);
        g_messages = nullptr;
        store().clear();
        EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    }

    static KelStyleConfig& store() { return *KelStyleConfig::instance(); }

    template<typename Parser>
    static QVariant read(XmlStanza const& stanza)
    {
        Parser parser;
        return parser.parse(stanza, store());
    }

    static QColor color(Attrs attrs) { return read<KelTagColorParser>(element("color", attrs)).value<QColor>(); }
    static bool colorHasValue(Attrs attrs) { return read<KelTagColorParser>(element("color", attrs)).isValid(); }

    QStringList messages;

private:
    QtMessageHandler m_previousHandler = nullptr;
};

} // namespace

TEST_F(StyleValueTagsTest, LinearGradientStops)
{
    store().add(QStringLiteral("Base.color"), QColor(7, 8, 9));
    XmlStanza gradient = element("linear_gradient");
    gradient.addChild(element("color", {{"at", "1"}, {"rgb", "#ffffff"}}));
    gradient.addChild(element("color", {{"at", "0"}, {"defined", "Base.color"}, {"rgb", "#ff0000"}}));
    gradient.addChild(element("color", {{"at", "0.5"}, {"defined", "Later.color"}}));
    gradient.addChild(element("color", {{"at", "1.5"}, {"rgb", "#00ff00"}}));
    gradient.addChild(element("color", {{"at", "nan"}, {"rgb", "#00ff00"}}));
    const QVariant value = read<KelTagLinearGradientParser>(gradient);
    ASSERT_EQ(value.metaType(), KelStyleConfig::gradientMetaType());
    EXPECT_STREQ(value.metaType().name(), "QLinearGradient");
    const QGradientStops stops = value.value<QLinearGradient>().stops();
    ASSERT_EQ(stops.size(), 3);
    EXPECT_EQ(stops[0], QGradientStop(0.0, QColor(7, 8, 9)));
    EXPECT_EQ(stops[1].first, 0.5);
    EXPECT_FALSE(stops[1].second.isValid());
    EXPECT_EQ(stops[2], QGradientStop(1.0, QColor(Qt::white)));

    const QVariant empty = read<KelTagLinearGradientParser>(element("linear_gradient"));
    ASSERT_TRUE(empty.isValid());
    EXPECT_EQ(empty.value<QLinearGradient>(), QLinearGradient());

    auto withChild = [](XmlStanza const& child) {
        XmlStanza g = element("linear_gradient");
        g.addChild(element("color", {{"at", "0"}, {"rgb", "#000000"}}));
        g.addChild(child);
        return read<KelTagLinearGradientParser>(g);
    };
    EXPECT_FALSE(withChild(element("stop", {{"at", "1"}, {"rgb", "#ffffff"}})).isValid());
    EXPECT_FALSE(withChild(element("color", {{"at", "1"}})).isValid());
    EXPECT_FALSE(withChild(element("color", {{"at", "1"}, {"type", "HEX"}, {"rgb", "#ffffff"}})).isValid());
    EXPECT_FALSE(withChild(element("color", {{"rgb", "#ffffff"}})).isValid());
    EXPECT_TRUE(withChild(element("color", {{"at", "x"}, {"rgb", "#ffffff"}})).isValid());
}

TEST_F(StyleValueTagsTest, ImageFromPrefixFolderOrCurrentDirectory)
{
    StyleTestFiles files;
    const QString folder = files.writeImage(QStringLiteral("pictures"), QStringLiteral("check.png"), QSize(13, 13), Qt::red);
    files.writeRaw(StyleTestFiles::folder() + QLatin1Char('/') + folder + QStringLiteral("broken.png"), "not a png");
    store().add(QStringLiteral("prefix"), folder);
    store().add(QStringLiteral("noSlash"), folder.chopped(1));

    const QVariant image = read<KelTagImageParser>(element("image", {{"name", "check.png"}, {"prefix", "prefix"}}));
    ASSERT_EQ(image.metaType(), QMetaType::fromType<QPixmap>());
    EXPECT_EQ(image.value<QPixmap>().size(), QSize(13, 13));
    EXPECT_EQ(image.value<QPixmap>().toImage().pixelColor(6, 6), QColor(Qt::red));

    EXPECT_FALSE(read<KelTagImageParser>(element("image", {{"name", "check.png"}, {"prefix", "noSlash"}})).isValid());
    EXPECT_FALSE(read<KelTagImageParser>(element("image", {{"name", "check.png"}, {"prefix", "absentKey"}})).isValid());
    EXPECT_FALSE(read<KelTagImageParser>(element("image", {{"name", "other.png"}, {"prefix", "prefix"}})).isValid());
    EXPECT_FALSE(read<KelTagImageParser>(element("image", {{"name", "broken.png"}, {"prefix", "prefix"}})).isValid());
    EXPECT_FALSE(read<KelTagImageParser>(element("image", {{"prefix", "prefix"}})).isValid());

    // Without a prefix a relative name comes from the current directory.
    QTemporaryDir work;
    files.writeImageAt(work.path(), QStringLiteral("here.png"), QSize(2, 3), Qt::green);
    const QString before = QDir::currentPath();
    QDir::setCurrent(work.path());
    const QVariant here = read<KelTagImageParser>(element("image", {{"name", "here.png"}}));
    const QVariant notHere = read<KelTagImageParser>(element("image", {{"name", "check.png"}}));
    QDir::setCurrent(before);
    EXPECT_EQ(here.value<QPixmap>().size(), QSize(2, 3));
    EXPECT_FALSE(notHere.isValid());
    messages.clear(); // Qt may note the unreadable file; that is not the parser speaking.
}

TEST_F(StyleValueTagsTest, ConnectLineAttributesAndPens)
{
    const QVariant defaults = read<KelTagConnectingLineParser>(element("connect_line"));
    ASSERT_EQ(defaults.metaType(), ConnectingLine::metaType());
    EXPECT_STREQ(defaults.metaType().name(), "ConnectingLine");
    const ConnectingLine plain = defaults.value<ConnectingLine>();
    EXPECT_EQ(plain.arcRadius(), ConnectingLine::DEFAULT_ARC_RADIUS);
    EXPECT_EQ(plain.arrowLength(), ConnectingLine::DEFAULT_ARROW_LENGTH);
    EXPECT_FALSE(plain.isTopBottom());
    EXPECT_FALSE(plain.isBumpHorizontalLine());
    EXPECT_FALSE(plain.isStraight());

    XmlStanza full = element("connect_line", {{"arrow_size", "9.5"}, {"arc_radius", "12"}, {"topbottom", "YES"}, {"top_horisontal", "1"}});
    full.addChild(element("pen", {{"name", "pen_line"}, {"rgb", "#112233"}, {"width", "2"}}));
    full.addChild(element("pen", {{"name", "pen_arrow"}, {"rgb", "#445566"}}));
    full.addChild(element("pen", {{"name", "pen_arrow"}, {"rgb", "#778899"}, {"width", "3"}}));
    full.addChild(element("pen", {{"name", "pen_other"}, {"rgb", "#ffffff"}}));
    full.addChild(element("pen", {{"rgb", "#ffffff"}}));
    full.addChild(element("color", {{"name", "pen_line"}, {"rgb", "#ffffff"}}));
    const ConnectingLine line = read<KelTagConnectingLineParser>(full).value<ConnectingLine>();
    EXPECT_EQ(line.arrowLength(), 9.5);
    EXPECT_EQ(line.arcRadius(), 12.0);
    EXPECT_TRUE(line.isTopBottom());
    EXPECT_TRUE(line.isBumpHorizontalLine());
    EXPECT_EQ(line.penLine().color(), QColor(0x11, 0x22, 0x33));
    EXPECT_EQ(line.penLine().width(), 2);
    EXPECT_EQ(line.penArrow().color(), QColor(0x77, 0x88, 0x99));
    EXPECT_EQ(line.penArrow().width(), 3);

    XmlStanza odd = element("connect_line", {{"topbottom", "on"}, {"top_horisontal", ""}, {"arc_radius", ""}});
    odd.addChild(element("pen", {{"name", "pen_line"}, {"type", "HEX"}, {"rgb", "#ffffff"}}));
    const ConnectingLine other = read<KelTagConnectingLineParser>(odd).value<ConnectingLine>();
    EXPECT_FALSE(other.isTopBottom());
    EXPECT_FALSE(other.isBumpHorizontalLine());
    // Present but empty: read as 0.
    EXPECT_EQ(other.arcRadius(), 0.0);
    EXPECT_EQ(other.penLine(), QPen(Qt::black, 0));
}

TEST_F(StyleValueTagsTest, EveryTagThroughTheReaderStoresItsType)
{
    StyleTestFiles files;
    const QString folder = files.writeImage(QStringLiteral("img"), QStringLiteral("logo.png"), QSize(4, 4), Qt::blue);
    const QString file = files.write(QStringLiteral("all.xml"), QStringLiteral(R"(<kelstyle>
        <prefix id="prefix" path="%1"/>
        <group id="E">
            <color id="textColor" rgb="#a0a0a0"/>
            <pen id="borderPen" rgb="#202020" width="1"/>
            <size id="sizeHint" width="30" height="20"/>
            <font id="nameFont" name="Geneva" size="11" type="b"/>
            <linear_gradient id="backgroundGradient">
                <color at="0" rgb="#303030"/><color at="1" defined="E.textColor"/>
            </linear_gradient>
            <bool id="flag" value="yes"/>
            <connect_line id="line" arrow_size="10"><pen name="pen_line" rgb="#ffffff"/></connect_line>
        </group>
        <image id="ApplicationLogo" name="logo.png" prefix="prefix"/>
    </kelstyle>)").arg(folder));
    KelStyleParser parser;
    ASSERT_TRUE(store().initialize(file, &parser, false)) << parser.errorText().toStdString();

    EXPECT_EQ(store().value<QString>(QStringLiteral("prefix")), folder);
    EXPECT_EQ(store().value<QColor>(QStringLiteral("E.textColor")), QColor(0xa0, 0xa0, 0xa0));
    EXPECT_EQ(store().value<QPen>(QStringLiteral("E.borderPen")).width(), 1);
    EXPECT_EQ(store().value<QSize>(QStringLiteral("E.sizeHint")), QSize(30, 20));
    EXPECT_TRUE(store().value<QFont>(QStringLiteral("E.nameFont")).bold());
    const QGradientStops stops = store().value<QLinearGradient>(QStringLiteral("E.backgroundGradient")).stops();
    ASSERT_EQ(stops.size(), 2);
    EXPECT_EQ(stops[1].second, QColor(0xa0, 0xa0, 0xa0));
    EXPECT_TRUE(store().value<bool>(QStringLiteral("E.flag")));
    EXPECT_EQ(store().value<QPixmap>(QStringLiteral("ApplicationLogo")).size(), QSize(4, 4));
    // Stored, though nothing in the program reads a curve back.
    EXPECT_EQ(store().value<ConnectingLine>(QStringLiteral("E.line")).arrowLength(), 10.0);
}
