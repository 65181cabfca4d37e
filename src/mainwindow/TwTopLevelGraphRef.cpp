#include "mainwindow/TwTopLevelGraphRef.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/NodeGraph.h"

TwTopLevelGraphRef::TwTopLevelGraphRef(TwCore* core, KelNodes::Node* node)
{
    if (!node)
        return;
    KelNodes::NodeGraph* graph = node->toNodeGraph() ? node->toNodeGraph() : node->parentGraph();
    KelNodes::NodeGraph* top = graph ? graph->topLevelGraph() : nullptr;
    if (!top)
        return;
    if (core && top == static_cast<KelNodes::NodeGraph*>(core->rootGraph())) {
        m_project = top;
        return;
    }
    KelNGObject* object = nullptr;
    for (; graph && !object; graph = graph->parentGraph())
        object = KelNGObject::objectOf(graph);
    m_templateObject = object ? object->getRootObject() : nullptr;
}

KelNodes::NodeGraph* TwTopLevelGraphRef::graph() const
{
    if (m_project)
        return m_project;
    KelNodes::NodeGraph* graph = m_templateObject ? m_templateObject->graph() : nullptr;
    return graph ? graph->topLevelGraph() : nullptr;
}
