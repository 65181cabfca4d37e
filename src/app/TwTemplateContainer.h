#pragma once

#include "app/KelTemplateContainer.h"
#include "nodes/NodeSubscriber.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

class KelNGObject;
class KelTemplate;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class TwCore;
class TwIconRender;

// The application's store of effect templates: one template file per template under the
// storage root's "templates/lumora" folder, each loaded with a live object instance and an
// icon, listed in the Filter or the Special FX browser. Creates, saves, replaces and deletes
// templates with their files and icons.
//
// A template's UUID names its file and its icon. Only a braced UUID as QUuid writes it ever
// does: a template with any other UUID is not loaded and cannot be saved. The store never
// creates folders; the main window makes them at start-up.
//
// The web-service flows (checking for new and updated templates, uploading one) belong to the
// core's web flows object (TwCore::webFlows, made by a factory start-up installs). They reach
// the store through saveTemplate(object, false), loadObjectTemplate(template, nullptr) and
// addUpdatedTemplate().
class TwTemplateContainer : public QObject, public KelTemplateContainer,
                            public KelNodes::NodeSubscriber
{
    Q_OBJECT

public:
    // The parent widget is also the QObject parent; core may be null (no debug window, no
    // render thread to keep clear of).
    TwTemplateContainer(QWidget* parent, TwCore* core);
    // Deletes every template with its instance while the store can still hear their events.
    ~TwTemplateContainer() override;

    // Loads every template file of the folder, in file-name order ignoring case. Files that do
    // not hold a template, or hold one whose UUID an earlier file gave, are skipped with a
    // debug line.
    void loadObjectTemplates();
    // Loads the template's file into a graph of its own, gives it an object instance and an
    // icon (read from its icon file, else rendered and written) and appends it. On false the
    // template has been deleted. A file that loaded only in part still counts, with a debug
    // line. renderer may be null (one is made for this call).
    bool loadObjectTemplate(KelTemplate* objectTemplate, TwIconRender* renderer);

    // Adopt a browser tree and list every template of its type ("Filter", "Special FX").
    void setFilterBrowserTreeWidget(QTreeWidget* tree);
    void setSpecialFXBrowserTreeWidget(QTreeWidget* tree);
    QTreeWidget* filterBrowserTreeWidget() const { return m_filterTree; }
    QTreeWidget* specialFXBrowserTreeWidget() const { return m_specialFXTree; }
    // A new item at the end of the tree, recorded for the template; null while the tree is
    // unset. The flag has no effect.
    QTreeWidgetItem* addFilterBrowserItem(KelTemplate* objectTemplate, bool unused = false);
    QTreeWidgetItem* addSpecialFXBrowserItem(KelTemplate* objectTemplate, bool unused = false);
    // The template's recorded item, or null.
    QTreeWidgetItem* filterBrowserItem(KelTemplate* objectTemplate) const;
    QTreeWidgetItem* specialFXBrowserItem(KelTemplate* objectTemplate) const;

    // Whether a template listed in the Filter browser has exactly this name.
    bool existsTemplateWithName(QString const& name) const;
    // "New template", else "New template 1", "New template 2", ...: the first name not taken.
    QString generatedName() const;

    // Node events of the template graphs.
    void notify(KelNodes::Node* node, KelNodes::NodeSubscriber::Event event) override;

    // A new, unsaved template with an empty graph, listed in the Filter browser under a
    // generated name. It has an icon file but no template file until it is saved.
    KelTemplate* createObjectTemplate();
    // Deletes the template with its instances, its browser item, its template file and its
    // icon; with `ask` only after the user agreed.
    void deleteTemplate(KelTemplate* objectTemplate, bool ask);

    // The file path of a template UUID under the storage root; empty for a UUID that cannot
    // name a file.
    static QString templateFilePath(QString const& uuid);

public slots:
    // Writes the object's template as its template file (with a question before overwriting
    // when asked) and renders its icon again. False when nothing was written: for a null object
    // or one without template silently, otherwise after a message (refusal or failed write).
    bool saveTemplate(KelNGObject* object, bool askIfFileExists);
    bool saveTemplate(KelNGObject* object);
    // Loads the file as the template of that UUID. Only when it loads completely (and holds
    // that UUID) does it replace the template the store had; otherwise the store is unchanged.
    // Effect templates only: objectTemplate false does nothing.
    void addUpdatedTemplate(bool objectTemplate, QString uuid, QString fileName);
    // Run the core's web flows; nothing without them. quietMode has no effect.
    void checkForTemplateUpdatesInDatabase(bool quietMode);
    void checkForTemplateUpdatesInDatabase();
    void uploadTemplateToDatabase(KelNGObject* object);

signals:
    void templateHasBeenAddedOrUpdated(bool objectTemplate, KelTemplate* changed);

private:
    // Loads without appending; on false the template has been deleted. strict: a partial load
    // (a skipped node type or link) is a failure. A non-null expectedUuid must be the
    // template's UUID; the UUID must not be among loadedUuids (lower case) when given.
    bool loadTemplate(KelTemplate* objectTemplate, TwIconRender* renderer, bool strict,
                      QString const& expectedUuid, QSet<QString> const* loadedUuids = nullptr);
    // Lists a replacing template where its predecessor's item was, or anew.
    void listReplacement(KelTemplate* replacement, QTreeWidgetItem* oldFilterItem,
                         QTreeWidgetItem* oldSpecialFXItem);
    QTreeWidgetItem* addBrowserItem(QTreeWidget* tree, QHash<KelTemplate*, QTreeWidgetItem*>& items,
                                    KelTemplate* objectTemplate);
    // Takes the template's item out of the browser it is listed in and destroys it.
    void removeBrowserItems(KelTemplate* objectTemplate);
    // The first top-level item of the tree carrying the UUID, or null.
    static QTreeWidgetItem* findItemOfUuid(QTreeWidget* tree, QString const& uuid);
    // Before a template's instance goes: the render must not keep the instance's graph (the
    // core's current graph becomes null; true when it did), and the selection must not keep
    // its objects.
    bool releaseInstance(KelTemplate* objectTemplate);
    // Deletes a record that has left the lists, with its instances.
    static void deleteRecord(KelTemplate* objectTemplate);
    void renderIcon(KelTemplate* objectTemplate);
    void debugLine(QString const& text) const;
    QString boxTitle() const;
    static QString objectDisplayName(KelNGObject* object);

    QTreeWidget* m_filterTree = nullptr;
    QTreeWidget* m_specialFXTree = nullptr;
    QWidget* m_parentWidget;
    TwCore* m_core;
    QHash<KelTemplate*, QTreeWidgetItem*> m_filterItems;
    QHash<KelTemplate*, QTreeWidgetItem*> m_specialFXItems;
};
