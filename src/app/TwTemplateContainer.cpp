#include "app/TwTemplateContainer.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/PlainTextWidgets.h"
#include "app/ShownText.h"
#include "app/StoragePaths.h"
#include "app/TwCore.h"
#include "app/TwIconRender.h"
#include "app/TwNodeGraphIOCallbacks.h"
#include "app/TwWebFlows.h"
#include "app/UnrestoredLinksText.h"
#include "app/UserFileWriter.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/NodeGraph.h"

#include <QDebug>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>
#include <QSet>
#include <QTextStream>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <QUndoStack>
#include <QUuid>

#include <memory>

namespace {

QSize const kIconSize(45, 30);
QString const kFilterType = QStringLiteral("Filter");
QString const kSpecialFXType = QStringLiteral("Special FX");
QString const kInsertTemplateObject = QStringLiteral("Insert:TemplateObject");
// Asked of a new template's sub-graph; only a node plug-in could supply it.
QString const kNewTemplateNodeType = QStringLiteral("{e6c96b40-8b7d-47d2-8213-6831dd0ab941}");

// Boxes have no parent and no default button.
int showBox(QMessageBox::Icon icon, QString const& title, QString const& text,
            QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, ShownText::name(title), QString(), buttons, nullptr);
    PlainTextWidgets::setText(&box, text);
    return box.exec();
}

} // namespace

TwTemplateContainer::TwTemplateContainer(QWidget* parent, TwCore* core)
    : QObject(parent), m_parentWidget(parent), m_core(core)
{
}

TwTemplateContainer::~TwTemplateContainer()
{
    clear();
}

QString TwTemplateContainer::templateFilePath(QString const& uuid)
{
    return StoragePaths::objectTemplatePath(uuid);
}

// --- loading ---------------------------------------------------------------------------------

void TwTemplateContainer::loadObjectTemplates()
{
    QDir const folder(StoragePaths::objectTemplatesFolder());
    QFileInfoList const files = folder.entryInfoList(QDir::Files | QDir::NoSymLinks,
                                                     QDir::Name | QDir::IgnoreCase);
    if (files.isEmpty())
        return;
    TwIconRender renderer(kIconSize, m_core);
    // A template is found by its UUID: of two files of one UUID only the first is loaded, so
    // that every row inserts its own template.
    QSet<QString> loaded;
    for (KelTemplate const* record : std::as_const(objectTemplateList))
        loaded.insert(record->uuid().toLower());
    for (QFileInfo const& file : files) {
        auto* objectTemplate = new KelTemplate(file.absoluteFilePath());
        if (loadTemplate(objectTemplate, &renderer, false, QString(), &loaded)) {
            objectTemplateList.append(objectTemplate);
            loaded.insert(objectTemplate->uuid().toLower());
        }
    }
}

bool TwTemplateContainer::loadObjectTemplate(KelTemplate* objectTemplate, TwIconRender* renderer)
{
    if (!loadTemplate(objectTemplate, renderer, false, QString()))
        return false;
    objectTemplateList.append(objectTemplate);
    return true;
}

bool TwTemplateContainer::loadTemplate(KelTemplate* objectTemplate, TwIconRender* renderer,
                                       bool strict, QString const& expectedUuid,
                                       QSet<QString> const* loadedUuids)
{
    if (!objectTemplate)
        return false;
    auto* root = new KelVyxNodes::VyxNodeGraph(nullptr);
    int code = -2;
    KelNodes::NodeGraph* graph = nullptr;
    {
        TwNodeGraphIOCallbacks callbacks(m_core, false);
        TwNodeGraphIOCallbacks::Scope hooks(root, &callbacks, false, true);
        graph = objectTemplate->loadNodeGraphFromFile(root, true, false, true, &code);
    }

    QString const path = objectTemplate->filePath();
    QString failure;
    if (!graph || !objectTemplate->graphLoaded())
        failure = tr("Template file %1 holds no template graph.").arg(path);
    else if (strict && code < 0)
        failure = tr("Template file %1 did not load completely.").arg(path);
    else if (!StoragePaths::isValidTemplateUuid(objectTemplate->uuid()))
        failure = tr("Template file %1 does not contain a valid UUID.").arg(path);
    else if (!expectedUuid.isNull()
             && objectTemplate->uuid().compare(expectedUuid, Qt::CaseInsensitive) != 0)
        failure = tr("Template file %1 does not hold the template %2.").arg(path, expectedUuid);
    else if (loadedUuids && loadedUuids->contains(objectTemplate->uuid().toLower()))
        failure = tr("Template file %1 holds the template %2, which another file already gave.")
                      .arg(path, objectTemplate->uuid());
    if (!failure.isEmpty()) {
        debugLine(failure + QLatin1Char(' ') + tr("The template was not loaded."));
        delete root;
        delete objectTemplate;
        return false;
    }
    if (code < 0) {
        const QString links = UnrestoredLinksText::lines(root->unrestoredLinks());
        debugLine(tr("Template file %1 did not load completely; the template was loaded without "
                     "the parts that failed.")
                      .arg(path)
                  + (links.isEmpty() ? QString() : QLatin1Char('\n') + links));
    }

    root->setUndoStack(new QUndoStack);
    subscribe(root);
    root->sortNodes();
    // The file's sub-graph is the root's only node: the loader dropped everything else.
    auto* object = new KelNGObject(graph);
    object->setTemplateInstance(true);
    object->setObjectTemplate(objectTemplate);
    objectTemplate->setObjectInstance(object);

    if (!objectTemplate->loadObjectIcon()) {
        if (renderer)
            renderer->renderIconFor(objectTemplate, true);
        else
            renderIcon(objectTemplate);
    }
    return true;
}

