// Writing a user's file: a failure at any step, a full disk included, leaves the old file's
// bytes and says why; images are written in the format asked for, with quality where it
// means quality.

#include "FileSizeLimit.h"

#include "app/UserFileWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

namespace {

QByteArray const kOld = "the old file, kept whole";

// Noise, so that neither format packs it small.
QImage noise(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    quint32 state = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            image.setPixel(x, y, 0xff000000u | (state >> 8));
        }
    }
    return image;
}

struct Writing {
    char const* name;
    std::function<bool(QString const&, QString*)> write;
    QByteArray magic; // the first bytes of the written file
};

std::vector<Writing> writings()
{
    return {
        {"project.vyxsg",
         [](QString const& path, QString* reason) {
             return UserFileWriter::writeBytes(path, "<graph>" + QByteArray(2048, ' ') + "</graph>", reason);
         },
         "<graph>"},
        {"template.xml",
         [](QString const& path, QString* reason) {
             return UserFileWriter::write(
                 path,
                 [](QIODevice& device, QString&) {
                     QTextStream stream(&device);
                     stream << "<graph>" << QString(2048, QLatin1Char(' ')) << "</graph>";
                     stream.flush();
                     return stream.status() == QTextStream::Ok;
                 },
                 reason);
         },
         "<graph>"},
        {"small.jpg",
         [](QString const& path, QString* reason) {
             return UserFileWriter::writeImage(path, noise(40, 30), "jpeg", 90, reason);
         },
         "\xff\xd8\xff"},
        {"small.png",
         [](QString const& path, QString* reason) {
             return UserFileWriter::writeImage(path, noise(40, 30), "png", 100, reason);
         },
         "\x89PNG"},
    };
}

// In a child process: the save under a limit smaller than the file. The exit code says whether
// the save failed and the old bytes stayed, the report gives the reason.
int saveUnderTheLimit(Writing const& writing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(writing.name));
    if (!AppTest::writeFileBytes(path, kOld))
        return 2;
    bool written = true;
    QString reason;
    AppTest::withFileSizeLimit(1000, [&] { written = writing.write(path, &reason); });
    const bool kept = AppTest::fileBytes(path) == kOld;
    const bool alone = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size() == 1;
    std::fprintf(stderr, "written %d, kept %d, alone %d, reason: %s\n", int(written), int(kept), int(alone),
                 qPrintable(reason));
    return !written && kept && alone ? 0 : 1;
}

QString unsupportedFormatText()
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "no-such-format");
    writer.write(noise(2, 2));
    return writer.errorString();
}

} // namespace

TEST(UserFileWriterDeathTest, AFileLargerThanTheRoomLeftKeepsTheOldBytesAndSaysWhy)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (Writing const& writing : writings()) {
        SCOPED_TRACE(writing.name);
        EXPECT_EXIT(std::exit(saveUnderTheLimit(writing)), ::testing::ExitedWithCode(0),
                    "reason: File too large");
    }
}

TEST(UserFileWriter, WithRoomTheNewContentReplacesTheOld)
{
    QTemporaryDir dir;
    for (Writing const& writing : writings()) {
        const QString path = dir.filePath(QString::fromLatin1(writing.name));
        ASSERT_TRUE(AppTest::writeFileBytes(path, kOld));
        QString reason;
        EXPECT_TRUE(writing.write(path, &reason)) << qPrintable(reason);
        EXPECT_TRUE(AppTest::fileBytes(path).startsWith(writing.magic)) << writing.name;
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), qsizetype(writings().size()));
}

TEST(UserFileWriter, FailuresBeforeTheCommitKeepTheOldBytes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kept.png"));
    ASSERT_TRUE(AppTest::writeFileBytes(path, kOld));
    struct Case {
        char const* what;
        UserFileWriter::Producer produce;
        QString reason;
    };
    const Case cases[] = {
        {"the producer gives up with its reason", [](QIODevice&, QString& reason) {
             reason = QStringLiteral("nothing to write");
             return false;
         },
         QStringLiteral("nothing to write")},
        {"the image writer cannot write the format",
         [](QIODevice& device, QString& reason) {
             QImageWriter writer(&device, "no-such-format");
             const bool written = writer.write(noise(2, 2));
             reason = writer.errorString();
             return written;
         },
         unsupportedFormatText()},
    };
    for (Case const& c : cases) {
        QString reason;
        EXPECT_FALSE(UserFileWriter::write(path, c.produce, &reason)) << c.what;
        EXPECT_EQ(reason, c.reason) << c.what;
        EXPECT_EQ(AppTest::fileBytes(path), kOld) << c.what;
    }
    // A target that cannot be opened: the system's words.
    QString reason;
    EXPECT_FALSE(UserFileWriter::writeBytes(dir.filePath(QStringLiteral("missing/file")), "x", &reason));
    EXPECT_FALSE(reason.isEmpty());
}

TEST(UserFileWriter, QualityIsUsedWhereItMeansPictureQuality)
{
    // Smooth, as a photo's sky: PNG packs it to a fraction of its pixels' bytes.
    QImage smooth(720, 477, QImage::Format_RGB32);
    for (int y = 0; y < smooth.height(); ++y) {
        for (int x = 0; x < smooth.width(); ++x)
            smooth.setPixel(x, y, qRgb(x * 255 / 719, y * 255 / 476, 128));
    }
    const qint64 raw = qint64(smooth.width()) * smooth.height() * 3;
    QTemporaryDir dir;
    auto sizeOf = [&](QByteArray const& format, int quality) {
        const QString path = dir.filePath(QStringLiteral("out.") + QString::fromLatin1(format));
        EXPECT_TRUE(UserFileWriter::writeImage(path, smooth, format, quality));
        return QFileInfo(path).size();
    };
    // 100 would be PNG's "no compression": the pixels stored raw.
    EXPECT_LT(sizeOf("png", 100), raw / 4);
    EXPECT_EQ(sizeOf("png", 100), sizeOf("png", 0));
    EXPECT_GT(sizeOf("jpeg", 100), 2 * sizeOf("jpeg", 10));
    EXPECT_TRUE(UserFileWriter::qualityIsPictureQuality("JPG"));
    EXPECT_FALSE(UserFileWriter::qualityIsPictureQuality("png"));
}
