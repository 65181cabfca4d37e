#include "AddressSanitizer.h"
#include "params/Base64.h"
#include "params/BinaryData.h"
#include "io/XmlDocumentBudget.h"
#include "io/XmlDocumentDepth.h"

#include <gtest/gtest.h>

#include <QDomDocument>
#include <QFile>
#include <QTemporaryDir>

using namespace KelUtils;

TEST(Base64Test, TextIsLittleEndianUtf16WithByteOrderMark)
{
    auto encode = [](char const* hex) { return QString::fromLatin1(QByteArray::fromHex(hex).toBase64()); };
    EXPECT_EQ(toBase64(QString()), QStringLiteral("//4="));
    EXPECT_EQ(toBase64(QStringLiteral("abc")), encode("fffe610062006300"));
    const QString text = QStringLiteral("Grüße, 日本 \U0001F600 <&\"'>\n\t") + QChar(0xD800);
    EXPECT_EQ(fromBase64(toBase64(text)), text);

    // Reading honours a big-endian mark, defaults to little-endian and skips foreign characters.
    EXPECT_EQ(fromBase64(encode("feff00410042")), QStringLiteral("AB"));
    EXPECT_EQ(fromBase64(encode("41004200")), QStringLiteral("AB"));
    EXPECT_EQ(fromBase64(encode("fffe410042")), QStringLiteral("A")); // odd last byte dropped
    QString spaced = toBase64(QStringLiteral("hello"));
    spaced.insert(3, QStringLiteral(" \n=*"));
    EXPECT_EQ(fromBase64(spaced), QStringLiteral("hello"));
    EXPECT_EQ(fromBase64(QStringLiteral("!!!")), QString());
    EXPECT_EQ(fromBase64(QStringLiteral("ä€")), QString());
}

namespace {

QDomElement elementWithText(QDomDocument& doc, QByteArray const& payload)
{
    QDomElement e = doc.createElement(QStringLiteral("data"));
    e.appendChild(doc.createTextNode(QString::fromLatin1(payload.toBase64())));
    return e;
}

QByteArray header(quint32 length)
{
    return QByteArray(1, char(length >> 24)) + char(length >> 16) + char(length >> 8) + char(length);
}

} // namespace

TEST(BinaryDataTest, PayloadsRoundTripInTheCompressedForm)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("payload.bin"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("file content \x01\x02");
    file.close();
    QByteArray bytes;
    for (int i = 0; i < 5000; ++i)
        bytes.append(char(i * 7));

    QDomDocument doc;
    QDomElement e = doc.createElement(QStringLiteral("data"));
    ASSERT_EQ(storeBinaryData(doc, e, bytes, true), 0);
    EXPECT_EQ(QByteArray::fromBase64(e.text().toLatin1()).left(4), header(5000));
    QByteArray out("untouched");
    EXPECT_EQ(loadBinaryData(e, out), 0);
    EXPECT_EQ(out, bytes);

    QDomElement raw = doc.createElement(QStringLiteral("data"));
    storeBinaryData(doc, raw, reinterpret_cast<unsigned char const*>(bytes.constData()), int(bytes.size()));
    EXPECT_EQ(loadBinaryData(raw, out), 0);
    EXPECT_EQ(out, bytes);

    QDomElement fromFile = doc.createElement(QStringLiteral("data"));
    ASSERT_EQ(storeBinaryData(doc, fromFile, path), 0);
    EXPECT_EQ(loadBinaryData(fromFile, out), 0);
    EXPECT_EQ(out, QByteArray("file content \x01\x02"));

    // Null inputs write nothing; an element without text leaves the buffer.
    QDomElement none = doc.createElement(QStringLiteral("data"));
    EXPECT_EQ(storeBinaryData(doc, none, QByteArray(), true), -1);
    EXPECT_EQ(storeBinaryData(doc, none, static_cast<unsigned char const*>(nullptr), 4), -1);
    EXPECT_EQ(storeBinaryData(doc, none, QStringLiteral("/nonexistent/vyx/file.bin")), -1);
    EXPECT_FALSE(none.hasChildNodes());
    EXPECT_EQ(loadBinaryData(none, out), 0);
    EXPECT_EQ(out, QByteArray("file content \x01\x02"));
}

// A payload whose text would be one token over the gate's limit is written in sections within
// it: the saved document opens again through the gate and gives the payload back whole.
TEST(BinaryDataTest, APayloadLongerThanTheGatesTokenIsWrittenWholeAndReadBack)
{
#if defined(VYX_ADDRESS_SANITIZER)
    GTEST_SKIP() << "hundreds of megabytes under the address sanitizer";
#endif
    const qsizetype fits = qsizetype(MaxXmlTokenLength / 4 * 3);
    QDomDocument doc;
    QDomElement within = doc.createElement(QStringLiteral("data"));
    ASSERT_EQ(storeBinaryData(doc, within, QByteArray(fits, 'x'), false), 0);
    EXPECT_EQ(qint64(within.text().size()), MaxXmlTokenLength);
    EXPECT_TRUE(within.firstChild().isText() && within.firstChild() == within.lastChild());

    // Stored without compression, so that nothing shrinks it below the limit.
    const QByteArray raw(fits, 'y');
    const QByteArray payload = qCompress(raw, 0);
    ASSERT_GT(payload.size(), fits);
    QByteArray saved;
    {
        QDomDocument written;
        QDomElement root = written.createElement(QStringLiteral("project"));
        written.appendChild(root);
        QDomElement over = written.createElement(QStringLiteral("data"));
        root.appendChild(over);
        ASSERT_EQ(storeBinaryData(written, over, payload, false), 0);
        saved = written.toByteArray(1);
    }
    QDomDocument read;
    QString message;
    ASSERT_TRUE(setXmlContent(read, saved, &message)) << qPrintable(message);
    saved.clear();
    QByteArray out;
    ASSERT_EQ(loadBinaryData(read.documentElement().firstChildElement(QStringLiteral("data")), out), 0);
    EXPECT_TRUE(out == raw);
}

TEST(BinaryDataTest, HostilePayloadsAreRefused)
{
    const QByteArray abc = qCompress(QByteArray("abc"), 9).mid(4);
    const QByteArray payloads[] = {
        header(quint32(MaxBinaryDataSize + 1)) + abc,             // over the cap: refused before allocating
        header(0xFFFFFFFFu) + abc,                                 // 4 GiB
        header(2) + qCompress(QByteArray(1000, 'z'), 9).mid(4),    // stated size does not match
        header(5) + QByteArray("plain text"),                      // not compressed at all
        QByteArray("ab"),                                          // too short
    };
    for (QByteArray const& payload : payloads) {
        QDomDocument doc;
        QByteArray out("x");
        EXPECT_EQ(loadBinaryData(elementWithText(doc, payload), out), -1);
        EXPECT_TRUE(out.isEmpty());
    }
    QDomDocument doc;
    QDomElement junk = doc.createElement(QStringLiteral("data"));
    junk.appendChild(doc.createTextNode(QStringLiteral("%%%% ----")));
    QByteArray out;
    EXPECT_EQ(loadBinaryData(junk, out), -1);
}
