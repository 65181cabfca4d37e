#include "params/Base64.h"
#include "params/BinaryData.h"

#include <gtest/gtest.h>

#include <QDomDocument>
#include <QFile>
#include <QTemporaryDir>

using namespace KelUtils;

TEST(Base64Test, TextIsWrittenAsLittleEndianUtf16WithByteOrderMark)
{
    EXPECT_EQ(toBase64(QString()), QStringLiteral("//4="));
    EXPECT_EQ(toBase64(QStringLiteral("abc")),
              QString::fromLatin1(QByteArray::fromHex("fffe610062006300").toBase64()));
    EXPECT_EQ(fromBase64(toBase64(QString())), QString());
    EXPECT_TRUE(fromBase64(QStringLiteral("//4=")).isEmpty());
}

TEST(Base64Test, TextRoundTripKeepsEveryCodeUnit)
{
    const QString text = QStringLiteral("Grüße, 日本 \U0001F600 <&\"'>\n\t");
    EXPECT_EQ(fromBase64(toBase64(text)), text);
    const QString lone = QString(QChar(0xD800)) + QStringLiteral("x");
    EXPECT_EQ(fromBase64(toBase64(lone)), lone);
}

TEST(Base64Test, ReadingHonoursTheByteOrderMarkAndSkipsForeignCharacters)
{
    auto encode = [](char const* hex) { return QString::fromLatin1(QByteArray::fromHex(hex).toBase64()); };
    EXPECT_EQ(fromBase64(encode("feff00410042")), QStringLiteral("AB"));
    EXPECT_EQ(fromBase64(encode("41004200")), QStringLiteral("AB")); // no mark: little-endian
    EXPECT_EQ(fromBase64(encode("fffe410042")), QStringLiteral("A")); // odd last byte dropped

    QString spaced = toBase64(QStringLiteral("hello"));
    spaced.insert(3, QStringLiteral(" \n=*"));
    EXPECT_EQ(fromBase64(spaced), QStringLiteral("hello"));
    EXPECT_EQ(fromBase64(QStringLiteral("!!!")), QString());
    EXPECT_EQ(fromBase64(QStringLiteral("ä€")), QString());
}

namespace {

QDomElement dataElement(QDomDocument& doc)
{
    QDomElement root = doc.createElement(QStringLiteral("data"));
    doc.appendChild(root);
    return root;
}

QDomElement elementWithText(QDomDocument& doc, QByteArray const& payload)
{
    QDomElement e = dataElement(doc);
    e.appendChild(doc.createTextNode(QString::fromLatin1(payload.toBase64())));
    return e;
}

QByteArray header(quint32 length)
{
    QByteArray bytes(4, '\0');
    bytes[0] = char(length >> 24);
    bytes[1] = char(length >> 16);
    bytes[2] = char(length >> 8);
    bytes[3] = char(length);
    return bytes;
}

} // namespace

TEST(BinaryDataTest, PayloadsRoundTripInTheCompressedForm)
{
    QDomDocument doc;
    QByteArray bytes;
    for (int i = 0; i < 5000; ++i)
        bytes.append(char(i * 7));
    QDomElement e = dataElement(doc);
    ASSERT_EQ(storeBinaryData(doc, e, bytes, true), 0);
    const QByteArray stored = QByteArray::fromBase64(e.text().toLatin1());
    EXPECT_EQ(stored.left(4), header(5000));
    EXPECT_FALSE(e.text().contains(QLatin1Char('\n')));

    QByteArray out("untouched");
    EXPECT_EQ(loadBinaryData(e, out), 0);
    EXPECT_EQ(out, bytes);

    QDomDocument doc2;
    QDomElement raw = dataElement(doc2);
    ASSERT_EQ(storeBinaryData(doc2, raw, reinterpret_cast<unsigned char const*>(bytes.constData()), int(bytes.size())), 0);
    EXPECT_EQ(loadBinaryData(raw, out), 0);
    EXPECT_EQ(out, bytes);

    QDomDocument doc3;
    QDomElement empty = dataElement(doc3);
    ASSERT_EQ(storeBinaryData(doc3, empty, QByteArray(""), true), 0);
    out = "x";
    EXPECT_EQ(loadBinaryData(empty, out), 0);
    EXPECT_TRUE(out.isEmpty());
}

TEST(BinaryDataTest, NullInputsWriteNothing)
{
    QDomDocument doc;
    QDomElement e = dataElement(doc);
    EXPECT_EQ(storeBinaryData(doc, e, QByteArray(), true), -1);
    EXPECT_EQ(storeBinaryData(doc, e, static_cast<unsigned char const*>(nullptr), 4), -1);
    EXPECT_EQ(storeBinaryData(doc, e, QStringLiteral("/nonexistent/vyx/file.bin")), -1);
    EXPECT_FALSE(e.hasChildNodes());

    QByteArray out("keep");
    EXPECT_EQ(loadBinaryData(e, out), 0);
    EXPECT_EQ(out, QByteArray("keep"));
}

TEST(BinaryDataTest, FileContentsAreStoredCompressed)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("payload.bin"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("file content \x01\x02");
    file.close();

    QDomDocument doc;
    QDomElement e = dataElement(doc);
    ASSERT_EQ(storeBinaryData(doc, e, path), 0);
    QByteArray out;
    EXPECT_EQ(loadBinaryData(e, out), 0);
    EXPECT_EQ(out, QByteArray("file content \x01\x02"));

    const QString emptyPath = dir.filePath(QStringLiteral("empty.bin"));
    QFile emptyFile(emptyPath);
    ASSERT_TRUE(emptyFile.open(QIODevice::WriteOnly));
    emptyFile.close();
    QDomDocument doc2;
    QDomElement e2 = dataElement(doc2);
    EXPECT_EQ(storeBinaryData(doc2, e2, emptyPath), 0);
    out = "x";
    EXPECT_EQ(loadBinaryData(e2, out), 0);
    EXPECT_TRUE(out.isEmpty());
}

TEST(BinaryDataTest, HostilePayloadsAreRefused)
{
    QByteArray out;

    // Stated size above the cap: refused before any allocation.
    QDomDocument doc1;
    const QByteArray huge = header(quint32(MaxBinaryDataSize + 1)) + qCompress(QByteArray("abc"), 9).mid(4);
    EXPECT_EQ(loadBinaryData(elementWithText(doc1, huge), out), -1);
    EXPECT_TRUE(out.isEmpty());
    QDomDocument doc1b;
    const QByteArray max = header(0xFFFFFFFFu) + qCompress(QByteArray("abc"), 9).mid(4);
    EXPECT_EQ(loadBinaryData(elementWithText(doc1b, max), out), -1);

    // A stated size that does not match the stream.
    QDomDocument doc2;
    const QByteArray lying = header(2) + qCompress(QByteArray(1000, 'z'), 9).mid(4);
    out = "x";
    EXPECT_EQ(loadBinaryData(elementWithText(doc2, lying), out), -1);
    EXPECT_TRUE(out.isEmpty());

    // Not the compressed form at all, and too short to be one.
    QDomDocument doc3;
    EXPECT_EQ(loadBinaryData(elementWithText(doc3, header(5) + QByteArray("plain text")), out), -1);
    EXPECT_TRUE(out.isEmpty());
    QDomDocument doc4;
    EXPECT_EQ(loadBinaryData(elementWithText(doc4, QByteArray("ab")), out), -1);
    QDomDocument doc5;
    QDomElement junk = dataElement(doc5);
    junk.appendChild(doc5.createTextNode(QStringLiteral("%%%% ----")));
    EXPECT_EQ(loadBinaryData(junk, out), -1);
}
