#include "style/KelStyleParser.h"

#include "io/XmlDocumentBudget.h"
#include "style/KelStyleConfig.h"
#include "style/KelTagBoolParser.h"
#include "style/KelTagColorParser.h"
#include "style/KelTagConnectingLineParser.h"
#include "style/KelTagFontParser.h"
#include "style/KelTagImageParser.h"
#include "style/KelTagLinearGradientParser.h"
#include "style/KelTagParser.h"
#include "style/KelTagPenParser.h"
#include "style/KelTagPrefixParser.h"
#include "style/KelTagSizeParser.h"
#include "style/ResourcePaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QSize>
#include <QVariant>
#include <QXmlStreamReader>

namespace {

const QString ATTR_ID = QStringLiteral("id");
const QString ATTR_DEFINED = QStringLiteral("defined");
const QString ATTR_FILEPATH = QStringLiteral("filepath");
const QString TAG_INCLUDE = QStringLiteral("include");

} // namespace

KelStyleParser::KelStyleParser() = default;

KelStyleParser::~KelStyleParser()
{
    destroySubParsers();
}

bool KelStyleParser::load(QString const& fileName, KelStyleConfig& config, bool lenient)
{
    const QString folder = ResourcePaths::resourcesFolder();
    if (folder.isEmpty()) {
        m_errorText = QStringLiteral("No resources folder for ") + fileName;
        return false;
    }
    QFile file(folder + QLatin1Char('/') + fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        m_errorText = QStringLiteral("Cannot open %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }

    // Every file is read from the one resources folder, so its path names it.
    const QString path = QFileInfo(file).canonicalFilePath();
    if (m_openFiles.contains(path)) {
        m_errorText = QStringLiteral("Include cycle: ") + fileName;
        return false;
    }
    if (m_openFiles.size() > MAX_INCLUDE_DEPTH) {
        m_errorText = QStringLiteral("Includes nested deeper than %1 levels: ")
                          .arg(MAX_INCLUDE_DEPTH)
            + fileName;
        return false;
    }

    const bool built = buildTree(file);
    file.close();
    if (!built)
        return false;

    if (m_tagParsers.isEmpty())
        createSubParsers();

    m_lenient = lenient;
    m_openFiles.append(path);
    const bool ok = parse(m_root, QString(), config);
    m_openFiles.removeLast();
    return ok;
}

bool KelStyleParser::buildTree(QIODevice& device)
{
    // Nesting bounds the recursion of the walk, the tree's destructor and toXml; the tree's
    // size, with the trees of the files that include this one, the memory.
    KelUtils::XmlDocumentBudget budget(m_heldTreeBytes);
    QXmlStreamReader xml(budget.watch(&device));
    startDocument();
    bool ended = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!budget.admit(xml)) {
            const KelUtils::XmlPlace place = budget.refusalPlace(xml);
            m_errorText = budget.tooDeep()
                ? QStringLiteral("Elements nested deeper than %1 levels: ").arg(KelUtils::MaxXmlDepth)
                    + xml.qualifiedName().toString()
                : QStringLiteral("Fatal error [line %1, column %2]: ").arg(place.line).arg(place.column)
                    + budget.refusal();
            m_stack.clear();
            return false;
        }
        switch (xml.tokenType()) {
        case QXmlStreamReader::StartElement:
            if (!startElement(xml.namespaceUri().toString(), xml.qualifiedName().toString(),
                              xml.attributes()))
                return false;
            break;
        case QXmlStreamReader::EndElement:
            endElement();
            break;
        case QXmlStreamReader::EndDocument:
            ended = true;
            if (!endDocument())
                return false;
            break;
        default:
            // Character data, comments, processing instructions and the DTD play no part.
            break;
        }
    }
    if (xml.hasError()) {
        m_errorText = QStringLiteral("Fatal error [line %1, column %2]: ")
                          .arg(xml.lineNumber())
                          .arg(xml.columnNumber())
            + xml.errorString();
        m_stack.clear();
        return false;
    }
    m_treeBytes = budget.treeBytes() - m_heldTreeBytes;
    return ended || endDocument();
}

void KelStyleParser::startDocument()
{
    m_stack.clear();
    m_root.clear();
    m_state = 1;
}

bool KelStyleParser::startElement(QString const& namespaceUri, QString const& qualifiedName,
                                  QXmlStreamAttributes const& attributes)
{
    if (m_state != 1) {
        m_errorText = QStringLiteral("");
        return false;
    }
    if (m_stack.isEmpty())
        m_stack.append(&m_root);
    else
        m_stack.append(m_stack.last()->addChild(XmlStanza()));

    XmlTag& tag = m_stack.last()->tag();
    tag.setName(qualifiedName);
    tag.setUri(namespaceUri);
    tag.attrs().clear();
    for (QXmlStreamAttribute const& attribute : attributes)
        tag.addAttribute(attribute.qualifiedName().toString(), attribute.value().toString());
    return true;
}

