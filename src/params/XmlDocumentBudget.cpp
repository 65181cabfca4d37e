#include "params/XmlDocumentBudget.h"

#include <QIODevice>
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

// Hands the source's bytes on and counts the "=" signs the reader has not yet seen come back
// as a token: an element has one for each of its attributes. Past MaxXmlAttributes it hands on
// nothing more, and the reader stops as at the end of a document.
class XmlDocumentBudget::WatchingDevice : public QIODevice
{
public:
    explicit WatchingDevice(QIODevice* source) : m_source(source)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    bool isSequential() const override { return true; }
    bool stopped() const { return m_pending > MaxXmlAttributes; }
    // A token came back: what is still unread lies in the last bytes handed on.
    void tokenRead() { m_pending = m_lastSigns; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (stopped())
            return 0;
        const qint64 read = m_source->read(data, maxSize);
        if (read <= 0)
            return read;
        m_lastSigns = QByteArrayView(data, read).count('=');
        m_pending += m_lastSigns;
        return stopped() ? 0 : read;
    }
    qint64 writeData(char const*, qint64) override { return -1; }

private:
    QIODevice* m_source;
    qint64 m_pending = 0;
    qint64 m_lastSigns = 0;
};

XmlDocumentBudget::XmlDocumentBudget(qint64 held) : m_treeBytes(held) {}

XmlDocumentBudget::~XmlDocumentBudget() = default;

QIODevice* XmlDocumentBudget::watch(QIODevice* source)
{
    m_device = std::make_unique<WatchingDevice>(source);
    return m_device.get();
}

bool XmlDocumentBudget::refuse(QString const& text)
{
    m_refusal = text;
    return false;
}

bool XmlDocumentBudget::admit(QXmlStreamReader const& reader)
{
    if (m_device && m_device->stopped())
        return refuse(QStringLiteral("an element with more than %1 attributes").arg(MaxXmlAttributes));
    if (m_device && reader.tokenType() != QXmlStreamReader::Invalid)
        m_device->tokenRead();
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
