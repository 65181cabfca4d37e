#pragma once

#include <QList>
#include <QString>

class KelTemplate;

// The loaded templates, found by UUID regardless of letter case. Owns every template in both
// lists and, through them, their instances. Derived classes fill the lists directly.
class KelTemplateContainer
{
public:
    KelTemplateContainer();
    ~KelTemplateContainer();

    KelTemplateContainer(KelTemplateContainer const&) = delete;
    KelTemplateContainer& operator=(KelTemplateContainer const&) = delete;

    // Empties both lists, deleting each template's instance and then the template.
    void clear();
    // The first effect template whose uuid matches, or null; material templates are not searched.
    KelTemplate* getObjectTemplateFromUuid(QString const& uuid) const;

    QList<KelTemplate*> objectTemplateList;
    QList<KelTemplate*> materialTemplateList;
};
