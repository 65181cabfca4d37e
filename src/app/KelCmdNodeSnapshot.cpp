#include "app/KelCmdNodeSnapshot.h"

#include "app/KelNGObject.h"
#include "app/ShownText.h"
#include "app/TwCore.h"
#include "app/TwNodeSnapshot.h"
#include "nodes/NodeGraph.h"

#include <QObject>

KelCmdNodeSnapshot::KelCmdNodeSnapshot(TwCore* core, KelNodes::NodeGraph* graph, KelNodes::Node* node,
                               QString const& verb)
    : m_core(core)
    , m_graph(graph)
    , m_nodeUid(node ? node->uid() : -1)
    , m_ownerUid(TwNodeSnapshot::ownerUid(node))
{
    // own text: the verb is the caller's word.
    setText(verb + QLatin1Char(' ') + (node ? ShownText::name(node->displayName()) : QString()));
}

KelCmdNodeSnapshot::~KelCmdNodeSnapshot() = default;

void KelCmdNodeSnapshot::takeOut()
{
    if (!m_core)
        return;
    m_core->cancelRender();
    // A stale snapshot must not bring back a node this take-out did not find.
    m_hasSnapshot = false;
    KelNodes::Node* node = m_graph && m_nodeUid >= 0 ? m_graph->findNode(m_nodeUid, true) : nullptr;
    KelNodes::NodeGraph* owner = node ? node->parentGraph() : nullptr;
    if (owner) {
        m_ownerUid = TwNodeSnapshot::ownerUid(node);
        TwNodeSnapshot::store(m_core, owner, node, m_snapshot.bytes(), KelNodes::StoreConnectionsAnyEnd);
        m_hasSnapshot = true;
        m_carriesObject = TwNodeSnapshot::carriesObject(node);
        m_snapshot.takeTemplates(m_carriesObject ? KelNGObject::objectOf(node->toNodeGraph()) : nullptr);
        m_objectIndex =
            m_carriesObject ? m_core->indexOfObject(KelNGObject::objectOf(node->toNodeGraph())) : -1;
        TwNodeSnapshot::remove(m_core, node);
        m_core->updateUIAfterGraphOfNodeChanged(owner);
    }
    m_core->start();
}

void KelCmdNodeSnapshot::putBack(KelNodes::loadConnFlag connections)
{
    if (!m_core)
        return;
    m_core->cancelRender();
    KelNodes::NodeGraph* owner = TwNodeSnapshot::findGraph(m_graph, m_ownerUid);
    if (owner && m_hasSnapshot) {
        // The links come back on the widest kinds their ends take and settle the kinds after.
        const QList<KelNodes::Node*> created = TwNodeSnapshot::load(m_core, owner, m_snapshot.bytes(), connections);
        if (m_carriesObject) {
            for (KelNodes::Node* node : created)
                TwNodeSnapshot::restoreObject(m_core, node, m_objectIndex);
            m_snapshot.giveTemplatesBack(m_graph);
        }
        TwNodeSnapshot::standAtEffectFrame(owner, created);
        KelNGObject* object = m_core->findObjectOfNode(owner);
        if (object && !created.isEmpty())
            object->getRootObject()->setGraphChanged(true);
        m_core->updateUIAfterGraphOfNodeChanged(owner);
    }
    m_core->start();
}
