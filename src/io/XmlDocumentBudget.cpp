#include "io/XmlDocumentBudget.h"

#include "io/XmlTokenLexer.h"

#include <QIODevice>
#include <QStringDecoder>
#include <QXmlStreamReader>

namespace KelUtils {

namespace {

constexpr qint64 ElementBytes = 288;
constexpr qint64 AttributeTableBytes = 1792;
constexpr qint64 AttributeBytes = 464;
constexpr qint64 TextNodeBytes = 224;
constexpr qint64 CharacterBytes = 2;
constexpr qint64 AttributeValueCharacterBytes = 5;

} // namespace

// Hands the source's bytes on through the lexer; past a limit it hands on nothing more, and
// the reader stops as at the end of a document.
class XmlDocumentBudget::WatchingDevice : public QIODevice
{
public:
    explicit WatchingDevice(QIODevice* source) : m_source(source), m_origin(source->pos())
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    bool isSequential() const override { return true; }
    XmlTokenLexer::Fault fault() const { return m_lexer.fault(); }
    XmlTokenLexer const& lexer() const { return m_lexer; }

    // The lexer keeps no bytes: the characters before the fault on its line are read again,
    // a piece at a time, and decoded as the reader decodes them.
    XmlPlace faultPlace() const
    {
        const XmlTokenLexer::Place& place = m_lexer.faultPlace();
        XmlPlace named{place.linesBefore + 1, 0};
        if (m_source->isSequential())
            return named;
        const qint64 was = m_source->pos();
        if (!m_source->seek(m_origin + place.lineStart))
            return named;
        QStringDecoder decoder = m_lexer.decoder();
        qint64 characters = 0;
        qint64 left = place.offset - place.lineStart;
        while (left > 0) {
            const QByteArray piece = m_source->read(qMin<qint64>(left, 1 << 20));
            if (piece.isEmpty())
                break;
            characters += QString(decoder.decode(piece)).size();
            left -= piece.size();
        }
        m_source->seek(was);
        if (left == 0)
            named.column = characters + 1;
        return named;
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (m_lexer.fault() != XmlTokenLexer::Fault::None)
            return 0;
        const qint64 read = m_source->read(data, maxSize);
        if (read <= 0)
            return read;
        return m_lexer.feed(data, read);
    }
    qint64 writeData(char const*, qint64) override { return -1; }

private:
    QIODevice* m_source;
    qint64 m_origin;
    XmlTokenLexer m_lexer;
};

XmlDocumentBudget::XmlDocumentBudget(qint64 held) : m_treeBytes(held) {}

XmlDocumentBudget::~XmlDocumentBudget() = default;

QIODevice* XmlDocumentBudget::watch(QIODevice* source)
{
    m_device = std::make_unique<WatchingDevice>(source);
    return m_device.get();
}

XmlPlace XmlDocumentBudget::refusalPlace(QXmlStreamReader const& reader) const
{
    if (m_device && m_device->fault() != XmlTokenLexer::Fault::None)
        return m_device->faultPlace();
    return {reader.lineNumber(), reader.columnNumber()};
}

bool XmlDocumentBudget::refuse(QString const& text)
{
    m_refusal = text;
    return false;
}

bool XmlDocumentBudget::admit(QXmlStreamReader const& reader)
{
    switch (m_device ? m_device->fault() : XmlTokenLexer::Fault::None) {
    case XmlTokenLexer::Fault::None:
        break;
    case XmlTokenLexer::Fault::TooManyAttributes:
        return refuse(QStringLiteral("an element with more than %1 attributes").arg(MaxXmlAttributes));
    case XmlTokenLexer::Fault::TokenTooLong:
        return refuse(QStringLiteral("a text, tag, comment or declaration longer than %1 MB")
                          .arg(MaxXmlTokenLength / (1024 * 1024)));
    case XmlTokenLexer::Fault::IllFormedCharacter:
        return refuse(QStringLiteral("a sequence of bytes that is no character of the encoding \"%1\" takes in an "
                                     "ASCII character")
                          .arg(QString::fromLatin1(m_device->lexer().encoding())));
    case XmlTokenLexer::Fault::DeclarationBeyondAscii:
        return refuse(QStringLiteral("an XML declaration holding bytes other than ASCII"));
    case XmlTokenLexer::Fault::UnfollowedEncoding:
        if (m_device->lexer().encodingVerdict() == XmlEncodingRule::Verdict::Followed)
            return refuse(QStringLiteral("an XML declaration too long to be read"));
        m_refusedEncoding = m_device->lexer().encoding();
        return refuse(XmlEncodingRule::refusal(m_device->lexer().encoding(), m_device->lexer().encodingVerdict()));
    }
    qint64 cost = 0;
    switch (reader.tokenType()) {
    case QXmlStreamReader::StartElement: {
        if (++m_depth > MaxXmlDepth)
            return refuse(QStringLiteral("elements nested deeper than %1 levels").arg(MaxXmlDepth));
        m_steps += m_stepsPerElement;
        if (m_steps > MaxXmlSteps)
            return refuse(QStringLiteral("more elements than a document of such declarations may hold"));
        cost = ElementBytes + CharacterBytes * reader.qualifiedName().size();
        // Without namespace processing a declaration is one more attribute.
        const auto attributes = reader.attributes();
        const auto declarations = reader.namespaceDeclarations();
        if (!attributes.isEmpty() || !declarations.isEmpty())
            cost += AttributeTableBytes;
        // The declared defaults are counted in the steps above.
        qint64 compared = declarations.size();
        for (QXmlStreamAttribute const& attribute : attributes)
            compared += attribute.isDefault() ? 0 : 1;
        m_attributeComparisons += compared * (compared - 1) / 2;
        if (m_attributeComparisons > MaxXmlAttributeComparisons)
            return refuse(QStringLiteral("elements of more attributes than a document may hold"));
        for (QXmlStreamAttribute const& attribute : attributes)
            cost += AttributeBytes + CharacterBytes * attribute.qualifiedName().size()
                + AttributeValueCharacterBytes * attribute.value().size();
        for (QXmlStreamNamespaceDeclaration const& declaration : declarations)
            cost += AttributeBytes + CharacterBytes * (6 + declaration.prefix().size())
                + AttributeValueCharacterBytes * declaration.namespaceUri().size();
        break;
    }
    case QXmlStreamReader::EndElement:
        --m_depth;
        break;
    case QXmlStreamReader::Characters:
        // The DOM drops text of white space only.
        if (!reader.isWhitespace())
            cost = TextNodeBytes + CharacterBytes * reader.text().size();
        break;
    case QXmlStreamReader::Comment:
    case QXmlStreamReader::EntityReference:
        cost = TextNodeBytes + CharacterBytes * (reader.name().size() + reader.text().size());
        break;
    case QXmlStreamReader::ProcessingInstruction:
        cost = TextNodeBytes
            + CharacterBytes
                * (reader.processingInstructionTarget().size() + reader.processingInstructionData().size());
        break;
    case QXmlStreamReader::DTD: {
        const QStringView text = reader.text();
        cost = TextNodeBytes
            * (1 + reader.entityDeclarations().size() + reader.notationDeclarations().size())
            + CharacterBytes * text.size();
        // Every attribute default takes a quoted value or a keyword after "#": no more of them
        // than of those characters.
        m_stepsPerElement = 1 + text.count(QLatin1Char('"')) + text.count(QLatin1Char('\''))
            + text.count(QLatin1Char('#'));
        break;
    }
    default:
        break;
    }
    m_treeBytes += cost;
    if (m_treeBytes > MaxXmlTreeBytes)
        return refuse(QStringLiteral("more elements, attributes and text than a document may hold "
                                     "(over %1 MB as a tree)")
                          .arg(MaxXmlTreeBytes / (1024 * 1024)));
    return true;
}

} // namespace KelUtils
