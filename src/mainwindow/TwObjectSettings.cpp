#include "mainwindow/TwObjectSettings.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/TwCore.h"
#include "nodes/NodeGraph.h"
#include "effects/VyxNodeGraph.h"
#include "params/ListParameter.h"

#include <QUndoStack>

namespace {

KelUtils::ListParameter* blendList(KelNodes::NodeGraph* graph)
{
    if (!graph)
        return nullptr;
    return dynamic_cast<KelUtils::ListParameter*>(
        graph->paramContainer()->getParamByName(QStringLiteral("blendMode"), 7));
}

} // namespace

bool TwObjectSettings::isDisabled(KelNodes::NodeGraph* graph)
{
    return graph && graph->paramContainer()->getIntParam(QStringLiteral("disable"), 0) != 0;
}

void TwObjectSettings::setDisabled(KelNodes::NodeGraph* graph, bool disabled)
{
    if (graph)
        graph->paramContainer()->setIntParam(QStringLiteral("disable"), disabled ? 1 : 0, 0);
}

int TwObjectSettings::opacity(KelNodes::NodeGraph* graph)
{
    return graph ? graph->paramContainer()->getIntParam(QStringLiteral("opacity"), 0) : 0;
}

QStringList TwObjectSettings::blendModeNames(KelNodes::NodeGraph* graph)
{
    QStringList names;
    if (KelUtils::ListParameter* list = blendList(graph)) {
        for (KelUtils::ListItem const& item : list->items())
            names << item.name;
    }
    return names;
}

int TwObjectSettings::blendModeId(KelNodes::NodeGraph* graph)
{
    KelUtils::ListParameter* list = blendList(graph);
    KelUtils::ListItem const* current = list ? list->currentItem() : nullptr;
    return current ? current->id : -1;
}

int TwObjectSettings::blendModeIdAt(KelNodes::NodeGraph* graph, int position)
{
    KelUtils::ListParameter* list = blendList(graph);
    KelUtils::ListItem const* item = list ? list->itemAt(position) : nullptr;
    return item ? item->id : -1;
}

int TwObjectSettings::blendModePositionOf(KelNodes::NodeGraph* graph, int id)
{
    KelUtils::ListParameter* list = blendList(graph);
    return list ? list->indexOfId(id) : -1;
}

QString TwObjectSettings::displayName(KelNGObject* object)
{
    return object && object->graph() ? object->graph()->displayName() : QString();
}

QString TwObjectSettings::nodeCountText(KelNGObject* object)
{
    int count = 0;
    int unused = 0;
    if (object)
        object->getTotalNodesCount(count, unused);
    return QStringLiteral("%1").arg(count);
}

bool TwObjectSettings::inTemplateUnderEdit(KelNGObject* object)
{
    return object && object->getRootObject()->isTemplateInstance();
}

void TwObjectSettings::markEdited(TwCore* core, KelNGObject* object)
{
    if (!object)
        return;
    if (inTemplateUnderEdit(object)) {
        if (KelTemplate* objectTemplate = object->getRootObject()->getValidTemplate())
            objectTemplate->setModified(true);
        return;
    }
    if (core)
        core->setModified(true);
}

void TwObjectSettings::markEdited(TwCore* core, KelNodes::Node* node)
{
    if (!node)
        return;
    KelNodes::NodeGraph* graph = node->toNodeGraph() ? node->toNodeGraph() : node->parentGraph();
    KelNGObject* object = nullptr;
    for (; graph && !object; graph = graph->parentGraph())
        object = KelNGObject::objectOf(graph);
    if (object)
        markEdited(core, object);
    else if (core)
        core->setModified(true);
}

KelNodes::Node* TwObjectSettings::findNode(TwCore* core, KelNodes::NodeGraph* topLevel, int uid)
{
    if (!core || !topLevel || uid < 0)
        return nullptr;
    if (topLevel == static_cast<KelNodes::NodeGraph*>(core->rootGraph()))
        return core->findNode(uid);
    core->cancelRender();
    return topLevel->findNode(uid, true);
}

void TwObjectSettings::push(KelNodes::NodeGraph* topLevel, QUndoCommand* command)
{
    auto* stack = topLevel ? qobject_cast<QUndoStack*>(topLevel->undoStack()) : nullptr;
    if (stack) {
        stack->push(command);
        return;
    }
    command->redo();
    delete command;
}