// --- browsers --------------------------------------------------------------------------------

void TwTemplateContainer::setFilterBrowserTreeWidget(QTreeWidget* tree)
{
    m_filterTree = tree;
    m_filterItems.clear();
    if (!tree)
        return;
    tree->setRootIsDecorated(false);
    tree->setColumnWidth(0, 220);
    for (KelTemplate* objectTemplate : std::as_const(objectTemplateList)) {
        if (objectTemplate->type() == kFilterType)
            addFilterBrowserItem(objectTemplate);
    }
    tree->expandAll();
}

void TwTemplateContainer::setSpecialFXBrowserTreeWidget(QTreeWidget* tree)
{
    m_specialFXTree = tree;
    m_specialFXItems.clear();
    if (!tree)
        return;
    tree->setRootIsDecorated(false);
    for (KelTemplate* objectTemplate : std::as_const(objectTemplateList)) {
        if (objectTemplate->type() == kSpecialFXType)
            addSpecialFXBrowserItem(objectTemplate);
    }
    tree->expandAll();
}

QTreeWidgetItem* TwTemplateContainer::addFilterBrowserItem(KelTemplate* objectTemplate, bool)
{
    return addBrowserItem(m_filterTree, m_filterItems, objectTemplate);
}

QTreeWidgetItem* TwTemplateContainer::addSpecialFXBrowserItem(KelTemplate* objectTemplate, bool)
{
    return addBrowserItem(m_specialFXTree, m_specialFXItems, objectTemplate);
}

QTreeWidgetItem* TwTemplateContainer::addBrowserItem(QTreeWidget* tree,
                                                     QHash<KelTemplate*, QTreeWidgetItem*>& items,
                                                     KelTemplate* objectTemplate)
{
    if (!tree || !objectTemplate)
        return nullptr;
    auto* item = new QTreeWidgetItem(0);
    // The name comes from a template file: one short line (the store keeps the whole name).
    item->setData(0, Qt::DisplayRole, ShownText::name(objectTemplate->name()));
    item->setData(0, Qt::DecorationRole, QIcon(objectTemplate->objectIcon()));
    item->setData(0, Qt::UserRole, kInsertTemplateObject);
    item->setData(0, Qt::UserRole + 1, objectTemplate->uuid());
    tree->addTopLevelItem(item);
    items.insert(objectTemplate, item);
    return item;
}

QTreeWidgetItem* TwTemplateContainer::filterBrowserItem(KelTemplate* objectTemplate) const
{
    return m_filterItems.value(objectTemplate, nullptr);
}

QTreeWidgetItem* TwTemplateContainer::specialFXBrowserItem(KelTemplate* objectTemplate) const
{
    return m_specialFXItems.value(objectTemplate, nullptr);
}

QTreeWidgetItem* TwTemplateContainer::findItemOfUuid(QTreeWidget* tree, QString const& uuid)
{
    if (!tree)
        return nullptr;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = tree->topLevelItem(i);
        if (item->data(0, Qt::UserRole + 1).toString().compare(uuid, Qt::CaseInsensitive) == 0)
            return item;
    }
    return nullptr;
}

void TwTemplateContainer::removeBrowserItems(KelTemplate* objectTemplate)
{
    // Both maps: the template editor may have changed the type since the item was made.
    if (QTreeWidgetItem* item = m_filterItems.take(objectTemplate)) {
        delete item;
        if (m_filterTree)
            m_filterTree->viewport()->update();
    }
    if (QTreeWidgetItem* item = m_specialFXItems.take(objectTemplate)) {
        delete item;
        if (m_specialFXTree)
            m_specialFXTree->viewport()->update();
    }
}

