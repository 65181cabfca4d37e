// The program's own style file and pictures, as the build puts them into the resources folder.

#include "RealStyleFile.h"
#include "StyleKeyList.h"

#include "style/KelStyleConfig.h"
#include "style/ResourcePaths.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontInfo>
#include <QImage>
#include <QLinearGradient>
#include <QPen>
#include <QPixmap>
#include <QSet>
#include <QSize>
#include <QXmlStreamReader>

#include <algorithm>
#include <array>

namespace {

using StyleKeyList::Entry;
using StyleKeyList::Kind;

QString sizeText(QSize size)
{
    return QStringLiteral("%1 x %2").arg(size.width()).arg(size.height());
}

// Empty when the stored value is of the entry's kind and usable; else what is wrong.
QString problemWith(Entry const& entry)
{
    const QVariant value = RealStyleFile::raw(entry.key);
    if (!value.isValid())
        return QStringLiteral("missing");
    const QMetaType type = value.metaType();
    const QString wrongKind = QStringLiteral("holds %1, read as %2")
                                  .arg(QString::fromLatin1(type.name()), StyleKeyList::kindName(entry.kind));
    switch (entry.kind) {
    case Kind::Color:
        if (type != QMetaType::fromType<QColor>())
            return wrongKind;
        return value.value<QColor>().isValid() ? QString() : QStringLiteral("invalid colour");
    case Kind::Pen:
        if (type != QMetaType::fromType<QPen>())
            return wrongKind;
        return value.value<QPen>().color().isValid() ? QString() : QStringLiteral("pen of an invalid colour");
    case Kind::Gradient: {
        if (type != KelStyleConfig::gradientMetaType())
            return wrongKind;
        const QLinearGradient gradient = KelStyleConfig::instance()->value<QLinearGradient>(entry.key);
        if (gradient.stops().size() < 2)
            return QStringLiteral("fewer than two stops");
        for (QGradientStop const& stop : gradient.stops()) {
            if (!stop.second.isValid())
                return QStringLiteral("a stop of an invalid colour");
        }
        return QString();
    }
    case Kind::Font:
        return type == QMetaType::fromType<QFont>() ? QString() : wrongKind;
    case Kind::Size:
        if (type != QMetaType::fromType<QSize>())
            return wrongKind;
        return value.toSize().isEmpty() ? QStringLiteral("empty size") : QString();
    case Kind::Pixmap: {
        if (type != QMetaType::fromType<QPixmap>())
            return wrongKind;
        const QPixmap pixmap = value.value<QPixmap>();
        if (pixmap.isNull())
            return QStringLiteral("null pixmap");
        if (entry.pixmapSize.isValid() && pixmap.size() != entry.pixmapSize)
            return QStringLiteral("%1 instead of %2").arg(sizeText(pixmap.size()), sizeText(entry.pixmapSize));
        return QString();
    }
    case Kind::Bool:
        return type == QMetaType::fromType<bool>() ? QString() : wrongKind;
    }
    return QStringLiteral("unknown kind");
}

QString resourcesPath(QString const& relative)
{
    return ResourcePaths::resourcesFolder() + QLatin1Char('/') + relative;
}

class StylesXmlTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_loaded = RealStyleFile::load(&s_errorText); }
    static void TearDownTestSuite() { KelStyleConfig::instance()->clear(); }

    void SetUp() override { ASSERT_TRUE(s_loaded) << qPrintable(s_errorText); }

    static inline bool s_loaded = false;
    static inline QString s_errorText;
};

TEST_F(StylesXmlTest, LoadsStrictlyWithoutErrorText)
{
    QString errorText = QStringLiteral("untouched");
    EXPECT_TRUE(RealStyleFile::load(&errorText));
    EXPECT_TRUE(errorText.isEmpty()) << qPrintable(errorText);
}

TEST_F(StylesXmlTest, EveryKeyTheProgramReadsIsPresentWithItsKind)
{
    const QList<Entry> entries = StyleKeyList::entries();
    QStringList problems;
    QSet<QString> seen;
    for (Entry const& entry : entries) {
        EXPECT_FALSE(seen.contains(entry.key)) << "listed twice: " << qPrintable(entry.key);
        seen.insert(entry.key);
        const QString problem = problemWith(entry);
        if (!problem.isEmpty())
            problems.append(entry.key + QStringLiteral(": ") + problem);
    }
    EXPECT_GT(entries.size(), 300);
    EXPECT_TRUE(problems.isEmpty()) << qPrintable(problems.join(QLatin1Char('\n')));
}

