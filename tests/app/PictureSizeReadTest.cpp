// The pick's size read (checkSize, through the reader process): every sound picture of every kind
// gives the size its pixels come in, and a header its format's check refuses is refused there with
// the words the read of its pixels gives, a JPEG's as every other kind's, though a JPEG's size is
// read from its header alone.

#include "LibraryFormatHeaders.h"
#include "SoundPictures.h"

#include "app/GflAdapter.h"
#include "io/picture/PictureReader.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class PictureSizeRead : public ::testing::Test
{
protected:
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        return path;
    }

    QTemporaryDir m_dir;
    GflAdapter m_adapter;
};

} // namespace

TEST_F(PictureSizeRead, EverySoundPictureGivesTheSizeOfItsPixels)
{
    for (const SoundPictures::Picture& picture : SoundPictures::all()) {
        SCOPED_TRACE(picture.name.toStdString());
        const QString path = write(picture.name, picture.bytes);
        const QList<GflAdapter::Layer> layers = m_adapter.readImage(path, QByteArray(), 1);
        ASSERT_EQ(layers.size(), 1) << qPrintable(m_adapter.errorString());
        EXPECT_EQ(m_adapter.checkSize(path), layers.first().second.size());
    }
}

TEST_F(PictureSizeRead, RefusedHeadersAreRefusedWithTheWordsOfThePixelRead)
{
    using PictureHeaders::Case;
    const QList<Case> cases = PictureHeaders::jpegs() + PictureHeaders::pngs() + PictureHeaders::tiffs()
                              + PictureHeaders::gifs() + PictureHeaders::webps() + PictureHeaders::pnms();
    int refused = 0;
    for (const Case& c : cases) {
        if (c.verdict != Case::Refused)
            continue;
        SCOPED_TRACE(c.name.toStdString());
        ++refused;
        const QString path = write(c.name, c.bytes);
        EXPECT_EQ(m_adapter.checkSize(path), QSize(-1, -1));
        QString sizeReason;
        EXPECT_FALSE(PictureReader::readInformation(path, nullptr, nullptr, &sizeReason));
        QString pixelReason;
        EXPECT_TRUE(PictureReader::readLayers(path, QByteArray(), 1, &pixelReason).isEmpty());
        EXPECT_EQ(sizeReason, pixelReason);
        EXPECT_TRUE(sizeReason.startsWith(QStringLiteral("Damaged ")) || sizeReason.startsWith(QStringLiteral("Unsupported "))
                    || sizeReason.startsWith(QStringLiteral("Image too large")))
            << qPrintable(sizeReason);
    }
    EXPECT_GT(refused, 20);
}
