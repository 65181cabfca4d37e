#include "AppTestSupport.h"
#include "TemplateStoreTestSupport.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "effects/VyxNodeGraph.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <QUuid>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace StoreTest;
using AppTest::MessageBoxAnswerer;

namespace {

QString const kSavedUuidA = QStringLiteral("{a0000000-0000-4000-8000-000000000001}");
QString const kSavedUuidB = QStringLiteral("{b0000000-0000-4000-8000-000000000002}");
QString const kSavedUuidC = QStringLiteral("{c0000000-0000-4000-8000-000000000003}");

class TemplateSavingTest : public ::testing::Test
{
protected:
    TemplateSavingTest()
    {
        EXPECT_TRUE(home.makeTemplateFolders());
        filterTree.setColumnCount(2);
        specialFXTree.setColumnCount(2);
    }

    QString lumora() const { return home.storageRoot() + QStringLiteral("/templates/lumora"); }
    QString templatePath(QString const& uuid) const { return lumora() + QLatin1Char('/') + uuid; }
    QString iconPath(QString const& uuid) const
    {
        return lumora() + QStringLiteral("/icons/") + uuid + QStringLiteral(".png");
    }
    void writeTemplate(TemplateContent const& content)
    {
        ASSERT_TRUE(writeFile(templatePath(content.uuid), templateDocument(content)));
    }
    void load(TwTemplateContainer& target)
    {
        target.loadObjectTemplates();
        target.setFilterBrowserTreeWidget(&filterTree);
        target.setSpecialFXBrowserTreeWidget(&specialFXTree);
    }

    // A project object (an inverting effect named `name` in a project graph) whose own template
    // has the UUID and no instance, as the object editor gives one.
    KelNGObject* projectObject(QString const& name, QString const& uuid)
    {
        if (!projectRoot)
            projectRoot = std::make_unique<KelVyxNodes::VyxNodeGraph>(nullptr);
        KelVyxNodes::VyxNodeGraph* graph = projectRoot->addSubGraph(-1);
        graph->setName(name);
        graph->addNode(QStringLiteral("operator.inversion"), -1);
        auto object = std::make_unique<KelNGObject>(graph);
        auto* objectTemplate = new KelTemplate;
        objectTemplate->setUuid(uuid);
        object->setObjectTemplate(objectTemplate);
        objects.push_back(std::move(object));
        return objects.back().get();
    }

    static QString boxTitle() { return QStringLiteral("Object Template"); }

    AppTest::ScopedDataHome home;
    PreviewScope preview;
    QTreeWidget filterTree;
    QTreeWidget specialFXTree;
    TwTemplateContainer store{nullptr, nullptr};
    std::unique_ptr<KelVyxNodes::VyxNodeGraph> projectRoot;
    std::vector<std::unique_ptr<KelNGObject>> objects;
};

// --- creating and saving -----------------------------------------------------------------------

TEST_F(TemplateSavingTest, NewTemplateGetsAFreeNameAndIconAndSavesAsAGraphDocument)
{
    load(store);
    KelTemplate* record = store.createObjectTemplate();
    EXPECT_EQ(store.createObjectTemplate()->name(), QStringLiteral("New template 1"));
    EXPECT_EQ(record->name(), QStringLiteral("New template"));
    EXPECT_FALSE(QUuid::fromString(record->uuid()).isNull());
    EXPECT_TRUE(record->modified());
    EXPECT_TRUE(QFileInfo::exists(iconPath(record->uuid())));
    EXPECT_FALSE(QFileInfo::exists(templatePath(record->uuid())));

    MessageBoxAnswerer answerer(QMessageBox::Save);
    ASSERT_TRUE(store.saveTemplate(record->objectInstance()));
    EXPECT_EQ(answerer.answered(), 0);
    EXPECT_FALSE(record->modified());
    EXPECT_EQ(record->filePath(), templatePath(record->uuid()));

    QByteArray const bytes = readFile(templatePath(record->uuid()));
    QDomDocument document;
    ASSERT_TRUE(document.setContent(bytes));
    EXPECT_EQ(document.doctype().name(), QStringLiteral("MarrowindGraphNode"));
    QDomElement const nodes = document.documentElement().firstChildElement(QStringLiteral("nodes"));
    QDomElement const graph = nodes.firstChildElement();
    ASSERT_FALSE(graph.isNull());
    EXPECT_TRUE(graph.nextSiblingElement().isNull());
    QDomElement const element = graph.firstChildElement(QStringLiteral("template"));
    ASSERT_FALSE(element.isNull());
    EXPECT_EQ(KelTemplate::fromBase64(element.attribute(QStringLiteral("uuid"))), record->uuid());

    // Saved again: read back by a new store as the same template.
    TwTemplateContainer reloaded(nullptr, nullptr);
    reloaded.loadObjectTemplates();
    KelTemplate const* copy = reloaded.getObjectTemplateFromUuid(record->uuid());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->name(), QStringLiteral("New template"));
    EXPECT_FALSE(copy->objectIcon().isNull());
}