void TwTemplateContainer::listReplacement(KelTemplate* replacement, QTreeWidgetItem* oldFilterItem,
                                          QTreeWidgetItem* oldSpecialFXItem)
{
    // An item no template is recorded for may still carry the UUID.
    auto unrecorded = [this](QTreeWidget* tree, QString const& uuid) -> QTreeWidgetItem* {
        QTreeWidgetItem* item = findItemOfUuid(tree, uuid);
        bool const recorded = item
                              && (m_filterItems.key(item, nullptr)
                                  || m_specialFXItems.key(item, nullptr));
        return recorded ? nullptr : item;
    };
    QString const uuid = replacement->uuid();
    if (!oldFilterItem)
        oldFilterItem = unrecorded(m_filterTree, uuid);
    if (!oldSpecialFXItem)
        oldSpecialFXItem = unrecorded(m_specialFXTree, uuid);

    // The item keeps its place when the template stays in its browser; an item in the other
    // browser goes, so that no template is listed twice or under the wrong type.
    QTreeWidgetItem* kept = nullptr;
    if (replacement->type() == kFilterType && oldFilterItem) {
        kept = oldFilterItem;
        oldFilterItem = nullptr;
        m_filterItems.insert(replacement, kept);
    } else if (replacement->type() == kSpecialFXType && oldSpecialFXItem) {
        kept = oldSpecialFXItem;
        oldSpecialFXItem = nullptr;
        m_specialFXItems.insert(replacement, kept);
    }
    delete oldFilterItem;
    delete oldSpecialFXItem;

    if (kept) {
        kept->setText(0, ShownText::name(replacement->name()));
        kept->setIcon(0, QIcon(replacement->objectIcon()));
        kept->setData(0, Qt::UserRole + 1, uuid);
        kept->setText(1, ShownText::name(replacement->type()));
    } else if (replacement->type() == kFilterType) {
        addFilterBrowserItem(replacement);
    } else if (replacement->type() == kSpecialFXType) {
        addSpecialFXBrowserItem(replacement);
    }
}

// --- names -----------------------------------------------------------------------------------

bool TwTemplateContainer::existsTemplateWithName(QString const& name) const
{
    for (auto it = m_filterItems.cbegin(); it != m_filterItems.cend(); ++it) {
        if (it.key()->name() == name)
            return true;
    }
    return false;
}

QString TwTemplateContainer::generatedName() const
{
    QString const base = tr("New template");
    QString candidate = base;
    for (int number = 1; existsTemplateWithName(candidate); ++number)
        candidate = QStringLiteral("%1 %2").arg(base).arg(number);
    return candidate;
}

// --- node events -----------------------------------------------------------------------------

void TwTemplateContainer::notify(KelNodes::Node* node, KelNodes::NodeSubscriber::Event event)
{
    if (!node)
        return;
    if (event == KelNodes::NodeSubscriber::SetUp) {
        if (m_core)
            m_core->redrawObjectEditorNodes();
    } else if (event == KelNodes::NodeSubscriber::Removed) {
        if (QObject* item = node->viewItem()) {
            node->setViewItem(nullptr);
            delete item;
        }
    }
}

// --- creating --------------------------------------------------------------------------------

KelTemplate* TwTemplateContainer::createObjectTemplate()
{
    auto* objectTemplate = new KelTemplate(QString());
    objectTemplate->setUuid(QUuid::createUuid().toString());

    auto* root = new KelVyxNodes::VyxNodeGraph(nullptr);
    if (m_core)
        m_core->subscribe(root);
    KelVyxNodes::VyxNodeGraph* graph = root->addSubGraph(-1);
    graph->addNode(kNewTemplateNodeType, -1);

    auto* object = new KelNGObject(graph);
    root->setUndoStack(new QUndoStack);
    object->setTemplateInstance(true);
    object->setObjectTemplate(objectTemplate);
    objectTemplate->setObjectInstance(object);

    QString const name = generatedName();
    objectTemplate->setName(name);
    graph->setName(name);
    renderIcon(objectTemplate);

    subscribe(root);
    objectTemplate->setModified(true);
    addFilterBrowserItem(objectTemplate);
    objectTemplateList.append(objectTemplate);
    return objectTemplate;
}

// --- saving ----------------------------------------------------------------------------------

bool TwTemplateContainer::saveTemplate(KelNGObject* object)
{
    return saveTemplate(object, true);
}

