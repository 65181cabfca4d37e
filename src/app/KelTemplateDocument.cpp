#include "app/KelTemplateDocument.h"

#include "app/KelAdjective.h"
#include "app/KelAtomHolder.h"
#include "app/KelTemplate.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "params/NumGroupParameter.h"
#include "params/Parameter.h"
#include "params/ParameterFactory.h"
#include "io/RegularFileReader.h"
#include "io/XmlDocumentDepth.h"

#include <QDebug>
#include <QDomDocument>
#include <QDomElement>
#include <QDomNamedNodeMap>

#include <cmath>
#include <memory>

namespace {

QString const kTemplateAtom = QStringLiteral("atom");
QString const kTemplateAtomParameter = QStringLiteral("atom_parameter");

QString textAttribute(QDomElement const& element, QString const& name)
{
    return KelTemplate::fromBase64(element.attribute(name));
}

void setTextAttribute(QDomElement& element, QString const& name, QString const& value)
{
    element.setAttribute(name, KelTemplate::toBase64(value));
}

} // namespace

bool KelTemplateDocument::isXmlName(QString const& name)
{
    if (name.isEmpty())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        QChar const c = name.at(i);
        bool const start = c.isLetter() || c == QLatin1Char('_') || c == QLatin1Char(':');
        bool const inner = start || c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('.');
        if (i == 0 ? !start : !inner)
            return false;
    }
    return true;
}

void KelTemplateDocument::store(KelTemplate const& record, QDomDocument& document,
                                QDomElement& parent, int nodeId)
{
    QDomElement element = document.createElement(QStringLiteral("template"));
    setTextAttribute(element, QStringLiteral("name"), record.name());
    setTextAttribute(element, QStringLiteral("alternativeNames"), record.alternativeNames());
    setTextAttribute(element, QStringLiteral("type"), record.type());
    setTextAttribute(element, QStringLiteral("timeFrom"), record.timeFrom());
    setTextAttribute(element, QStringLiteral("timeTo"), record.timeTo());
    setTextAttribute(element, QStringLiteral("version"), record.version());
    setTextAttribute(element, QStringLiteral("style"), record.style());
    setTextAttribute(element, QStringLiteral("tags"), record.tags());
    setTextAttribute(element, QStringLiteral("uuid"), record.uuid());
    setTextAttribute(element, QStringLiteral("createdBy"), record.createdBy());
    setTextAttribute(element, QStringLiteral("description"), record.description());
    element.setAttribute(QStringLiteral("iconQuality"), record.iconQuality());
    element.setAttribute(QStringLiteral("iconPositionX"), record.iconPositionX());
    element.setAttribute(QStringLiteral("iconPositionY"), record.iconPositionY());
    element.setAttribute(QStringLiteral("iconPositionZ"), record.iconPositionZ());
    element.setAttribute(QStringLiteral("iconScaleX"), record.iconScaleX());
    element.setAttribute(QStringLiteral("iconScaleY"), record.iconScaleY());
    element.setAttribute(QStringLiteral("iconScaleZ"), record.iconScaleZ());
    element.setAttribute(QStringLiteral("iconRotationX"), record.iconRotationX());
    element.setAttribute(QStringLiteral("iconRotationY"), record.iconRotationY());
    element.setAttribute(QStringLiteral("iconRotationZ"), record.iconRotationZ());
    element.setAttribute(QStringLiteral("positionModifier"), record.positionModifier());
    element.setAttribute(QStringLiteral("embeddedPosition"), record.embeddedPosition());
    element.setAttribute(QStringLiteral("instantiateWithDefaultText"),
                         record.instantiateWithDefaultText() ? 1 : 0);
    setTextAttribute(element, QStringLiteral("defaultText"), record.defaultText());
    setTextAttribute(element, QStringLiteral("defaultScript"), record.defaultScript());
    if (!record.interfaces().isEmpty())
        setTextAttribute(element, QStringLiteral("interfaces"),
                         record.interfaces().join(QStringLiteral("::")));
    element.setAttribute(QStringLiteral("nodeid"), nodeId);

    for (KelAdjective const* adjective : record.adjectives()) {
        if (adjective)
            storeAdjective(*adjective, document, element);
    }
    parent.appendChild(element);
}

