#include "app/TwNodeGraphIOCallbacks.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/TwCore.h"
#include "nodes/NodeGraph.h"
#include "params/ParameterContainer.h"

#include <QDomDocument>
#include <QDomElement>
#include <QLocale>
#include <QVariant>

namespace {

enum class Form { Boolean, Number, Text };

struct AttributeRule
{
    const char* attribute;
    const char* key;
    Form form;
};

// Store order.
const AttributeRule StoredAttributes[] = {
    {"hasCustomNodeColor", "hasCustomNodeColor", Form::Boolean},
    {"customNodeColor", "customNodeColor", Form::Text},
    {"posX", "posX", Form::Number},
    {"posY", "posY", Form::Number},
    {"basedOnTemplateUuid", "basedOnTemplateUuid", Form::Text},
    {"previewIsExpanded", "previewIsExpanded", Form::Boolean},
    {"terminalsAreExpanded", "terminalsAreExpanded", Form::Boolean},
};

// Load order: the older names come after the current ones, so they win.
const AttributeRule LoadedAttributes[] = {
    {"posX", "posX", Form::Text},
    {"objectEditor_posX", "posX", Form::Text},
    {"posY", "posY", Form::Text},
    {"objectEditor_posY", "posY", Form::Text},
    {"hasCustomNodeColor", "hasCustomNodeColor", Form::Text},
    {"customNodeColor", "customNodeColor", Form::Text},
    {"basedOnTemplateUuid", "basedOnTemplateUuid", Form::Text},
    {"previewIsExpanded", "previewIsExpanded", Form::Text},
    {"terminalsAreExpanded", "terminalsAreExpanded", Form::Text},
};

QString formatValue(QVariant const& value, Form form)
{
    switch (form) {
    case Form::Boolean:
        return QString::number(qint64(value.toBool() ? 1 : 0));
    case Form::Number:
        // Shortest text that reads back to the same double.
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case Form::Text:
        break;
    }
    return value.toString();
}

QMap<QString, QVariant>* settingsOf(KelNodes::Node const* node)
{
    // The settings map is editor state, not part of the node's value: writing it through a
    // const node is what the store hook's shape allows.
    auto* mutableNode = const_cast<KelNodes::Node*>(node);
    KelUtils::ParameterContainer* container = mutableNode ? mutableNode->paramContainer() : nullptr;
    return container ? &container->auxData() : nullptr;
}

} // namespace

TwNodeGraphIOCallbacks::TwNodeGraphIOCallbacks(TwCore* core, bool storeTemplate)
    : m_core(core), m_storeTemplate(storeTemplate)
{
}

void TwNodeGraphIOCallbacks::xmlStoreCallback(QDomDocument& document, QDomElement& element,
                                              KelNodes::NodeGraph const* graph,
                                              KelNodes::Node const* node)
{
    KelNodes::Node const* described = node;
    if (graph && !node) {
        auto* mutableGraph = const_cast<KelNodes::NodeGraph*>(graph);
        KelNGObject* object = m_core ? m_core->findObjectOfNode(mutableGraph)
                                     : KelNGObject::objectOf(graph);
        if (object && m_storeTemplate && object->objectTemplate())
            object->objectTemplate()->store(document, element, 0);
        described = graph;
    }
    if (!described)
        return;
    QMap<QString, QVariant>* settings = settingsOf(described);
    if (!settings)
        return;
    for (AttributeRule const& rule : StoredAttributes) {
        auto it = settings->constFind(QLatin1String(rule.key));
        if (it != settings->constEnd())
            element.setAttribute(QLatin1String(rule.attribute), formatValue(it.value(), rule.form));
    }
}

void TwNodeGraphIOCallbacks::xmlLoadCallback(KelNodes::NodeGraph* graph, KelNodes::Node* node,
                                             QDomElement const& element)
{
    KelNodes::Node* filled = node ? node : graph;
    if (!filled)
        return;
    QMap<QString, QVariant>* settings = settingsOf(filled);
    if (!settings)
        return;
    for (AttributeRule const& rule : LoadedAttributes) {
        QString const name = QLatin1String(rule.attribute);
        if (element.hasAttribute(name))
            settings->insert(QLatin1String(rule.key), QVariant(element.attribute(name)));
    }
}

TwNodeGraphIOCallbacks::Scope::Scope(KelNodes::NodeGraph* graph, TwNodeGraphIOCallbacks* callbacks,
                                     bool store, bool load)
    : m_graph(graph), m_store(store && graph), m_load(load && graph)
{
    if (m_store) {
        m_oldStoreHook = graph->storeHook();
        m_oldStoreData = graph->storeHookData();
        graph->setStoreHook(&::xmlStoreCallback, callbacks);
    }
    if (m_load) {
        m_oldLoadHook = graph->loadHook();
        m_oldLoadData = graph->loadHookData();
        graph->setLoadHook(&::xmlLoadCallback, callbacks);
    }
}

TwNodeGraphIOCallbacks::Scope::~Scope()
{
    if (m_store)
        m_graph->setStoreHook(m_oldStoreHook, m_oldStoreData);
    if (m_load)
        m_graph->setLoadHook(m_oldLoadHook, m_oldLoadData);
}

void xmlStoreCallback(KelNodes::NodeGraph const* graph, KelNodes::Node const* node,
                      QDomDocument& document, QDomElement& element, void* data)
{
    if (auto* callbacks = static_cast<TwNodeGraphIOCallbacks*>(data))
        callbacks->xmlStoreCallback(document, element, graph, node);
}

void xmlLoadCallback(KelNodes::NodeGraph* graph, KelNodes::Node* node, QDomElement const& element,
                     void* data)
{
    if (auto* callbacks = static_cast<TwNodeGraphIOCallbacks*>(data))
        callbacks->xmlLoadCallback(graph, node, element);
}