bool TwTemplateContainer::saveTemplate(KelNGObject* object, bool askIfFileExists)
{
    if (!object || !object->graph())
        return false;
    KelTemplate* objectTemplate = object->objectTemplate();
    if (!objectTemplate)
        return false;

    QString const name = objectDisplayName(object);
    QString const uuid = objectTemplate->uuid();
    QString const path = templateFilePath(uuid);
    if (path.isEmpty()) {
        showBox(QMessageBox::Critical, boxTitle(),
                tr("The template \"%1\" does not contain a valid UUID.\n\n"
                   "Please generate a UUID first.")
                    .arg(ShownText::name(name)),
                QMessageBox::Ok);
        return false;
    }
    KelTemplate const* stored = getObjectTemplateFromUuid(uuid);
    if (stored && stored->name() != name) {
        showBox(QMessageBox::Critical, boxTitle(),
                tr("A template with a different name but the same UUID already exists.\n\n"
                   "Please generate a unique UUID first."),
                QMessageBox::Ok);
        return false;
    }

    objectTemplate->setFilePath(path);
    if (askIfFileExists && QFileInfo::exists(path)) {
        int const answer = showBox(QMessageBox::Warning, boxTitle(),
                                   tr("The template \"%1\" already exists.\n"
                                      "Do you want to save anyway ?")
                                       .arg(ShownText::name(name)),
                                   QMessageBox::Save | QMessageBox::Cancel);
        if (answer != QMessageBox::Save)
            return false;
    }

    // The document: the object's graph alone, with the editor's attributes and the template
    // element, connections only inside it.
    KelNodes::NodeGraph* top = object->graph()->topLevelGraph();
    std::unique_ptr<QDomDocument> document;
    {
        TwNodeGraphIOCallbacks callbacks(m_core, true);
        TwNodeGraphIOCallbacks::Scope hooks(top, &callbacks, true, false);
        QList<KelNodes::Node*> const nodes{object->graph()};
        document.reset(top->store(nodes, true, false, true));
    }

    QString reason = tr("the template could not be stored");
    const bool written = document && UserFileWriter::write(
                                         path,
                                         [&document](QIODevice& device, QString&) {
                                             QTextStream stream(&device);
                                             document->save(stream, 4);
                                             stream.flush();
                                             return stream.status() == QTextStream::Ok;
                                         },
                                         &reason);
    if (!written) {
        showBox(QMessageBox::Critical, boxTitle(),
                tr("The template \"%1\" could not be saved.\n\n%2: %3")
                    .arg(ShownText::name(name), QDir::toNativeSeparators(path), reason),
                QMessageBox::Ok);
        return false;
    }
    objectTemplate->setModified(false);

    if (objectTemplate->objectInstance()) {
        QFile::remove(StoragePaths::objectIconPath(uuid));
        renderIcon(objectTemplate);
        QIcon const icon(objectTemplate->objectIcon());
        if (QTreeWidgetItem* item = findItemOfUuid(m_filterTree, uuid))
            item->setIcon(0, icon);
        if (QTreeWidgetItem* item = findItemOfUuid(m_specialFXTree, uuid))
            item->setIcon(0, icon);
    }
    // A project object's template (new, or a copy of a store template made when the object was
    // inserted) is no record of the store: the store loads what was written, as a new template
    // or in place of its record of that UUID, and lists it.
    if (!objectTemplateList.contains(objectTemplate) && !materialTemplateList.contains(objectTemplate))
        addUpdatedTemplate(true, uuid, path);
    return true;
}

// --- replacing -------------------------------------------------------------------------------

void TwTemplateContainer::addUpdatedTemplate(bool objectTemplate, QString uuid, QString fileName)
{
    if (!objectTemplate)
        return;
    if (!StoragePaths::isValidTemplateUuid(uuid)) {
        debugLine(tr("No template was installed from %1: \"%2\" is not a valid UUID.")
                      .arg(fileName, uuid));
        return;
    }
    auto* replacement = new KelTemplate(fileName);
    // Load first: a file that does not load leaves the store as it was.
    if (!loadTemplate(replacement, nullptr, true, uuid))
        return;

    QTreeWidgetItem* oldFilterItem = nullptr;
    QTreeWidgetItem* oldSpecialFXItem = nullptr;
    if (KelTemplate* old = getObjectTemplateFromUuid(uuid)) {
        objectTemplateList.removeOne(old);
        oldFilterItem = m_filterItems.take(old);
        oldSpecialFXItem = m_specialFXItems.take(old);
        bool const currentDropped = releaseInstance(old);
        deleteRecord(old);
        if (currentDropped)
            m_core->start();
    }
    objectTemplateList.append(replacement);

    // The icon on disk may be an older version's: the next load renders it anew.
    QFile::remove(StoragePaths::objectIconPath(replacement->uuid()));
    listReplacement(replacement, oldFilterItem, oldSpecialFXItem);
    emit templateHasBeenAddedOrUpdated(objectTemplate, replacement);
}

