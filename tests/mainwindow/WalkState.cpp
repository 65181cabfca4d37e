#include "WalkState.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "nodes/NodeGraph.h"

#include <QDomDocument>
#include <QDomElement>
#include <QDomNamedNodeMap>
#include <QMap>

#include <algorithm>
#include <memory>

namespace MainWindowTest {
namespace {

void forgetFrames(QDomElement element)
{
    for (const char* drawn : {"posX", "posY", "previewIsExpanded", "terminalsAreExpanded"})
        element.removeAttribute(QLatin1String(drawn));
    // The colour is the user's: only where none was chosen may the view write its default.
    if (element.attribute(QStringLiteral("hasCustomNodeColor")) != QLatin1String("true")) {
        element.removeAttribute(QStringLiteral("hasCustomNodeColor"));
        element.removeAttribute(QStringLiteral("customNodeColor"));
    }
    element.removeAttribute(QStringLiteral("curr_frame"));
    if (element.tagName() != QLatin1String("keyframe"))
        element.removeAttribute(QStringLiteral("frame_num"));
    if (!element.firstChildElement(QStringLiteral("keyframe")).isNull()) {
        QDomNamedNodeMap const attributes = element.attributes();
        QStringList shown;
        for (int i = 0; i < attributes.count(); ++i) {
            QString const name = attributes.item(i).nodeName();
            if (name.startsWith(QLatin1String("value")) || name.size() == 1)
                shown << name;
        }
        for (QString const& name : shown)
            element.removeAttribute(name);
    }
    // A graph's nodes in the order of their ids: the render sorts the list by evaluation
    // level and an undone step puts a node back at its end, neither of which the file means.
    // The connections likewise, which follow the nodes' order.
    if (element.tagName() == QLatin1String("nodes") || element.tagName() == QLatin1String("connections")) {
        QList<QDomElement> nodes;
        for (QDomElement child = element.firstChildElement(); !child.isNull(); child = child.nextSiblingElement())
            nodes << child;
        auto key = [](QDomElement const& e) {
            QStringList parts{QStringLiteral("%1").arg(e.attribute(QStringLiteral("uid")).toInt(), 10)};
            for (const char* name : {"node_uid1", "terminal1", "node_uid2", "terminal2"})
                parts << e.attribute(QLatin1String(name)).rightJustified(10);
            return parts.join(QLatin1Char('|'));
        };
        std::stable_sort(nodes.begin(), nodes.end(),
                         [&](QDomElement const& a, QDomElement const& b) { return key(a) < key(b); });
        for (QDomElement const& node : nodes)
            element.appendChild(node);
    }
    for (QDomElement child = element.firstChildElement(); !child.isNull();) {
        QDomElement const next = child.nextSiblingElement();
        forgetFrames(child);
        // What held only the frame.
        if (child.tagName() == QLatin1String("keyframes") && !child.hasChildNodes() && !child.hasAttributes())
            element.removeChild(child);
        child = next;
    }
}


QByteArray savedForm(QByteArray const& bytes)
{
    QDomDocument document;
    if (!document.setContent(bytes))
        return QByteArray();
    forgetFrames(document.documentElement());
    return document.toByteArray(1);
}

// The store's templates by UUID: name, type and graph.
QByteArray templateForms(TwCore* core)
{
    QMap<QString, QByteArray> forms;
    TwTemplateContainer* store = core->templateStore();
    for (KelTemplate* objectTemplate : store ? store->objectTemplateList : QList<KelTemplate*>()) {
        KelNGObject* instance = objectTemplate->objectInstance();
        KelNodes::NodeGraph* top = instance && instance->graph() ? instance->graph()->topLevelGraph() : nullptr;
        QByteArray form = (objectTemplate->name() + QLatin1Char('|') + objectTemplate->type() + QLatin1Char('\n')).toUtf8();
        if (top) {
            std::unique_ptr<QDomDocument> document(top->store(top->nodes(), false, true, false));
            if (document) {
                forgetFrames(document->documentElement());
                form += document->toByteArray(1);
            }
        }
        forms.insert(objectTemplate->uuid(), form);
    }
    QByteArray all;
    for (auto it = forms.cbegin(); it != forms.cend(); ++it)
        all += it.key().toUtf8() + ": " + it.value();
    return all;
}

QStringList effectTemplateFields(TwCore* core)
{
    QStringList notes;
    // No template yet counts as an empty one: showing an effect gives it one.
    KelTemplate const empty;
    for (KelNGObject* object : core->objectList()) {
        KelTemplate const* own = object->objectTemplate() ? object->objectTemplate() : &empty;
        // Not its name: an effect's rename gives the template the effect's name, and its undo the
        // effect's former name.
        QStringList fields{object->graph() ? object->graph()->displayName() : QString(), own->uuid(),
                           own->alternativeNames(), own->tags(), own->description(),
                           own->modified() ? QStringLiteral("unsaved") : QStringLiteral("saved")};
        notes << fields.join(QStringLiteral(" | "));
    }
    notes.sort();
    return notes;
}

} // namespace

WalkState WalkState::of(TwCore* core, QByteArray const& projectBytes)
{
    return {savedForm(projectBytes), templateForms(core), effectTemplateFields(core)};
}

std::string WalkState::differenceTo(WalkState const& other) const
{
    if (project != other.project)
        return "the project: " + firstDifference(project, other.project);
    if (templates != other.templates)
        return "the store's templates: " + firstDifference(templates, other.templates);
    return "the effects' templates: " + effectTemplates.join(QStringLiteral("; ")).toStdString() + " became " +
           other.effectTemplates.join(QStringLiteral("; ")).toStdString();
}

std::string WalkState::firstDifference(QByteArray const& before, QByteArray const& after)
{
    QList<QByteArray> const a = before.split('\n');
    QList<QByteArray> const b = after.split('\n');
    for (int i = 0; i < std::min(a.size(), b.size()); ++i) {
        if (a.at(i) == b.at(i))
            continue;
        QByteArray was;
        QByteArray is;
        for (int j = i; j < std::min<qsizetype>(i + 3, std::min(a.size(), b.size())); ++j) {
            was += a.at(j).trimmed() + ' ';
            is += b.at(j).trimmed() + ' ';
        }
        return (was + "became " + is).toStdString();
    }
    return "lines added or removed";
}


} // namespace MainWindowTest
