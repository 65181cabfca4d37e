#pragma once

#include "app/KelNGObjectsAccessor.h"

#include <QList>
#include <QString>

class KelNGObject;
class KelTemplateContainer;
class QObject;

namespace KelNodes {
class Node;
}

// How the node-editing panels and the timeline reach the application core. The defaults do
// nothing and answer null or false.
class KelCore : public KelNGObjectsAccessor
{
public:
    KelCore() = default;
    ~KelCore() override;

    virtual bool blockFocusOutEvents();
    virtual QObject* tracer();
    virtual KelTemplateContainer* baseTemplateContainer();
    virtual KelTemplateContainer* templateContainer();
    virtual KelNGObject* addTemplateObjectAt(QString templateUuid, KelUtils::Point const& position,
                                             bool select, KelCore* core);
    virtual void applyMaterialTemplateToObject(QString templateUuid, KelNGObject* object,
                                               bool select);
    // The object of the node's graph (or of the node itself when it is an object's graph).
    virtual KelNGObject* findObjectOfNode(KelNodes::Node* node);
    virtual void updateAfterChangingGraph(QList<KelNGObject*>* objects);
    virtual void updateAndSync();
    virtual void currentFrameChanged();
    virtual void removeObject(KelNGObject* object);
    // A graph or parameter was changed outside an undo command: mark the project modified and
    // render again.
    virtual void graphEdited();
    // Stops a running render before a graph, parameter or connection changes; the render is
    // started again by itself once control returns to the event loop.
    virtual void cancelRender();
};
