// Sound pictures of every variant of the formats the program reads, written by code, read through
// the image layer with the pixels their format says they hold; sound variants it does not read are
// refused as such, never as damaged.

#include "SoundPictures.h"

#include "app/GflAdapter.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The first pixel farther than `tolerance` from the expected one, as text; empty when none is.
QString firstDifference(QImage const& expected, QImage const& got, int tolerance)
{
    if (got.size() != expected.size())
        return QStringLiteral("size %1 x %2").arg(got.width()).arg(got.height());
    for (int y = 0; y < got.height(); ++y) {
        for (int x = 0; x < got.width(); ++x) {
            const QRgb a = expected.pixel(x, y);
            const QRgb b = got.pixel(x, y);
            if (std::abs(qRed(a) - qRed(b)) > tolerance || std::abs(qGreen(a) - qGreen(b)) > tolerance
                || std::abs(qBlue(a) - qBlue(b)) > tolerance || qAlpha(a) != qAlpha(b))
                return QStringLiteral("(%1, %2): %3 for %4").arg(x).arg(y).arg(b, 8, 16, QLatin1Char('0')).arg(a, 8, 16, QLatin1Char('0'));
        }
    }
    return QString();
}

class SoundPicturesTest : public ::testing::Test
{
protected:
    QString write(SoundPictures::Picture const& picture)
    {
        const QString path = dir.filePath(picture.name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(picture.bytes) == picture.bytes.size());
        return path;
    }

    QTemporaryDir dir;
    GflAdapter adapter;
};

} // namespace

TEST_F(SoundPicturesTest, EveryVariantOfEveryFormatReadsWithThePixelsItHolds)
{
    for (SoundPictures::Picture const& picture : SoundPictures::all()) {
        SCOPED_TRACE(picture.name.toStdString());
        ASSERT_FALSE(picture.bytes.isEmpty());
        const auto layers = adapter.readImage(write(picture));
        if (layers.size() != 1) {
            ADD_FAILURE() << adapter.errorString().toStdString();
            continue;
        }
        EXPECT_EQ(firstDifference(picture.expected, layers.first().second, picture.tolerance).toStdString(), "");
    }
}

TEST_F(SoundPicturesTest, SoundVariantsTheProgramDoesNotReadAreRefusedAsUnsupported)
{
    for (SoundPictures::Picture const& picture : SoundPictures::unsupported()) {
        SCOPED_TRACE(picture.name.toStdString());
        EXPECT_TRUE(adapter.readImage(write(picture)).isEmpty());
        EXPECT_TRUE(adapter.errorReason().startsWith(QStringLiteral("Unsupported "))) << adapter.errorReason().toStdString();
    }
}
