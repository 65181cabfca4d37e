#pragma once

class KelAdjective;
class KelTemplate;
class QDomDocument;
class QDomElement;
class QString;

namespace KelNodes {
class NodeGraph;
}

// The template file format: the "template" element (metadata, adjectives, attributes and their
// exposed parameters) and the template file that holds it next to the template's graph.
// KelTemplate's store/loadContent/loadNodeGraphFromFile are implemented here.
class KelTemplateDocument
{
public:
    static void store(KelTemplate const& record, QDomDocument& document, QDomElement& parent,
                      int nodeId);
    // False, having stopped there, at a parameter asking for more values than a stored one may
    // hold: the file is damaged.
    static bool loadContent(KelTemplate& record, QDomElement const& element);
    static KelNodes::NodeGraph* loadNodeGraphFromFile(KelTemplate& record,
                                                      KelNodes::NodeGraph* graph,
                                                      bool readTemplate, bool keepUids,
                                                      int* loadResult);

private:
    static void storeAdjective(KelAdjective const& adjective, QDomDocument& document,
                               QDomElement& parent);
    // Null for a parameter over the bound (see loadContent).
    static KelAdjective* loadAdjective(QDomElement const& element);
    static bool isXmlName(QString const& name);
};
