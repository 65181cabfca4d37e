#pragma once

#include <QPointer>

class KelNGObject;
class TwCore;

namespace KelNodes {
class Node;
class NodeGraph;
}

// The top-level graph a node lies in, for an undo step that may outlive it: the project's root
// graph lives as long as the core; a template's graph goes with its template, so it is reached
// through the template's object, and a step left on the project's history after the template
// was deleted finds no graph.
class TwTopLevelGraphRef
{
public:
    TwTopLevelGraphRef(TwCore* core, KelNodes::Node* node);

    // Null once the template is gone.
    KelNodes::NodeGraph* graph() const;

private:
    KelNodes::NodeGraph* m_project = nullptr;
    QPointer<KelNGObject> m_templateObject;
};
