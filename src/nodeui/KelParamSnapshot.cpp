#include "nodeui/KelParamSnapshot.h"

#include "nodes/NodeGraph.h"
#include "nodes/NodeGraphParameterContainer.h"
#include "params/IParameterContainer.h"
#include "params/XmlNumbers.h"

#include <QBuffer>
#include <QDomDocument>
#include <QHash>
#include <QTextStream>

namespace {

constexpr int kMaxNesting = 64;

// Loads a section into a container that stays at its current frame. A graph's section carries
// its members' sections, and the keys set, moved or removed on a graph reach its members: they
// come back with it, each member at its own frame too.
void loadAtOwnFrame(KelUtils::IParameterContainer* container, QDomElement const& section, int depth)
{
    auto* graphContainer = dynamic_cast<KelNodes::NodeGraphParameterContainer*>(container);
    KelNodes::NodeGraph* graph = graphContainer ? graphContainer->graph() : nullptr;
    if (!graph || depth > kMaxNesting) {
        const int frame = container->currentFrame();
        container->loadState(section);
        container->setCurrentFrame(frame);
        return;
    }
    // One table for all the sections: a search of the members for each would cost their square.
    // The first member with a uid keeps it, as a search finds it.
    QHash<int, KelNodes::Node*> byUid;
    for (KelNodes::Node* node : graph->nodes())
        byUid.insert(node->uid(), byUid.value(node->uid(), node));
    const QDomElement members = section.firstChildElement(QStringLiteral("nodes"));
    for (QDomElement member = members.firstChildElement(); !member.isNull();
         member = member.nextSiblingElement()) {
        bool ok = false;
        const int uid = KelUtils::parseXmlInt(member.attribute(QStringLiteral("uid")), &ok);
        KelNodes::Node* node = ok ? byUid.value(uid, nullptr) : nullptr;
        if (node && node->paramContainer())
            loadAtOwnFrame(node->paramContainer(), member, depth + 1);
    }
    // The graph's own frame, without moving the members off theirs.
    const int frame = graphContainer->currentFrame();
    graphContainer->loadState(section);
    graphContainer->KelUtils::ParameterContainer::setCurrentFrame(frame);
}

} // namespace

QBuffer* KelParamSnapshot::store(KelUtils::IParameterContainer const* container)
{
    if (!container)
        return nullptr;
    QDomDocument document(QStringLiteral("MarrowindGraphNode"));
    QDomElement root = document.createElement(QStringLiteral("nodes"));
    document.appendChild(root);
    container->storeState(document, root, false, false);

    auto* buffer = new QBuffer;
    buffer->open(QIODevice::WriteOnly);
    {
        QTextStream stream(buffer);
        document.save(stream, 4);
    }
    buffer->close();
    return buffer;
}

void KelParamSnapshot::load(KelUtils::IParameterContainer* container, QBuffer const* buffer)
{
    if (!container || !buffer)
        return;
    QDomDocument document;
    document.setContent(buffer->data());
    // A snapshot gives back what the parameters held, not the frame it was taken at: the node
    // stays at the frame the user is on, the one the timeline shows.
    loadAtOwnFrame(container, document.documentElement().firstChild().toElement(), 0);
}
