#pragma once

// Template files, the icon sample and file listings for the template store tests.

#include "app/InvertedColour.h"
#include "app/KelTemplate.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "params/ParamType.h"
#include "style/KelStyleConfig.h"

#include <QDir>
#include <QDirIterator>
#include <QDomDocument>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QStringList>
#include <QVariant>

#include <memory>

namespace StoreTest {

inline constexpr QRgb kSampleColour = 0xFF2060A0u;

using TestColours::inverted;

struct TemplateContent
{
    QString uuid;
    QString name;
    QString type = QStringLiteral("Filter");
    // The effect node is of a type nobody registered (the load skips it and reports -1).
    bool unknownNode = false;
    // When set: every other text of the template (alternative names, version, author, tags,
    // description, ...), the name of its effect node, and an attribute whose parameters are
    // labelled with it and list it as their choice.
    QString everyText = {};
};

// A template file as the store writes one: the sub-graph (source -> inversion -> destination)
// as the only top-level node, the "template" element inside it.
inline QByteArray templateDocument(TemplateContent const& content)
{
    KelVyxNodes::VyxNodeGraph root(nullptr);
    KelVyxNodes::VyxNodeGraph* effect = root.addSubGraph(-1);
    QImage bootstrap(1, 1, QImage::Format_ARGB32);
    bootstrap.fill(0);
    effect->setUp(&bootstrap);
    KelNodes::Node* inversion = effect->addNode(QStringLiteral("operator.inversion"), -1);
    effect->sourceNode()->connect(QStringLiteral("rgb"), inversion, QStringLiteral("inRgb"));
    inversion->connect(QStringLiteral("outRgb"), effect->destinationNode(), QStringLiteral("rgb"));
    effect->setUp(nullptr);
    effect->setName(content.name);
    if (!content.everyText.isEmpty())
        inversion->setName(content.everyText);
    QString const inversionUuid = inversion->descriptor()->typeUuid.toString();

    std::unique_ptr<QDomDocument> document(root.store({effect}, false, false, true));
    QDomElement graph = document->documentElement().firstChildElement(QStringLiteral("nodes"))
                            .firstChildElement();
    KelTemplate record;
    record.setUuid(content.uuid);
    record.setName(content.name);
    record.setType(content.type);
    if (!content.everyText.isEmpty()) {
        QString const& text = content.everyText;
        record.setAlternativeNames(text);
        record.setVersion(text);
        record.setCreatedBy(text);
        record.setStyle(text);
        record.setTags(text);
        record.setTimeFrom(text);
        record.setTimeTo(text);
        record.setDescription(text);
        record.setDefaultText(text);
        record.setDefaultScript(text);
    }
    record.store(*document, graph, 0);
    if (!content.everyText.isEmpty()) {
        QDomElement adjective = document->createElement(QStringLiteral("adjective"));
        for (char const* key : {"name", "groupName", "alternativeNames"})
            adjective.setAttribute(QLatin1String(key), KelTemplate::toBase64(content.everyText));
        auto addParameter = [&](int type, char const* name) {
            QDomElement attribute = document->createElement(QStringLiteral("attribute"));
            QDomElement parameter = document->createElement(QStringLiteral("parameter"));
            parameter.setAttribute(QStringLiteral("type"), type);
            parameter.setAttribute(QStringLiteral("name"), QLatin1String(name));
            parameter.setAttribute(QStringLiteral("ui_text"), content.everyText);
            parameter.setAttribute(QStringLiteral("flags"), 1);
            attribute.appendChild(parameter);
            adjective.appendChild(attribute);
            return parameter;
        };
        addParameter(KelUtils::ParamString, "text");
        QDomElement choice = addParameter(KelUtils::ParamList, "choice");
        choice.setAttribute(QStringLiteral("num_items"), 1);
        choice.setAttribute(QStringLiteral("item_id0"), 0);
        choice.setAttribute(QStringLiteral("item_name0"), content.everyText);
        graph.lastChildElement(QStringLiteral("template")).appendChild(adjective);
    }
    QString text = document->toString(4);
    if (content.unknownNode) {
        text.replace(QStringLiteral("operator.inversion"), QStringLiteral("operator.nosuchnode"));
        text.replace(inversionUuid, QStringLiteral("{5e5e5e5e-0000-4000-8000-000000000000}"));
    }
    return text.toUtf8();
}

inline bool writeFile(QString const& path, QByteArray const& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(QString const& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file and symbolic link below the folder (hidden ones too), relative and sorted.
inline QStringList filesBelow(QString const& folder)
{
    QStringList files;
    QDir const base(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << base.relativeFilePath(it.next());
    files.sort();
    return files;
}

// The icon sample while it lives; the old value comes back after (no pixmap may outlive the
// application in the process-wide store).
class PreviewScope
{
public:
    PreviewScope()
    {
        m_saved = KelStyleConfig::instance()->value<QVariant>(kPreview());
        QImage sample(6, 4, QImage::Format_ARGB32);
        sample.fill(kSampleColour);
        KelStyleConfig::instance()->add(kPreview(), QPixmap::fromImage(sample));
    }
    ~PreviewScope() { KelStyleConfig::instance()->add(kPreview(), m_saved); }
    PreviewScope(PreviewScope const&) = delete;
    PreviewScope& operator=(PreviewScope const&) = delete;

private:
    static QString kPreview() { return QStringLiteral("preview"); }
    QVariant m_saved;
};

} // namespace StoreTest
