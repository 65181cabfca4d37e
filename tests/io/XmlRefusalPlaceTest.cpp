// A document refused ahead of the reader, for a damaged sequence of its encoding, names the
// place where the sequence stands, as the reader counts lines and characters, not where the
// reader happened to be when the refusal came.

#include "io/XmlDocumentDepth.h"

#include <gtest/gtest.h>

#include <QStringDecoder>
#include <QStringEncoder>

#include <random>

using namespace KelUtils;

namespace {

struct Placed {
    QByteArray bytes;
    int line = 0;
    int column = 0;
};

// Lines of ASCII and Hangul (one or two bytes a character in UHC, some with a letter after the
// lead byte), ended by LF, CR LF or CR, then a line whose characters lead to a lead byte
// followed by an ASCII byte no character holds, in text, a value, a CDATA section or a comment.
class UhcDocuments
{
public:
    explicit UhcDocuments(char const* encoding) : m_encoding(encoding), m_encoder(encoding)
    {
        // The bytes the decoder holds, waiting for the rest of a character.
        for (int byte = 0x80; byte < 0x100; ++byte) {
            QStringDecoder decoder(encoding);
            if (QString(decoder.decode(QByteArray(1, char(byte)))).isEmpty())
                m_leads += char(byte);
        }
    }

    bool hasLeads() const { return m_leads.size() > 100; }

    Placed next(std::mt19937& random)
    {
        Placed placed;
        placed.bytes = QByteArray("<?xml version=\"1.0\" encoding=\"") + m_encoding + "\"?>";
        placed.line = 1;
        placed.bytes += lineBreak(random);
        ++placed.line;
        placed.bytes += "<r>";
        int column = 3;
        // Some documents run past what the reader reads at once.
        const int lines = pick(random, 0, 3) == 0 ? pick(random, 200, 500) : pick(random, 0, 12);
        for (int i = 0; i < lines; ++i) {
            placed.bytes += "<p a=\"";
            placed.bytes += characters(random, pick(random, 0, 30));
            placed.bytes += "\">";
            placed.bytes += characters(random, pick(random, 0, 60));
            placed.bytes += "</p>";
            placed.bytes += lineBreak(random);
            ++placed.line;
            column = 0;
        }
        static char const* const openings[] = {"", "<v a=\"", "<![CDATA[", "<!-- ", "<w>"};
        const QByteArray opening = openings[pick(random, 0, 4)];
        placed.bytes += opening;
        column += int(opening.size());
        int written = 0;
        placed.bytes += characters(random, pick(random, 0, 80), &written);
        column += written;
        placed.column = column + 1;
        static char const hidden[] = "]<>\"= /1";
        placed.bytes += m_leads.at(pick(random, 0, int(m_leads.size()) - 1));
        placed.bytes += hidden[pick(random, 0, int(sizeof(hidden)) - 2)];
        placed.bytes += "x\"/>]]>--></w></r>\n";
        return placed;
    }

private:
    static int pick(std::mt19937& random, int low, int high)
    {
        return std::uniform_int_distribution<int>(low, high)(random);
    }

    static QByteArray lineBreak(std::mt19937& random)
    {
        static char const* const breaks[] = {"\n", "\r\n", "\r"};
        return breaks[pick(random, 0, 2)];
    }

    // `count` characters of text with no markup; `written` the characters they are.
    QByteArray characters(std::mt19937& random, int count, int* written = nullptr)
    {
        QByteArray bytes;
        int made = 0;
        for (int i = 0; i < count; ++i) {
            if (pick(random, 0, 2) == 0) {
                bytes += char(pick(random, 0, 1) ? pick(random, 'a', 'z') : pick(random, 'A', 'Z'));
                ++made;
                continue;
            }
            const QChar syllable(char16_t(pick(random, 0xac00, 0xd7a3)));
            const QByteArray encoded = m_encoder.encode(QStringView(&syllable, 1));
            if (m_encoder.hasError()) {
                m_encoder.resetState();
                continue;
            }
            bytes += encoded;
            ++made;
        }
        if (written)
            *written = made;
        return bytes;
    }

    QByteArray m_encoding;
    QStringEncoder m_encoder;
    QByteArray m_leads;
};

} // namespace

TEST(XmlRefusalPlace, ADamagedUhcSequenceIsNamedWhereItStands)
{
    std::mt19937 random(45);
    for (char const* name : {"windows-949", "ibm-949", "ibm-1363"}) {
        SCOPED_TRACE(name);
        UhcDocuments documents(name);
        ASSERT_TRUE(documents.hasLeads());
        for (int i = 0; i < 80; ++i) {
            const Placed placed = documents.next(random);
            QString message;
            int line = 0;
            int column = 0;
            ASSERT_FALSE(checkXmlDocument(placed.bytes, &message, &line, &column));
            ASSERT_TRUE(message.contains(QStringLiteral("no character of the encoding"))) << message.toStdString();
            EXPECT_EQ(line, placed.line) << i;
            EXPECT_EQ(column, placed.column) << i;
        }
    }
}

// A declaration holding a character other than ASCII is named where that character stands.
TEST(XmlRefusalPlace, ADeclarationBeyondAsciiIsNamedWhereItsFirstOtherByteStands)
{
    const QByteArray bytes = "<?xml version=\"1.0\"\r\n  encoding=\"windows-949\"\n standalone=\"\xb0\x41\"?>\n<r/>";
    QString message;
    int line = 0;
    int column = 0;
    ASSERT_FALSE(checkXmlDocument(bytes, &message, &line, &column));
    EXPECT_EQ(line, 3);
    EXPECT_EQ(column, 14);
}