void KelTemplateDocument::storeAdjective(KelAdjective const& adjective, QDomDocument& document,
                                         QDomElement& parent)
{
    QDomElement element = document.createElement(QStringLiteral("adjective"));
    setTextAttribute(element, QStringLiteral("groupName"), adjective.groupName());
    setTextAttribute(element, QStringLiteral("alternativeNames"), adjective.alternativeNames());
    setTextAttribute(element, QStringLiteral("name"), adjective.name());

    for (KelAttribute const& attribute : adjective.attributes()) {
        QDomElement attributeElement = document.createElement(QStringLiteral("attribute"));
        for (auto it = attribute.values.constBegin(); it != attribute.values.constEnd(); ++it) {
            // A key that is no XML name would make the file unreadable.
            if (!isXmlName(it.key()))
                continue;
            QVariant const& value = it.value();
            switch (value.metaType().id()) {
            case QMetaType::Bool:
                attributeElement.setAttribute(it.key(), value.toBool() ? 1 : 0);
                break;
            case QMetaType::Int:
                attributeElement.setAttribute(it.key(), value.toInt());
                break;
            case QMetaType::Double:
                attributeElement.setAttribute(it.key(), value.toDouble());
                break;
            case QMetaType::QString:
                setTextAttribute(attributeElement, it.key(), value.toString());
                break;
            default:
                break;
            }
        }
        KelAtomHolder const* atom = attribute.atom();
        if (attribute.type() == KelAttribute::NodeParameterAttribute && atom
            && atom->parameter()) {
            QDomElement parameterElement = document.createElement(QStringLiteral("parameter"));
            atom->parameter()->store(parameterElement, document);
            attributeElement.appendChild(parameterElement);
        }
        element.appendChild(attributeElement);
    }
    parent.appendChild(element);
}

bool KelTemplateDocument::loadContent(KelTemplate& record, QDomElement const& element)
{
    record.setName(textAttribute(element, QStringLiteral("name")));
    record.setAlternativeNames(textAttribute(element, QStringLiteral("alternativeNames")));
    record.setType(textAttribute(element, QStringLiteral("type")));
    record.setVersion(textAttribute(element, QStringLiteral("version")));
    record.setCreatedBy(textAttribute(element, QStringLiteral("createdBy")));
    record.setStyle(textAttribute(element, QStringLiteral("style")));
    record.setTags(textAttribute(element, QStringLiteral("tags")));
    record.setTimeFrom(textAttribute(element, QStringLiteral("timeFrom")));
    record.setTimeTo(textAttribute(element, QStringLiteral("timeTo")));
    record.setUuid(textAttribute(element, QStringLiteral("uuid")));
    record.setDescription(textAttribute(element, QStringLiteral("description")));

    if (element.hasAttribute(QStringLiteral("interfaces")))
        record.setInterfaces(textAttribute(element, QStringLiteral("interfaces"))
                                 .split(QStringLiteral("::"), Qt::KeepEmptyParts,
                                        Qt::CaseSensitive));

    // Missing or unreadable numbers read as 0, the scales included.
    auto number = [&element](char const* name) {
        bool ok = false;
        float const value = element.attribute(QLatin1String(name)).toFloat(&ok);
        return ok && std::isfinite(value) ? value : 0.0f;
    };
    auto integer = [&element](char const* name) {
        return element.attribute(QLatin1String(name)).toInt(nullptr, 10);
    };
    record.setIconQuality(integer("iconQuality"));
    record.setIconPositionX(number("iconPositionX"));
    record.setIconPositionY(number("iconPositionY"));
    record.setIconPositionZ(number("iconPositionZ"));
    record.setIconScaleX(number("iconScaleX"));
    record.setIconScaleY(number("iconScaleY"));
    record.setIconScaleZ(number("iconScaleZ"));
    record.setIconRotationX(number("iconRotationX"));
    record.setIconRotationY(number("iconRotationY"));
    record.setIconRotationZ(number("iconRotationZ"));
    record.setPositionModifier(integer("positionModifier"));
    record.setEmbeddedPosition(integer("embeddedPosition"));
    record.setInstantiateWithDefaultText(integer("instantiateWithDefaultText") != 0);
    record.setDefaultText(textAttribute(element, QStringLiteral("defaultText")));
    record.setDefaultScript(textAttribute(element, QStringLiteral("defaultScript")));

    QDomNodeList const adjectives = element.elementsByTagName(QStringLiteral("adjective"));
    for (int i = 0; i < adjectives.count(); ++i) {
        KelAdjective* adjective = loadAdjective(adjectives.at(i).toElement());
        if (!adjective)
            return false;
        record.appendAdjective(adjective);
    }
    return true;
}