void KelStyleParser::endElement()
{
    if (!m_stack.isEmpty())
        m_stack.removeLast();
}

bool KelStyleParser::endDocument()
{
    if (!m_stack.isEmpty()) {
        m_errorText = QStringLiteral("Stack not empty: ") + m_stack.last()->tag().name();
        m_stack.clear();
        return false;
    }
    m_state = 2;
    return true;
}

bool KelStyleParser::parse(XmlStanza const& element, QString const& prefix, KelStyleConfig& config)
{
    for (XmlStanza const& child : element.childs()) {
        XmlAttributes const& attrs = child.tag().attrs();
        const QString id = attrs.value(ATTR_ID);
        const QString key = (!id.isEmpty() && !prefix.isEmpty())
            ? prefix + QLatin1Char('.') + id
            : prefix + id;

        const QString defined = attrs.value(ATTR_DEFINED);
        if (!defined.isEmpty()) {
            if (config.copy(defined, key))
                continue;
            m_errorText = QStringLiteral("Link to predefined variable '") + defined
                + QStringLiteral("', but not found");
            return false;
        }

        QString const& name = child.tag().name();
        if (name == TAG_INCLUDE) {
            if (!include(child, config))
                return false;
            continue;
        }

        if (KelTagParser* tagParser = m_tagParsers.value(name)) {
            const QVariant value = tagParser->parse(child, config);
            if (isNoValue(value)) {
                if (m_lenient)
                    continue;
                m_errorText = QStringLiteral("Error parsing tag '") + name + QLatin1Char('\'');
                return false;
            }
            config.add(key, value);
            continue;
        }

        if (!parse(child, key, config))
            return false;
    }
    return true;
}

bool KelStyleParser::include(XmlStanza const& element, KelStyleConfig& config)
{
    const QString filePath = element.tag().attrs().value(ATTR_FILEPATH);
    if (filePath.isEmpty()) {
        if (m_lenient)
            return true;
        m_errorText = QStringLiteral("Tag 'include' required an attribute 'filepath'.");
        return false;
    }

    const QFileInfo info(filePath);
    const QString fileName = info.fileName();
    const QString previous = QDir::currentPath();
    KelStyleParser nested;
    nested.m_openFiles = m_openFiles;
    nested.m_heldTreeBytes = m_heldTreeBytes + m_treeBytes;
    // The directory part only moves the current directory, for images named without a prefix
    // and for includes further down; a failed move is not an error.
    QDir::setCurrent(previous + QLatin1Char('/') + info.dir().path());
    const bool ok = nested.load(fileName, config, m_lenient);
    QDir::setCurrent(previous);
    if (ok)
        return true;
    m_errorText = nested.m_errorText.isEmpty()
        ? QStringLiteral("Cannot open included style file '") + fileName + QLatin1Char('\'')
        : nested.m_errorText;
    return false;
}

bool KelStyleParser::isNoValue(QVariant const& value)
{
    if (!value.isValid())
        return true;
    const QMetaType type = value.metaType();
    if (type == QMetaType::fromType<QString>())
        return static_cast<QString const*>(value.constData())->isNull();
    if (type == QMetaType::fromType<QSize>())
        return static_cast<QSize const*>(value.constData())->isNull();
    if (type == QMetaType::fromType<QPixmap>())
        return static_cast<QPixmap const*>(value.constData())->isNull();
    return false;
}

void KelStyleParser::createSubParsers()
{
    m_tagParsers.insert(QStringLiteral("prefix"), new KelTagPrefixParser);
    m_tagParsers.insert(QStringLiteral("size"), new KelTagSizeParser);
    m_tagParsers.insert(QStringLiteral("font"), new KelTagFontParser);
    m_tagParsers.insert(QStringLiteral("color"), new KelTagColorParser);
    m_tagParsers.insert(QStringLiteral("pen"), new KelTagPenParser);
    m_tagParsers.insert(QStringLiteral("linear_gradient"), new KelTagLinearGradientParser);
    m_tagParsers.insert(QStringLiteral("image"), new KelTagImageParser);
    m_tagParsers.insert(QStringLiteral("connect_line"), new KelTagConnectingLineParser);
    m_tagParsers.insert(QStringLiteral("bool"), new KelTagBoolParser);
}

void KelStyleParser::destroySubParsers()
{
    qDeleteAll(m_tagParsers);
    m_tagParsers.clear();
}