TEST_F(TemplateSavingTest, OverwritingAsksWhenAskedAndCancelLeavesTheFile)
{
    load(store);
    KelTemplate* record = store.createObjectTemplate();
    ASSERT_TRUE(store.saveTemplate(record->objectInstance(), false));
    QString const path = templatePath(record->uuid());
    QByteArray const saved = readFile(path);
    ASSERT_TRUE(writeFile(path, "sentinel"));
    record->setModified(true);

    {
        MessageBoxAnswerer answerer(QMessageBox::Cancel);
        EXPECT_FALSE(store.saveTemplate(record->objectInstance()));
        ASSERT_EQ(answerer.answered(), 1);
        EXPECT_EQ(answerer.titles.first(), boxTitle());
        EXPECT_EQ(answerer.texts.first(),
                  QStringLiteral("The template \"New template\" already exists.\n"
                                 "Do you want to save anyway ?"));
        EXPECT_EQ(readFile(path), QByteArray("sentinel"));
        EXPECT_TRUE(record->modified());
    }
    {
        MessageBoxAnswerer answerer(QMessageBox::Save);
        EXPECT_TRUE(store.saveTemplate(record->objectInstance(), true));
        EXPECT_EQ(answerer.answered(), 1);
        EXPECT_EQ(readFile(path), saved);
        EXPECT_FALSE(record->modified());
    }
    {
        // The upload flow overwrites without a question.
        ASSERT_TRUE(writeFile(path, "sentinel"));
        MessageBoxAnswerer answerer(QMessageBox::Cancel);
        EXPECT_TRUE(store.saveTemplate(record->objectInstance(), false));
        EXPECT_EQ(answerer.answered(), 0);
        EXPECT_EQ(readFile(path), saved);
    }
}

TEST_F(TemplateSavingTest, UuidsThatCannotNameAFileAreRefusedAndNothingIsWritten)
{
    load(store);
    QStringList const hostile{QString(),
                              QStringLiteral("../../../escaped"),
                              QStringLiteral("{../../../../../../../../../../escape}"),
                              QStringLiteral("a0000000-0000-4000-8000-000000000001"),
                              QStringLiteral("{a0000000-0000-4000-8000-00000000000/}")};
    QStringList const before = filesBelow(home.path());
    for (QString const& uuid : hostile) {
        KelNGObject* object = projectObject(QStringLiteral("Hostile"), uuid);
        MessageBoxAnswerer answerer(QMessageBox::Ok);
        EXPECT_FALSE(store.saveTemplate(object, false)) << uuid.toStdString();
        ASSERT_EQ(answerer.answered(), 1);
        EXPECT_EQ(answerer.titles.first(), boxTitle());
        EXPECT_EQ(answerer.texts.first(),
                  QStringLiteral("The template \"Hostile\" does not contain a valid UUID.\n\n"
                                 "Please generate a UUID first."));
        EXPECT_TRUE(object->objectTemplate()->filePath().isEmpty());
    }
    EXPECT_EQ(filesBelow(home.path()), before);
    EXPECT_FALSE(QFileInfo::exists(home.path() + QStringLiteral("/escaped")));
    EXPECT_TRUE(store.objectTemplateList.isEmpty());
}

