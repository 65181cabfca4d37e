#include "app/KelCore.h"

KelCore::~KelCore() = default;

bool KelCore::blockFocusOutEvents()
{
    return false;
}

QObject* KelCore::tracer()
{
    return nullptr;
}

KelTemplateContainer* KelCore::baseTemplateContainer()
{
    return nullptr;
}

KelTemplateContainer* KelCore::templateContainer()
{
    return nullptr;
}

KelNGObject* KelCore::addTemplateObjectAt(QString, KelUtils::Point const&, bool, KelCore*)
{
    return nullptr;
}

void KelCore::applyMaterialTemplateToObject(QString, KelNGObject*, bool) {}

KelNGObject* KelCore::findObjectOfNode(KelNodes::Node*)
{
    return nullptr;
}

void KelCore::updateAfterChangingGraph(QList<KelNGObject*>*) {}

void KelCore::updateAndSync() {}

void KelCore::currentFrameChanged() {}

void KelCore::removeObject(KelNGObject*) {}

void KelCore::graphEdited() {}

void KelCore::cancelRender() {}
