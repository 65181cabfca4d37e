#include "app/GflAdapter.h"
#include "io/picture/PhotoshopFileCheck.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Byte offsets in the committed layered.psd (three layers, RGB, version 1).
constexpr int channelCountOffset = 12;
constexpr int colourModeOffset = 24;
constexpr int secondLayerBottom = 174;
constexpr int thirdLayerRedChannelId = 292;

class PhotoshopFileCheckTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QFile file(QStringLiteral(VYX_TEST_DATA_DIR "/layered.psd"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        m_layered = file.readAll();
        ASSERT_EQ(m_layered.size(), 818);
    }

    QString write(const QByteArray& data, const QString& name = QStringLiteral("patched.psd")) const
    {
        QFile file(m_dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
        return file.fileName();
    }

    QByteArray patched(int offset, const QByteArray& bytes) const
    {
        QByteArray data = m_layered;
        data.replace(offset, bytes.size(), bytes);
        return data;
    }

    QTemporaryDir m_dir;
    QByteArray m_layered;
};

} // namespace

TEST_F(PhotoshopFileCheckTest, SoundFilesPass)
{
    QString reason;
    EXPECT_TRUE(PhotoshopFileCheck::check(write(m_layered), &reason)) << reason.toStdString();
    EXPECT_TRUE(PhotoshopFileCheck::check(QStringLiteral(VYX_TEST_DATA_DIR "/flat.psd"), &reason));
    EXPECT_TRUE(PhotoshopFileCheck::isPhotoshopFile(write(m_layered)));
    EXPECT_FALSE(PhotoshopFileCheck::isPhotoshopFile(write("PNG....", "other.psd")));
}

// Each of these made the Photoshop reader crash or allocate without bound.
TEST_F(PhotoshopFileCheckTest, RecordsTheReaderWouldTrustAreRefused)
{
    const struct {
        const char* what;
        QByteArray data;
    } cases[] = {
        {"channel id out of range", patched(thirdLayerRedChannelId, QByteArray("\x9a\x00", 2))},
        {"colour channel replaced by a duplicate", patched(thirdLayerRedChannelId, QByteArray("\xff\xff", 2))},
        {"layer two billion rows high", patched(secondLayerBottom, QByteArray("\x7f\xff\xff\xff", 4))},
        {"composite with fewer channels than RGB", patched(channelCountOffset, QByteArray("\x00\x02", 2))},
        {"Lab colour mode", patched(colourModeOffset, QByteArray("\x00\x09", 2))},
    };
    GflAdapter adapter;
    for (const auto& c : cases) {
        const QString path = write(c.data);
        QString reason;
        EXPECT_FALSE(PhotoshopFileCheck::check(path, &reason)) << c.what;
        EXPECT_TRUE(reason.startsWith("Damaged Photoshop file")) << c.what;
        EXPECT_TRUE(adapter.readImage(path).isEmpty()) << c.what;
        EXPECT_TRUE(adapter.errorString().contains("Damaged Photoshop file")) << c.what;
        EXPECT_EQ(adapter.checkSize(path), QSize(-1, -1)) << c.what;
    }
}

TEST_F(PhotoshopFileCheckTest, EveryTruncationIsAnErrorOrASoundRead)
{
    GflAdapter adapter;
    for (int length = 0; length < m_layered.size(); length += 7) {
        const QString path = write(m_layered.left(length));
        const auto layers = adapter.readImage(path);
        if (layers.isEmpty()) {
            EXPECT_FALSE(adapter.errorString().isEmpty()) << length;
            continue;
        }
        for (const auto& layer : layers) {
            EXPECT_EQ(layer.second.size(), layer.first.size()) << length;
            EXPECT_EQ(layer.second.format(), QImage::Format_ARGB32) << length;
        }
    }
}
