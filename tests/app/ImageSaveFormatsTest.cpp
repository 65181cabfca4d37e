// The formats a save dialog offers for the result image, and the format a typed name asks for.

#include "app/ImageSaveFormats.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QRegularExpression>

#include <gtest/gtest.h>

TEST(ImageSaveFormats, ThePreferredFormatComesFirstWithBothSpellingsThenTheOthersOnce)
{
    struct Case {
        QString preferred;
        QString first;
        QByteArray format;
        QString suffix;
    };
    const QByteArray fallback = QImageWriter::supportedImageFormats().value(0);
    const Case cases[] = {
        {"JPEG", "JPEG Image (*.jpeg *.jpg)", "jpeg", "jpeg"},
        {"jpg", "JPEG Image (*.jpg *.jpeg)", "jpg", "jpg"},
        {"png", "PNG Image (*.png)", "png", "png"},
        {"TIFF", "TIFF Image (*.tiff *.tif)", "tiff", "tiff"},
        {"no-such-format", QString(), fallback, QString::fromLatin1(fallback)},
    };
    for (Case const& c : cases) {
        const ImageSaveFormats formats(c.preferred);
        const QStringList filters = formats.filters();
        if (!c.first.isEmpty()) {
            EXPECT_EQ(filters.value(0), c.first) << filters.join(";;").toStdString();
        }
        EXPECT_EQ(formats.preferredFormat(), c.format);
        EXPECT_EQ(formats.preferredSuffix(), c.suffix);
        EXPECT_EQ(formats.formatOfFilter(filters.value(0)), c.format);
        // The format's own name first, but in the preferred format's filter the preferred spelling.
        for (char const* filter : {"JPEG Image (*.jpeg *.jpg)", "PNG Image (*.png)", "BMP Image (*.bmp)",
                                   "TIFF Image (*.tiff *.tif)"}) {
            const QString expected = c.preferred == "jpg" && filter[0] == 'J' ? "JPEG Image (*.jpg *.jpeg)" : filter;
            EXPECT_EQ(filters.count(expected), 1) << filter;
        }
        EXPECT_EQ(filters.filter("*.jpg").size(), 1);
        EXPECT_EQ(filters.size(), filters.filter(QRegularExpression("^[A-Z0-9]+ Image \\(\\*\\.")).size());
    }
}

TEST(ImageSaveFormats, TheTypedSuffixNamesTheFormatAndANameWithoutOneGetsTheGivenFormat)
{
    const ImageSaveFormats formats(QStringLiteral("JPEG"));
    struct Case {
        QString typed;
        QString path;
        QByteArray format;
    };
    const Case cases[] = {
        {"/p/a.png", "/p/a.png", "png"},
        {"/p/a.JPG", "/p/a.JPG", "jpg"},
        {"/p/a.jpeg", "/p/a.jpeg", "jpeg"},
        {"/p/a.bmp", "/p/a.bmp", "bmp"},
        {"/p/a.tif", "/p/a.tif", "tif"},
        {"/p/a", "/p/a.jpeg", "jpeg"},
        {"/p/v1.2/a", "/p/v1.2/a.jpeg", "jpeg"},
        // A suffix no format has is part of the name.
        {"/p/holiday.final", "/p/holiday.final.jpeg", "jpeg"},
    };
    for (Case const& c : cases) {
        const QString path = formats.completedPath(c.typed, formats.preferredFormat());
        EXPECT_EQ(path, c.path);
        EXPECT_EQ(formats.formatOfSuffix(QFileInfo(path).suffix()), c.format) << c.typed.toStdString();
    }
    EXPECT_EQ(formats.completedPath("/p/a", "png"), "/p/a.png");
    EXPECT_TRUE(formats.formatOfSuffix(QString()).isEmpty());
    EXPECT_TRUE(formats.formatOfFilter("All Files (*)").isEmpty());
}

TEST(ImageSaveFormats, AFormatThatWouldStoreAnotherSizeIsNotOffered)
{
    struct Case {
        QByteArray format;
        QSize size;
        bool holds;
    };
    const Case cases[] = {
        {"ico", QSize(256, 256), true},  {"ICO", QSize(720, 477), false}, {"cur", QSize(257, 10), false},
        {"icns", QSize(512, 512), true}, {"icns", QSize(500, 500), false}, {"icns", QSize(64, 32), false},
        {"jpg", QSize(65500, 10), true}, {"jpeg", QSize(10, 65501), false}, {"webp", QSize(16384, 1), false},
        {"png", QSize(70000, 1), true},  {"ico", QSize(), true},
    };
    for (Case const& c : cases) {
        QString limit;
        EXPECT_EQ(ImageSaveFormats::holds(c.format, c.size, &limit), c.holds) << c.format.constData();
        EXPECT_EQ(limit.isEmpty(), c.holds) << limit.toStdString();
        const ImageSaveFormats formats(QString::fromLatin1(c.format), c.size);
        const bool offered = QImageWriter::supportedImageFormats().contains(c.format.toLower());
        EXPECT_EQ(!formats.formatOfSuffix(QString::fromLatin1(c.format)).isEmpty(), offered && c.holds);
        if (offered && !c.holds) {
            EXPECT_NE(formats.preferredFormat(), c.format.toLower());
        }
    }
}
