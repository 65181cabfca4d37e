#include "app/KelTemplateContainer.h"

#include "app/KelTemplate.h"

KelTemplateContainer::KelTemplateContainer() = default;

KelTemplateContainer::~KelTemplateContainer()
{
    clear();
}

void KelTemplateContainer::clear()
{
    // Off the list before deleting, so that nothing reached from an instance's deletion finds
    // a half-deleted template here.
    while (!objectTemplateList.isEmpty()) {
        KelTemplate* record = objectTemplateList.takeFirst();
        record->deleteObjectInstance();
        delete record;
    }
    while (!materialTemplateList.isEmpty()) {
        KelTemplate* record = materialTemplateList.takeFirst();
        record->deleteMaterialInstance();
        delete record;
    }
}

KelTemplate* KelTemplateContainer::getObjectTemplateFromUuid(QString const& uuid) const
{
    for (KelTemplate* record : objectTemplateList) {
        if (record && record->uuid().compare(uuid, Qt::CaseInsensitive) == 0)
            return record;
    }
    return nullptr;
}
