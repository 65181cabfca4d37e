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
        {"JPEG", "JPEG Image (*.jpg *.jpeg)", "jpeg", "jpg"},
        {"jpg", "JPEG Image (*.jpg *.jpeg)", "jpg", "jpg"},
        {"png", "PNG Image (*.png)", "png", "png"},
        {"TIFF", "TIFF Image (*.tif *.tiff)", "tiff", "tif"},
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
        for (char const* filter : {"JPEG Image (*.jpg *.jpeg)", "PNG Image (*.png)", "BMP Image (*.bmp)",
                                   "TIFF Image (*.tif *.tiff)"})
            EXPECT_EQ(filters.count(QString::fromLatin1(filter)), 1) << filter;
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
        {"/p/a", "/p/a.jpg", "jpg"},
        {"/p/v1.2/a", "/p/v1.2/a.jpg", "jpg"},
        // A suffix no format has is part of the name.
        {"/p/holiday.final", "/p/holiday.final.jpg", "jpg"},
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
