#include "app/TwCmdAddObject.h"

#include "app/KelNGObject.h"
#include "app/ShownText.h"
#include "app/TwCore.h"
#include "app/TwUtilities.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/NodeGraph.h"

#include <QObject>

TwCmdAddObject::TwCmdAddObject(TwCore* core, KelNGObject* object)
    : m_core(core)
    , m_objectUid(object && object->graph() ? object->graph()->uid() : -1)
{
    const QString name = object && object->graph() ? object->graph()->displayName() : QString();
    setText(QObject::tr("Insert") + QLatin1Char(' ') + ShownText::name(name));
}

TwCmdAddObject::~TwCmdAddObject() = default;

void TwCmdAddObject::redo()
{
    if (!m_core)
        return;
    if (m_firstRedo) {
        // Pushed after the core inserted the object.
        m_firstRedo = false;
    } else {
        m_core->cancelRender();
        m_core->setInsertionIndexFor(m_objectUid, m_objectIndex);
        // A neighbour linked when the snapshot was taken may be gone by now: that link is left
        // open.
        TwUtilities::loadObjectFromBuffer(m_core, m_core->rootGraph(), &m_snapshot.bytes(), true);
        m_snapshot.giveTemplatesBack(m_core->rootGraph());
        // The panels show the template given back (the Template tab, the disk button).
        m_core->updateAndSync();
    }
    m_core->start();
}

void TwCmdAddObject::undo()
{
    if (!m_core)
        return;
    m_core->cancelRender();
    KelNodes::Node* node = m_core->rootGraph() && m_objectUid > 0
        ? m_core->rootGraph()->findNode(m_objectUid, true) : nullptr;
    KelNGObject* object = node ? m_core->findObjectOfNode(node) : nullptr;
    if (object && static_cast<KelNodes::Node*>(object->graph()) == node) {
        m_snapshot.take(m_core, object);
        m_objectIndex = m_core->indexOfObject(object);
        m_core->queueObjectToBeRemoved(object);
        m_core->updateAfterChangingGraph(nullptr);
        m_core->updateAndSync();
        m_core->sortFilters();
    }
    m_core->start();
}