TEST_F(TemplateSavingTest, UuidOfAStoredTemplateWithAnotherNameIsRefused)
{
    load(store);
    KelTemplate* record = store.createObjectTemplate();
    KelNGObject* object = projectObject(QStringLiteral("Other"), record->uuid());
    MessageBoxAnswerer answerer(QMessageBox::Ok);
    EXPECT_FALSE(store.saveTemplate(object));
    ASSERT_EQ(answerer.answered(), 1);
    EXPECT_EQ(answerer.texts.first(),
              QStringLiteral("A template with a different name but the same UUID already exists.\n\n"
                             "Please generate a unique UUID first."));
    EXPECT_FALSE(QFileInfo::exists(templatePath(record->uuid())));
}

TEST_F(TemplateSavingTest, FailedWritesShowAMessageAndKeepTheTemplateModified)
{
    load(store);
    KelTemplate* record = store.createObjectTemplate();
    QString const path = templatePath(record->uuid());

    // The template file's place is taken by a folder.
    ASSERT_TRUE(QDir().mkdir(path));
    {
        MessageBoxAnswerer answerer(QMessageBox::Ok);
        EXPECT_FALSE(store.saveTemplate(record->objectInstance(), false));
        ASSERT_EQ(answerer.answered(), 1);
        EXPECT_EQ(answerer.titles.first(), boxTitle());
        EXPECT_TRUE(answerer.texts.first().startsWith(
            QStringLiteral("The template \"New template\" could not be saved.")));
        EXPECT_TRUE(record->modified());
        EXPECT_TRUE(QFileInfo(path).isDir());
    }
    ASSERT_TRUE(QDir().rmdir(path));

    // The store makes no folders.
    ASSERT_TRUE(QDir(lumora()).removeRecursively());
    {
        MessageBoxAnswerer answerer(QMessageBox::Ok);
        EXPECT_FALSE(store.saveTemplate(record->objectInstance(), false));
        EXPECT_EQ(answerer.answered(), 1);
        EXPECT_TRUE(record->modified());
        EXPECT_FALSE(QFileInfo::exists(lumora()));
    }
}

TEST_F(TemplateSavingTest, SavingAProjectObjectsNewTemplateAddsItToTheStore)
{
    load(store);
    QString const uuid = QUuid::createUuid().toString();
    KelNGObject* object = projectObject(QStringLiteral("Glow"), uuid);
    object->objectTemplate()->setModified(true);
    QSignalSpy added(&store, &TwTemplateContainer::templateHasBeenAddedOrUpdated);

    ASSERT_TRUE(store.saveTemplate(object));
    EXPECT_FALSE(object->objectTemplate()->modified());
    // The store loaded the file as a template of its own; the object keeps its record.
    KelTemplate* stored = store.getObjectTemplateFromUuid(uuid);
    ASSERT_NE(stored, nullptr);
    EXPECT_NE(stored, object->objectTemplate());
    EXPECT_EQ(stored->name(), QStringLiteral("Glow"));
    ASSERT_NE(stored->objectInstance(), nullptr);
    EXPECT_NE(stored->objectInstance(), object);
    EXPECT_EQ(filterTree.topLevelItem(0)->text(0), QStringLiteral("Glow"));
    ASSERT_EQ(added.count(), 1);
    // The icon is kept in memory; its file is written again on the next load.
    EXPECT_FALSE(stored->objectIcon().isNull());
    EXPECT_FALSE(QFileInfo::exists(iconPath(uuid)));
}

// --- replacing ---------------------------------------------------------------------------------