// --- web service -----------------------------------------------------------------------------

void TwTemplateContainer::checkForTemplateUpdatesInDatabase(bool quietMode)
{
    if (m_core && m_core->webFlows())
        m_core->webFlows()->checkForTemplateUpdatesInDatabase(quietMode);
}

void TwTemplateContainer::checkForTemplateUpdatesInDatabase()
{
    checkForTemplateUpdatesInDatabase(false);
}

void TwTemplateContainer::uploadTemplateToDatabase(KelNGObject* object)
{
    if (m_core && m_core->webFlows())
        m_core->webFlows()->uploadTemplateToDatabase(object);
}

// --- deleting --------------------------------------------------------------------------------

void TwTemplateContainer::deleteTemplate(KelTemplate* objectTemplate, bool ask)
{
    if (!objectTemplate)
        return;
    if (ask) {
        int const answer = showBox(QMessageBox::Warning, tr("Template Deletion"),
                                   tr("Really delete template \"%1\" ?\n"
                                      "The template will be permanently deleted.")
                                       .arg(ShownText::name(objectTemplate->name())),
                                   QMessageBox::Yes | QMessageBox::Cancel);
        if (answer != QMessageBox::Yes)
            return;
    }

    bool const hadMaterial = objectTemplate->materialInstance() != nullptr;
    bool const hadObject = objectTemplate->objectInstance() != nullptr;
    if (hadMaterial)
        materialTemplateList.removeOne(objectTemplate);
    else
        objectTemplateList.removeOne(objectTemplate);
    QString const filePath = objectTemplate->filePath();
    QString const uuid = objectTemplate->uuid();

    bool const currentDropped = releaseInstance(objectTemplate);
    removeBrowserItems(objectTemplate);
    deleteRecord(objectTemplate);

    if (hadMaterial)
        QFile::remove(StoragePaths::materialIconPath(uuid));
    if (hadObject)
        QFile::remove(StoragePaths::objectIconPath(uuid));
    if (!filePath.isEmpty())
        QFile::remove(filePath);
    if (currentDropped)
        m_core->start();
}

// --- helpers ---------------------------------------------------------------------------------

bool TwTemplateContainer::releaseInstance(KelTemplate* objectTemplate)
{
    bool dropped = false;
    if (!m_core)
        return dropped;
    for (KelNGObject* instance : {objectTemplate->objectInstance(),
                                  objectTemplate->materialInstance()}) {
        if (!instance || !instance->graph())
            continue;
        KelNodes::NodeGraph* graph = instance->graph();
        // The root graph the store made goes with the instance; the core's never does.
        KelNodes::NodeGraph* root = graph->parentGraph();
        if (root && (root->parentGraph() || root == m_core->rootGraph()))
            root = nullptr;
        // The window's editors let go of the graph before it is freed.
        m_core->nodeAboutToBeDeleted(graph);
        // Taking a template apart is no change to the project.
        if (root)
            m_core->unsubscribe(root);
        for (KelNodes::NodeGraph* current = m_core->currentGraph(); current;
             current = current->parentGraph()) {
            if (current == graph || current == root) {
                m_core->cancelRender();
                m_core->setCurrentGraph(nullptr);
                dropped = true;
                break;
            }
        }
        QList<KelNGObject*> objects = instance->getChildObjectList(true);
        objects.prepend(instance);
        for (KelNGObject* object : std::as_const(objects))
            m_core->unselectObject(object);
    }
    return dropped;
}

void TwTemplateContainer::deleteRecord(KelTemplate* objectTemplate)
{
    objectTemplate->deleteObjectInstance();
    objectTemplate->deleteMaterialInstance();
    delete objectTemplate;
}

void TwTemplateContainer::renderIcon(KelTemplate* objectTemplate)
{
    TwIconRender renderer(kIconSize, m_core);
    renderer.renderIconFor(objectTemplate, true);
}

void TwTemplateContainer::debugLine(QString const& text) const
{
    qDebug().noquote() << text;
    if (m_core)
        m_core->addDebugText(text);
}

QString TwTemplateContainer::boxTitle() const
{
    return tr("Object") + QLatin1Char(' ') + tr("Template");
}

QString TwTemplateContainer::objectDisplayName(KelNGObject* object)
{
    return object && object->graph() ? object->graph()->displayName() : QString();
}