TEST_F(StylesXmlTest, KeysAreExactAndTheCornerLogoKeepsItsOldSpelling)
{
    auto* store = KelStyleConfig::instance();
    EXPECT_FALSE(store->value<QPixmap>(QStringLiteral("drummetMenubar")).isNull());
    EXPECT_FALSE(store->contains(QStringLiteral("drummetMenuBar")));
    EXPECT_FALSE(store->contains(QStringLiteral("comboBox.borderPen")));
    // Copies ("defined") are values of their own kind, not links.
    EXPECT_EQ(store->value<QColor>(QStringLiteral("AppPalette.active.windowColor")),
              store->value<QColor>(QStringLiteral("Theme.window")));
    EXPECT_EQ(store->value<QPen>(QStringLiteral("PanelLineEdit.hasFocus.borderPen")).color(),
              store->value<QColor>(QStringLiteral("Theme.accentLight")));
    EXPECT_TRUE(store->value<bool>(QStringLiteral("ConnectingLineAntialiasingFlag")));
}

TEST_F(StylesXmlTest, GradientsHaveTheStopsTheirPaintingExpects)
{
    auto* store = KelStyleConfig::instance();
    // The left tool bar moves the middle stop of exactly three.
    EXPECT_EQ(store->value<QLinearGradient>(QStringLiteral("ToolBar.backgroundGradient2")).stops().size(), 3);
    // The header's open column menu swaps the first two stops.
    for (QString const& key : {QStringLiteral("HeaderSection.backgroundGradient"),
                               QStringLiteral("HeaderSection.backgroundGradient2")}) {
        const QGradientStops stops = store->value<QLinearGradient>(key).stops();
        ASSERT_EQ(stops.size(), 2) << qPrintable(key);
        EXPECT_DOUBLE_EQ(stops.first().first, 0.0);
        EXPECT_DOUBLE_EQ(stops.last().first, 1.0);
    }
}

TEST_F(StylesXmlTest, FontsAreTheInstalledFamiliesAtPixelSizes)
{
    auto* store = KelStyleConfig::instance();
    const QFont name = store->value<QFont>(QStringLiteral("KelNode.nameFont"));
    EXPECT_EQ(name.pixelSize(), 11);
    EXPECT_EQ(name.weight(), QFont::Bold);
    EXPECT_EQ(QFontInfo(name).family(), QStringLiteral("DejaVu Sans"));
    const QFont ruler = store->value<QFont>(QStringLiteral("KelTimeline.timelineFont"));
    EXPECT_EQ(ruler.pixelSize(), 9);
    EXPECT_EQ(QFontInfo(ruler).family(), QStringLiteral("DejaVu Sans"));
}

TEST_F(StylesXmlTest, EveryPictureIsDrawnAndNotBlank)
{
    QStringList blank;
    for (Entry const& entry : StyleKeyList::entries()) {
        if (entry.kind != Kind::Pixmap)
            continue;
        const QImage image = KelStyleConfig::instance()->value<QPixmap>(entry.key).toImage().convertToFormat(
            QImage::Format_ARGB32);
        bool opaque = false;
        bool varied = false;
        const QRgb first = image.isNull() ? 0 : image.pixel(0, 0);
        for (int y = 0; y < image.height() && !(opaque && varied); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                opaque = opaque || qAlpha(p) >= 128;
                varied = varied || p != first;
            }
        }
        if (!opaque || !varied)
            blank.append(entry.key);
    }
    EXPECT_TRUE(blank.isEmpty()) << qPrintable(blank.join(QStringLiteral(", ")));
}

TEST_F(StylesXmlTest, EveryDrawnPictureIsNamedByAKeyTheProgramReads)
{
    QSet<QString> keys;
    for (Entry const& entry : StyleKeyList::entries()) {
        if (entry.kind == Kind::Pixmap)
            keys.insert(entry.key);
    }
    QSet<QString> files;
    const QDir images(resourcesPath(QStringLiteral("images")));
    for (QFileInfo const& info : images.entryInfoList({QStringLiteral("*.png")}, QDir::Files))
        files.insert(info.completeBaseName());
    files.insert(QStringLiteral("splash"));
    files.insert(QStringLiteral("preview"));
    EXPECT_EQ(files, keys);
}