TEST_F(TemplateSavingTest, ReplacementKeepsTheBrowserPlaceAndDropsTheOldRecord)
{
    writeTemplate({kSavedUuidA, QStringLiteral("Ant")});
    writeTemplate({kSavedUuidB, QStringLiteral("Bee")});
    writeTemplate({kSavedUuidC, QStringLiteral("Sea")});
    load(store);
    QPointer<KelNGObject> oldInstance = store.getObjectTemplateFromUuid(kSavedUuidB)->objectInstance();
    ASSERT_TRUE(QFileInfo::exists(iconPath(kSavedUuidB)));
    writeTemplate({kSavedUuidB, QStringLiteral("Bee 2")});
    QSignalSpy added(&store, &TwTemplateContainer::templateHasBeenAddedOrUpdated);

    store.addUpdatedTemplate(true, kSavedUuidB, templatePath(kSavedUuidB));

    EXPECT_TRUE(oldInstance.isNull());
    KelTemplate* replacement = store.getObjectTemplateFromUuid(kSavedUuidB);
    ASSERT_NE(replacement, nullptr);
    EXPECT_EQ(replacement->name(), QStringLiteral("Bee 2"));
    EXPECT_EQ(store.objectTemplateList.size(), 3);
    ASSERT_EQ(filterTree.topLevelItemCount(), 3);
    QTreeWidgetItem* item = filterTree.topLevelItem(1);
    EXPECT_EQ(item->text(0), QStringLiteral("Bee 2"));
    EXPECT_EQ(item->text(1), QStringLiteral("Filter"));
    EXPECT_FALSE(item->icon(0).isNull());
    EXPECT_EQ(store.filterBrowserItem(replacement), item);
    EXPECT_FALSE(QFileInfo::exists(iconPath(kSavedUuidB)));
    ASSERT_EQ(added.count(), 1);
    EXPECT_EQ(added.first().at(1).value<KelTemplate*>(), replacement);
}

TEST_F(TemplateSavingTest, ReplacementThatDoesNotLoadCompletelyKeepsTheOldTemplate)
{
    writeTemplate({kSavedUuidA, QStringLiteral("Ant")});
    load(store);
    KelTemplate* old = store.getObjectTemplateFromUuid(kSavedUuidA);
    QPointer<KelNGObject> oldInstance = old->objectInstance();
    QTreeWidgetItem* oldItem = store.filterBrowserItem(old);
    QSignalSpy added(&store, &TwTemplateContainer::templateHasBeenAddedOrUpdated);
    QString const candidate = home.path() + QStringLiteral("/download");

    QList<QByteArray> const candidates{
        "<graph><nodes>",                                                      // malformed
        templateDocument({kSavedUuidA, QStringLiteral("Ant 2"), QStringLiteral("Filter"), true}),
        templateDocument({kSavedUuidB, QStringLiteral("Other")}),                  // another UUID
        templateDocument({QStringLiteral("../escaped"), QStringLiteral("Bad")})};
    for (QByteArray const& bytes : candidates) {
        ASSERT_TRUE(writeFile(candidate, bytes));
        store.addUpdatedTemplate(true, kSavedUuidA, candidate);
        EXPECT_EQ(store.objectTemplateList, QList<KelTemplate*>{old});
        EXPECT_FALSE(oldInstance.isNull());
        EXPECT_EQ(store.filterBrowserItem(old), oldItem);
        EXPECT_EQ(oldItem->text(0), QStringLiteral("Ant"));
    }
    // Only a valid UUID is looked for, whatever the file holds.
    ASSERT_TRUE(writeFile(candidate, templateDocument({kSavedUuidA, QStringLiteral("Ant 3")})));
    store.addUpdatedTemplate(true, QStringLiteral("../escaped"), candidate);
    store.addUpdatedTemplate(true, kSavedUuidA, home.path() + QStringLiteral("/missing"));
    EXPECT_EQ(store.objectTemplateList, QList<KelTemplate*>{old});
    EXPECT_EQ(filterTree.topLevelItemCount(), 1);
    EXPECT_EQ(added.count(), 0);
    EXPECT_TRUE(QFileInfo::exists(iconPath(kSavedUuidA)));
}