KelAdjective* KelTemplateDocument::loadAdjective(QDomElement const& element)
{
    auto adjective = std::make_unique<KelAdjective>();
    adjective->setName(textAttribute(element, QStringLiteral("name")));
    adjective->setGroupName(textAttribute(element, QStringLiteral("groupName")));
    adjective->setAlternativeNames(textAttribute(element, QStringLiteral("alternativeNames")));

    QDomNodeList const attributes = element.elementsByTagName(QStringLiteral("attribute"));
    for (int i = 0; i < attributes.count(); ++i) {
        QDomElement const attributeElement = attributes.at(i).toElement();
        KelAttribute attribute(KelAttribute::NodeParameterAttribute);

        // At most one editor per attribute; a kind the factory cannot build is skipped.
        QDomNodeList const parameters =
            attributeElement.elementsByTagName(QStringLiteral("parameter"));
        for (int p = 0; p < parameters.count() && !attribute.atom(); ++p) {
            bool overBound = false;
            KelUtils::Parameter* parameter =
                KelUtils::createParameter(parameters.at(p).toElement(), &overBound);
            if (overBound)
                return nullptr;
            if (!parameter)
                continue;
            KelAtomHolder* atom = KelAtomHolder::create(parameter);
            if (!atom)
                continue;
            attribute.setAtom(atom);
            atom->createUI();
        }

        QDomNamedNodeMap const xmlAttributes = attributeElement.attributes();
        for (int a = 0; a < xmlAttributes.count(); ++a) {
            QDomAttr const xmlAttribute = xmlAttributes.item(a).toAttr();
            QString const key = xmlAttribute.name();
            // The editor pointers are the program's own; a file never sets them.
            if (key == kTemplateAtom || key == kTemplateAtomParameter)
                continue;
            bool isNumber = false;
            double const number = xmlAttribute.value().toDouble(&isNumber);
            if (isNumber)
                attribute.setValue(key, number);
            else
                attribute.setValue(key, KelTemplate::fromBase64(xmlAttribute.value()));
        }
        adjective->setAttribute(attribute);
    }
    return adjective.release();
}

KelNodes::NodeGraph* KelTemplateDocument::loadNodeGraphFromFile(KelTemplate& record,
                                                                KelNodes::NodeGraph* graph,
                                                                bool readTemplate, bool keepUids,
                                                                int* loadResult)
{
    if (loadResult)
        *loadResult = -2;
    QString const path = record.filePath();
    if (!graph || path.isEmpty())
        return nullptr;

    QDomDocument document;
    {
        QByteArray bytes;
        QString reason;
        if (!KelUtils::RegularFileReader::readDocument(path, &bytes, &reason)) {
            qDebug() << "KelTemplate error: cannot open template file" << path << reason;
            return nullptr;
        }
        QString message;
        int line = 0;
        int column = 0;
        if (!KelUtils::setXmlContent(document, bytes, &message, &line, &column)) {
            qDebug().nospace() << "KelTemplate error: template file " << path
                               << " is not well-formed (line " << line << ", column " << column
                               << "): " << message;
            return nullptr;
        }
    }
    QDomElement const root = document.documentElement();
    if (root.tagName() != QLatin1String("graph")) {
        qDebug() << "KelTemplate error: template file" << path << "holds no graph document";
        return nullptr;
    }

    QList<KelNodes::Node*> loaded;
    int const code =
        graph->load(root, keepUids, KelNodes::LoadConnectionsOfLoaded, &loaded, nullptr);
    if (code < 0)
        qDebug() << "KelTemplate error: template file" << path
                 << "did not load completely into the graph";

    // The loader lists nodes of every depth; only the ones added to `graph` itself count.
    QList<KelNodes::Node*> added;
    for (KelNodes::Node* node : std::as_const(loaded)) {
        if (node && node->parentGraph() == graph && !added.contains(node))
            added.append(node);
    }
    KelNodes::NodeGraph* result = added.isEmpty() ? nullptr : added.last()->toNodeGraph();

    // Anything else the file added would stay behind as a phantom node.
    for (KelNodes::Node* node : std::as_const(added)) {
        if (node != result)
            graph->removeNode(node);
    }
    if (!result) {
        qDebug() << "KelTemplate error: template file" << path << "holds no template graph";
        return nullptr;
    }
    if (added.size() > 1)
        qDebug() << "KelTemplate error: template file" << path
                 << "holds more than the template graph; the rest was dropped";

    if (readTemplate) {
        // In document order, so the outermost template's metadata come last and win.
        QDomNodeList const templates = document.elementsByTagName(QStringLiteral("template"));
        for (int i = 0; i < templates.count(); ++i) {
            if (!loadContent(record, templates.at(i).toElement())) {
                qDebug().nospace() << "KelTemplate error: template file " << path
                                   << " holds a parameter of more than "
                                   << KelUtils::MaxStoredGroupValues << " values or "
                                   << KelUtils::MaxStoredListItems << " items";
                graph->removeNode(result);
                return nullptr;
            }
        }
    }
    record.setName(result->displayName());
    record.setGraphLoaded(true);
    if (loadResult)
        *loadResult = code;
    return result;
}
