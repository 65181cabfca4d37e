// The program's own style file and pictures, as the build puts them into the resources folder.

#include "RealStyleFile.h"
#include "StyleKeyList.h"

#include "style/KelStyleConfig.h"
#include "style/ResourcePaths.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QFont>
#include <QFontInfo>
#include <QImage>
#include <QLinearGradient>
#include <QPen>
#include <QPixmap>
#include <QSet>
#include <QSize>

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

} // namespace