// --- deleting ----------------------------------------------------------------------------------

TEST_F(TemplateSavingTest, DeletionAsksAndRemovesItemFileAndIcon)
{
    writeTemplate({kSavedUuidA, QStringLiteral("Ant")});
    load(store);
    KelTemplate* record = store.getObjectTemplateFromUuid(kSavedUuidA);
    QPointer<KelNGObject> instance = record->objectInstance();
    ASSERT_TRUE(QFileInfo::exists(iconPath(kSavedUuidA)));

    {
        MessageBoxAnswerer answerer(QMessageBox::Cancel);
        store.deleteTemplate(record, true);
        ASSERT_EQ(answerer.answered(), 1);
        EXPECT_EQ(answerer.titles.first(), QStringLiteral("Template Deletion"));
        EXPECT_EQ(answerer.texts.first(),
                  QStringLiteral("Really delete template \"Ant\" ?\n"
                                 "The template will be permanently deleted."));
    }
    EXPECT_EQ(store.objectTemplateList, QList<KelTemplate*>{record});
    EXPECT_EQ(filterTree.topLevelItemCount(), 1);
    EXPECT_TRUE(QFileInfo::exists(templatePath(kSavedUuidA)));
    EXPECT_TRUE(QFileInfo::exists(iconPath(kSavedUuidA)));

    {
        MessageBoxAnswerer answerer(QMessageBox::Yes);
        store.deleteTemplate(record, true);
        EXPECT_EQ(answerer.answered(), 1);
    }
    EXPECT_TRUE(store.objectTemplateList.isEmpty());
    EXPECT_EQ(filterTree.topLevelItemCount(), 0);
    EXPECT_TRUE(instance.isNull());
    EXPECT_FALSE(QFileInfo::exists(templatePath(kSavedUuidA)));
    EXPECT_FALSE(QFileInfo::exists(iconPath(kSavedUuidA)));
    EXPECT_FALSE(store.existsTemplateWithName(QStringLiteral("Ant")));
}

// --- the core's current graph ------------------------------------------------------------------

class TemplateCurrentGraphTest : public ::testing::Test
{
protected:
    TemplateCurrentGraphTest()
    {
        EXPECT_TRUE(home.makeTemplateFolders());
        lumora = home.storageRoot() + QStringLiteral("/templates/lumora/");
        EXPECT_TRUE(writeFile(lumora + kSavedUuidA, templateDocument({kSavedUuidA, QStringLiteral("Ant")})));
        EXPECT_TRUE(writeFile(lumora + kSavedUuidB, templateDocument({kSavedUuidB, QStringLiteral("Bee")})));
        store = core.templateStore();
        store->loadObjectTemplates();
        store->setFilterBrowserTreeWidget(&filterTree);
    }
    ~TemplateCurrentGraphTest() override
    {
        core.setCurrentGraph(core.rootGraph());
    }

    // Shows a template's graph as the Templates page does and selects its object.
    KelNGObject* showTemplate(QString const& uuid)
    {
        KelNGObject* instance = store->getObjectTemplateFromUuid(uuid)->objectInstance();
        core.setCurrentGraph(instance->effectGraph());
        core.setSelectedObject(instance);
        return instance;
    }
    bool waitForRender(int before)
    {
        return QTest::qWaitFor([&] { return window.renderingFinishedCount > before; }, 10000);
    }

    AppTest::ScopedDataHome home;
    PreviewScope preview;
    QString lumora;
    QTreeWidget filterTree;
    AppTest::RecordingMainWindow window;
    TwCore core{&window};
    TwTemplateContainer* store = nullptr;
};

TEST_F(TemplateCurrentGraphTest, DeletingTheShownTemplateLeavesNoGraphToRender)
{
    KelNGObject* shown = showTemplate(kSavedUuidA);
    store->deleteTemplate(store->getObjectTemplateFromUuid(kSavedUuidB), false);
    EXPECT_EQ(core.currentGraph(), shown->effectGraph());
    int const before = window.renderingFinishedCount;
    store->deleteTemplate(store->getObjectTemplateFromUuid(kSavedUuidA), false);
    EXPECT_EQ(core.currentGraph(), nullptr);
    EXPECT_EQ(core.selectedObject(), nullptr);
    // The result is the source picture again.
    ASSERT_TRUE(waitForRender(before));
    EXPECT_EQ(*core.resultImage(), *core.sourceImage());
}