TEST_F(StylesXmlTest, StylesXmlIncludesEveryStyleFileOfTheFolder)
{
    QFile file(resourcesPath(QStringLiteral("styles.xml")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList included;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("include"))
            included.append(xml.attributes().value(QLatin1String("filepath")).toString());
    }
    ASSERT_FALSE(xml.hasError()) << qPrintable(xml.errorString());
    QStringList present = QDir(ResourcePaths::resourcesFolder())
                              .entryList({QStringLiteral("styles-*.xml")}, QDir::Files, QDir::Name);
    std::sort(included.begin(), included.end());
    EXPECT_EQ(included, present);
}

TEST_F(StylesXmlTest, HelpButtonPicturesAreCompiledIntoTheStyleLibrary)
{
    const QSize buttonSize = KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("titleBarButtonNormal")).size();
    for (QString const& name : {QStringLiteral("title_bar_button_normal"), QStringLiteral("title_bar_button_hover"),
                                QStringLiteral("title_bar_button_pressed"), QStringLiteral("title_bar_help")}) {
        const QPixmap pixmap(QStringLiteral(":/images/") + name + QStringLiteral(".png"));
        EXPECT_FALSE(pixmap.isNull()) << qPrintable(name);
        EXPECT_EQ(pixmap.size(), buttonSize) << qPrintable(name);
    }
}

// Buckets of 30 degrees of hue that hold at least 0.5 % of the image's pixels in clear colour.
int colourfulHueBuckets(QImage const& image)
{
    int buckets[12] = {};
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = QColor::fromRgb(image.pixel(x, y));
            if (c.hsvSaturationF() >= 0.35f && c.valueF() >= 0.25f)
                ++buckets[std::min(11, c.hsvHue() / 30)];
        }
    }
    const int threshold = image.width() * image.height() / 200;
    return int(std::count_if(std::begin(buckets), std::end(buckets), [&](int n) { return n >= threshold; }));
}

TEST_F(StylesXmlTest, DefaultSourceImageIsLargeColourfulAndHasFullTonalRange)
{
    const QImage image(resourcesPath(QStringLiteral("tw/preview_big.png")));
    ASSERT_FALSE(image.isNull());
    EXPECT_GE(image.width(), 600);
    EXPECT_GE(image.height(), 400);
    EXPECT_GE(colourfulHueBuckets(image), 6);

    int darkest = 255;
    int brightest = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int grey = qGray(image.pixel(x, y));
            darkest = std::min(darkest, grey);
            brightest = std::max(brightest, grey);
        }
    }
    EXPECT_LT(darkest, 40);
    EXPECT_GT(brightest, 225);
}

TEST_F(StylesXmlTest, TemplateIconSampleIsTheDefaultImageInSmall)
{
    const QImage sample = KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("preview")).toImage();
    const QImage big(resourcesPath(QStringLiteral("tw/preview_big.png")));
    ASSERT_FALSE(sample.isNull());
    ASSERT_FALSE(big.isNull());
    EXPECT_EQ(sample.convertToFormat(QImage::Format_ARGB32).format(), QImage::Format_ARGB32);
    // Same picture: the mean colour of each quarter agrees within a few levels.
    auto mean = [](QImage const& image, int qx, int qy) {
        const int w = image.width() / 2;
        const int h = image.height() / 2;
        long sum[3] = {};
        for (int y = qy * h; y < (qy + 1) * h; ++y) {
            for (int x = qx * w; x < (qx + 1) * w; ++x) {
                const QRgb p = image.pixel(x, y);
                sum[0] += qRed(p);
                sum[1] += qGreen(p);
                sum[2] += qBlue(p);
            }
        }
        return std::array<long, 3>{sum[0] / (w * h), sum[1] / (w * h), sum[2] / (w * h)};
    };
    for (int q = 0; q < 4; ++q) {
        const auto small = mean(sample, q % 2, q / 2);
        const auto large = mean(big, q % 2, q / 2);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(small[c], large[c], 8) << "quarter " << q << " channel " << c;
    }
}

TEST_F(StylesXmlTest, SplashIsRoundedWithTransparentCorners)
{
    const QImage splash = KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("splash")).toImage();
    ASSERT_FALSE(splash.isNull());
    EXPECT_EQ(qAlpha(splash.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(splash.pixel(splash.width() - 1, splash.height() - 1)), 0);
    EXPECT_EQ(qAlpha(splash.pixel(splash.width() / 2, splash.height() / 2)), 255);
}

} // namespace
