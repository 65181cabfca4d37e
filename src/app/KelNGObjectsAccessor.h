#pragma once

#include "params/Geometry.h"

#include <QList>

class KelNGObject;

// How panels reach the project's objects and the selection without knowing the core.
class KelNGObjectsAccessor
{
public:
    KelNGObjectsAccessor() = default;
    virtual ~KelNGObjectsAccessor();

    KelNGObjectsAccessor(KelNGObjectsAccessor const&) = delete;
    KelNGObjectsAccessor& operator=(KelNGObjectsAccessor const&) = delete;

    // The first selected object, or null.
    virtual KelNGObject* selectedObject() = 0;
    virtual QList<KelNGObject*> selectedObjects() = 0;
    virtual void setSelectedObject(KelNGObject* object) = 0;
    virtual void addToSelectedObjects(KelNGObject* object) = 0;
    virtual void unselectObject(KelNGObject* object) = 0;
    // The top-level project objects, in chain order.
    virtual QList<KelNGObject*> objectList() = 0;
    // The origin by default.
    virtual KelUtils::Point drawCenter();

protected:
    // Lists of the interface itself; implementations may keep their own instead.
    QList<KelNGObject*> m_accessorObjects;
    QList<KelNGObject*> m_accessorSelection;
};
