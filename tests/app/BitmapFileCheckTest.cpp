// The bitmap check against the headers written over every field: it takes every header the
// format allows and refuses every one that breaks its rules, with the reason.

#include "PictureHeaders.h"

#include "io/picture/BitmapFileCheck.h"

#include <QBuffer>

#include <gtest/gtest.h>

TEST(BitmapFileCheck, TakesWhatTheFormatAllowsAndRefusesTheRest)
{
    for (PictureHeaders::Case const& c : PictureHeaders::bitmaps()) {
        QByteArray bytes = c.bytes;
        QBuffer buffer(&bytes);
        ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
        EXPECT_TRUE(BitmapFileCheck::isBitmapFile(buffer)) << qPrintable(c.name);
        QString reason;
        const bool taken = BitmapFileCheck::check(buffer, &reason);
        if (c.verdict == PictureHeaders::Case::Shown) {
            EXPECT_TRUE(taken) << qPrintable(c.name) << ": " << qPrintable(reason);
        }
        if (c.verdict == PictureHeaders::Case::Refused) {
            EXPECT_FALSE(taken) << qPrintable(c.name);
            // Embedded pictures, alpha bit fields and OS/2 2.x headers are sound variants the program does
            // not read.
            const bool variant = c.name.contains(QStringLiteral("-c4-")) || c.name.contains(QStringLiteral("-c5-"))
                                 || c.name.contains(QStringLiteral("-c6-")) || c.name.contains(QStringLiteral("info-16"))
                                 || c.name.contains(QStringLiteral("info-64"));
            EXPECT_TRUE(reason.startsWith(QStringLiteral("Damaged Windows bitmap: "))
                        || (variant && reason.startsWith(QStringLiteral("Unsupported Windows bitmap: "))))
                << qPrintable(c.name) << ": " << qPrintable(reason);
        }
    }
}

TEST(BitmapFileCheck, EveryCutOfASoundFileIsRefusedOrTaken)
{
    // A 4-bit run-length picture: header, palette and runs, cut at every byte.
    PictureHeaders::BitmapFields fields;
    fields.bits = 4;
    fields.compression = 2;
    const QByteArray whole = PictureHeaders::bitmap(fields);
    for (int size = 0; size <= whole.size(); ++size) {
        QByteArray bytes = whole.left(size);
        QBuffer buffer(&bytes);
        ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
        QString reason;
        // Up to the first byte of the runs the cut is damage.
        EXPECT_EQ(BitmapFileCheck::check(buffer, &reason), size > 14 + 40 + 64) << size << qPrintable(reason);
    }
}
