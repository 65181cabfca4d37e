#include "app/TwCmdDeleteObject.h"

#include "app/KelNGObject.h"
#include "app/ShownText.h"
#include "app/TwCore.h"
#include "app/TwEffectSnapshot.h"
#include "app/TwNodeSnapshot.h"
#include "app/TwUtilities.h"
#include "nodes/NodeGraph.h"

#include <QObject>

namespace {

// Whether another listed object holds `object` somewhere inside its graph.
bool insideAnother(KelNGObject* object, QList<KelNGObject*> const& objects)
{
    for (KelNGObject* other : objects) {
        if (other && other != object && other->containsNode(object->graph(), true))
            return true;
    }
    return false;
}

} // namespace

TwCmdDeleteObject::TwCmdDeleteObject(TwCore* core, KelNodes::NodeGraph* graph,
                                     QList<KelNGObject*> objects)
    : m_core(core), m_graph(graph)
{
    for (KelNGObject* object : std::as_const(objects)) {
        if (!object || !object->graph() || insideAnother(object, objects))
            continue;
        const int uid = object->graph()->uid();
        if (!m_objectUids.contains(uid))
            m_objectUids.append(uid);
    }
    if (objects.size() == 1) {
        const QString name = objects.first() && objects.first()->graph()
            ? objects.first()->graph()->displayName() : QString();
        setText(QObject::tr("Delete") + QLatin1Char(' ') + ShownText::name(name));
    } else {
        setText(QObject::tr("Delete Objects"));
    }
}

TwCmdDeleteObject::~TwCmdDeleteObject()
{
    deleteBuffers();
}

void TwCmdDeleteObject::deleteBuffers()
{
    m_snapshots.clear();
}

void TwCmdDeleteObject::redo()
{
    if (!m_core)
        return;
    m_core->cancelRender();
    deleteBuffers();
    m_objectIndexes.clear();

    // Every snapshot is taken before the first object goes.
    QList<KelNGObject*> found;
    for (int uid : std::as_const(m_objectUids)) {
        KelNodes::Node* node = m_graph ? m_graph->findNode(uid, true) : nullptr;
        KelNGObject* object = node ? m_core->findObjectOfNode(node) : nullptr;
        if (!object || static_cast<KelNodes::Node*>(object->graph()) != node)
            continue;
        m_parentUids.insert(uid, TwNodeSnapshot::ownerUid(node));
        auto snapshot = std::make_unique<TwEffectSnapshot>();
        snapshot->take(m_core, object);
        m_snapshots[uid] = std::move(snapshot);
        const int index = m_core->indexOfObject(object);
        if (index >= 0)
            m_objectIndexes.insert(uid, index);
        found.append(object);
    }
    for (KelNGObject* object : std::as_const(found)) {
        object->getRootObject()->setGraphChanged(true);
        m_core->queueObjectToBeRemoved(object);
    }
    // The effect that held an inner one shows its own count of nodes anew.
    m_core->updateAfterChangingGraph(nullptr);

    m_core->sortFilters();
    m_core->updateAndSync();
    m_core->start();
}

void TwCmdDeleteObject::undo()
{
    if (!m_core)
        return;
    m_core->cancelRender();
    auto parentOf = [this](int uid) {
        return m_snapshots.count(uid)
            ? TwNodeSnapshot::findGraph(m_graph, m_parentUids.value(uid, 0)) : nullptr;
    };
    for (int i = 0; i < m_objectUids.size(); ++i) {
        const int uid = m_objectUids.at(i);
        KelNodes::NodeGraph* parent = parentOf(uid);
        if (!parent)
            continue;
        // Restored in list order, an object goes in front of those listed after it that stood
        // before it and are not back yet, so that all end at their former places.
        auto it = m_objectIndexes.constFind(uid);
        if (it != m_objectIndexes.constEnd()) {
            int index = it.value();
            for (int j = i + 1; j < m_objectUids.size(); ++j) {
                const int later = m_objectUids.at(j);
                if (m_objectIndexes.contains(later) && m_objectIndexes.value(later) < it.value()
                    && parentOf(later))
                    --index;
            }
            m_core->setInsertionIndexFor(uid, index);
        }
        // Links to objects of this list that are not back yet are left open; the chain of
        // objects is made again anyway.
        TwUtilities::loadObjectFromBuffer(m_core, parent, &m_snapshots.at(uid)->bytes(), true);
    }
    for (auto const& [uid, snapshot] : m_snapshots)
        snapshot->giveTemplatesBack(m_graph);
    // An inner effect back in its holder counts there again.
    m_core->updateAfterChangingGraph(nullptr);
    // The panels show the templates given back (the Template tab, the disk button).
    m_core->updateAndSync();
    m_core->start();
}