TEST_F(TemplateCurrentGraphTest, ReplacingTheShownTemplateLeavesNoGraphToRender)
{
    KelNGObject* shown = showTemplate(kSavedUuidA);
    // A replacement that fails changes nothing.
    EXPECT_TRUE(writeFile(home.path() + QStringLiteral("/broken"), "<graph>"));
    store->addUpdatedTemplate(true, kSavedUuidA, home.path() + QStringLiteral("/broken"));
    EXPECT_EQ(core.currentGraph(), shown->effectGraph());

    EXPECT_TRUE(writeFile(lumora + kSavedUuidA, templateDocument({kSavedUuidA, QStringLiteral("Ant 2")})));
    store->addUpdatedTemplate(true, kSavedUuidA, lumora + kSavedUuidA);
    EXPECT_EQ(core.currentGraph(), nullptr);
    EXPECT_EQ(core.selectedObject(), nullptr);
    EXPECT_EQ(store->getObjectTemplateFromUuid(kSavedUuidA)->name(), QStringLiteral("Ant 2"));
    EXPECT_EQ(window.count(QStringLiteral("templateHasBeenAddedOrUpdated 1")), 1);
}

} // namespace

// As the help says: an effect's template is listed by its Type as soon as it is saved; a
// template of the store, a new empty one included, keeps its list until the next start.
TEST_F(TemplateSavingTest, TheTypeListsAnEffectsTemplateAtOnceAndAStoredOneAtTheNextStart)
{
    writeTemplate({kSavedUuidA, QStringLiteral("Ant")});
    load(store);
    auto names = [](QTreeWidget const& tree) {
        QStringList texts;
        for (int i = 0; i < tree.topLevelItemCount(); ++i)
            texts << tree.topLevelItem(i)->text(0);
        return texts;
    };
    MessageBoxAnswerer answerer(QMessageBox::Save);
    KelTemplate* ant = store.getObjectTemplateFromUuid(kSavedUuidA);
    ant->setType(QStringLiteral("Special FX"));
    ASSERT_TRUE(store.saveTemplate(ant->objectInstance()));
    KelTemplate* fresh = store.createObjectTemplate();
    fresh->setType(QStringLiteral("Special FX"));
    ASSERT_TRUE(store.saveTemplate(fresh->objectInstance()));
    EXPECT_EQ(names(filterTree), QStringList({"Ant", "New template"}));
    EXPECT_TRUE(names(specialFXTree).isEmpty());

    KelNGObject* object = projectObject(QStringLiteral("Glow"), QUuid::createUuid().toString());
    object->objectTemplate()->setType(QStringLiteral("Special FX"));
    ASSERT_TRUE(store.saveTemplate(object));
    EXPECT_EQ(names(specialFXTree), QStringList({"Glow"}));
    object->objectTemplate()->setType(QStringLiteral("Filter"));
    ASSERT_TRUE(store.saveTemplate(object, false));
    EXPECT_EQ(names(filterTree), QStringList({"Ant", "New template", "Glow"}));
    EXPECT_TRUE(names(specialFXTree).isEmpty());

    TwTemplateContainer restarted(nullptr, nullptr);
    QTreeWidget filters;
    QTreeWidget specialFX;
    restarted.loadObjectTemplates();
    restarted.setFilterBrowserTreeWidget(&filters);
    restarted.setSpecialFXBrowserTreeWidget(&specialFX);
    EXPECT_EQ(names(filters), QStringList({"Glow"}));
    QStringList listed = names(specialFX);
    listed.sort();
    EXPECT_EQ(listed, QStringList({"Ant", "New template"}));
}
