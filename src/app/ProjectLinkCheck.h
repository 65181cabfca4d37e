#pragma once

#include <QString>

class QDomElement;

// The links of a project document that the window cannot keep. The project's top level holds
// the picture node, the filtered-image node and the effects, and the window links those in the
// one chain of effects it builds from the project's rows whenever the project changes: a link
// between a top-level node and a node inside an effect would be dropped by it, silently changing
// the picture. Such a document is refused before anything of it is loaded.
class ProjectLinkCheck
{
public:
    // Empty when every link can be kept; otherwise why not, naming the first such link's nodes,
    // as a sentence for the user. `graph` is the document's "graph" element.
    static QString refusal(QDomElement const& graph);
};
