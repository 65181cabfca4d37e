#include "AppTestSupport.h"
#include "HostileFiles.h"
#include "TemplateStoreTestSupport.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "effects/VyxNodeGraph.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterFactory.h"
#include "nodes/LinkBatch.h"
#include "nodes/Terminal.h"

#include <QDomDocument>

#include <memory>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QPointer>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace StoreTest;

namespace {

QString const kUuidB = QStringLiteral("{B0000000-0000-4000-8000-000000000001}");
QString const kUuidA = QStringLiteral("{a0000000-0000-4000-8000-000000000002}");
QString const kUuidC = QStringLiteral("{c0000000-0000-4000-8000-000000000003}");
QString const kUuidD = QStringLiteral("{d0000000-0000-4000-8000-000000000004}");

class TwTemplateContainerTest : public ::testing::Test
{
protected:
    TwTemplateContainerTest()
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
    void writeTemplate(TemplateContent const& content, QString fileName = QString())
    {
        if (fileName.isEmpty())
            fileName = content.uuid;
        ASSERT_TRUE(writeFile(lumora() + QLatin1Char('/') + fileName, templateDocument(content)));
    }
    void loadInto(TwTemplateContainer& store)
    {
        store.loadObjectTemplates();
        store.setFilterBrowserTreeWidget(&filterTree);
        store.setSpecialFXBrowserTreeWidget(&specialFXTree);
    }
    static QStringList uuidsOf(TwTemplateContainer const& store)
    {
        QStringList uuids;
        for (KelTemplate* record : store.objectTemplateList)
            uuids << record->uuid();
        return uuids;
    }
    static QStringList itemUuids(QTreeWidget const& tree)
    {
        QStringList uuids;
        for (int i = 0; i < tree.topLevelItemCount(); ++i)
            uuids << tree.topLevelItem(i)->data(0, Qt::UserRole + 1).toString();
        return uuids;
    }

    AppTest::ScopedDataHome home;
    PreviewScope preview;
    QTreeWidget filterTree;
    QTreeWidget specialFXTree;
};

TEST_F(TwTemplateContainerTest, LoadsFilesInNameOrderIgnoringCaseAndSkipsEverythingElse)
{
    writeTemplate({kUuidB, QStringLiteral("Bee")});
    writeTemplate({kUuidC, QStringLiteral("Sea")});
    writeTemplate({kUuidA, QStringLiteral("Ant")});
    // A hidden file, a sub-folder and a symbolic link are not template files of the folder.
    writeTemplate({kUuidD, QStringLiteral("Hidden")}, QStringLiteral(".") + kUuidD);
    ASSERT_TRUE(QDir(lumora()).mkdir(QStringLiteral("sub")));
    ASSERT_TRUE(writeFile(lumora() + QStringLiteral("/sub/") + kUuidD,
                          templateDocument({kUuidD, QStringLiteral("Nested")})));
    ASSERT_TRUE(QFile::link(templatePath(kUuidA), lumora() + QStringLiteral("/link")));

    TwTemplateContainer store(nullptr, nullptr);
    loadInto(store);

    EXPECT_EQ(uuidsOf(store), (QStringList{kUuidA, kUuidB, kUuidC}));
    EXPECT_EQ(itemUuids(filterTree), (QStringList{kUuidA, kUuidB, kUuidC}));
    KelTemplate* ant = store.objectTemplateList.first();
    EXPECT_EQ(ant->name(), QStringLiteral("Ant"));
    // Each template is a live, editable instance of its own.
    ASSERT_NE(ant->objectInstance(), nullptr);
    EXPECT_TRUE(ant->objectInstance()->isTemplateInstance());
    EXPECT_NE(ant->objectInstance()->graph()->parentGraph()->undoStack(), nullptr);
}

TEST_F(TwTemplateContainerTest, MissingFolderGivesAnEmptyStoreAndNoFolderIsMade)
{
    ASSERT_TRUE(QDir(home.storageRoot()).removeRecursively());
    TwTemplateContainer store(nullptr, nullptr);
    loadInto(store);
    EXPECT_TRUE(store.objectTemplateList.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(home.storageRoot()));
}

TEST_F(TwTemplateContainerTest, BrowsersListTheirTypeWithTheDragRoles)
{
    writeTemplate({kUuidA, QStringLiteral("Ant"), QStringLiteral("Filter")});
    writeTemplate({kUuidB, QStringLiteral("Bee"), QStringLiteral("Special FX")});
    writeTemplate({kUuidC, QStringLiteral("Sea"), QStringLiteral("Material")});

    TwTemplateContainer store(nullptr, nullptr);
    loadInto(store);

    EXPECT_EQ(itemUuids(filterTree), QStringList{kUuidA});
    EXPECT_EQ(itemUuids(specialFXTree), QStringList{kUuidB});
    // Another type is in the store, found by UUID in any letter case, but in no browser.
    KelTemplate* other = store.getObjectTemplateFromUuid(kUuidC.toUpper());
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->type(), QStringLiteral("Material"));
    EXPECT_EQ(store.filterBrowserItem(other), nullptr);
    EXPECT_EQ(store.specialFXBrowserItem(other), nullptr);

    for (QTreeWidget* tree : {&filterTree, &specialFXTree}) {
        QTreeWidgetItem* item = tree->topLevelItem(0);
        KelTemplate* record = store.getObjectTemplateFromUuid(item->data(0, Qt::UserRole + 1).toString());
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(item->text(0), record->name());
        EXPECT_EQ(item->data(0, Qt::UserRole).toString(), QStringLiteral("Insert:TemplateObject"));
        EXPECT_FALSE(item->icon(0).isNull());
    }
    EXPECT_EQ(store.specialFXBrowserItem(store.getObjectTemplateFromUuid(kUuidB)),
              specialFXTree.topLevelItem(0));
}

TEST_F(TwTemplateContainerTest, BrowserRowsShowLongNamesOnOneShortLineAndTheStoreKeepsThem)
{
    // Names from template files: half a million characters, and line breaks of every kind.
    struct Case
    {
        QString uuid;
        QString name;
        QString type;
    };
    const Case cases[] = {
        {kUuidA, QString(500000, QLatin1Char('W')), QStringLiteral("Filter")},
        {kUuidB, QStringLiteral("line\n\u2028\u2029\t\r").repeated(2000), QStringLiteral("Special FX")},
    };
    for (Case const& c : cases)
        writeTemplate({c.uuid, c.name, c.type});

    TwTemplateContainer store(nullptr, nullptr);
    loadInto(store);

    for (Case const& c : cases) {
        KelTemplate* record = store.getObjectTemplateFromUuid(c.uuid);
        ASSERT_NE(record, nullptr);
        EXPECT_TRUE(record->name() == c.name) << "the store keeps the whole name";
        QTreeWidgetItem* item = store.filterBrowserItem(record) ? store.filterBrowserItem(record)
                                                                : store.specialFXBrowserItem(record);
        ASSERT_NE(item, nullptr);
        const QString shown = item->text(0);
        EXPECT_LE(shown.size(), 257);
        for (QChar lineBreak : {QChar(u'\n'), QChar(u'\r'), QChar(QChar::LineSeparator), QChar(QChar::ParagraphSeparator)})
            EXPECT_FALSE(shown.contains(lineBreak)) << int(lineBreak.unicode());
    }
}

TEST_F(TwTemplateContainerTest, MissingIconIsRenderedAndWrittenAnExistingOneIsRead)
{
    writeTemplate({kUuidA, QStringLiteral("Ant")});
    writeTemplate({kUuidB, QStringLiteral("Bee")});
    QImage kept(3, 3, QImage::Format_ARGB32);
    kept.fill(0xFF00FF00u);
    ASSERT_TRUE(kept.save(iconPath(kUuidB), "PNG"));

    TwTemplateContainer store(nullptr, nullptr);
    store.loadObjectTemplates();

    // The rendered icon is the effect (an inversion) on the sample picture, also on disk.
    QImage const rendered = store.getObjectTemplateFromUuid(kUuidA)->objectIcon().toImage();
    ASSERT_EQ(rendered.size(), QSize(6, 4));
    EXPECT_EQ(rendered.pixel(2, 2), inverted(kSampleColour));
    QImage const written(iconPath(kUuidA));
    ASSERT_FALSE(written.isNull());
    EXPECT_EQ(written.pixel(2, 2), inverted(kSampleColour));

    QImage const read = store.getObjectTemplateFromUuid(kUuidB)->objectIcon().toImage();
    ASSERT_EQ(read.size(), QSize(3, 3));
    EXPECT_EQ(read.pixel(1, 1), 0xFF00FF00u);
}

// A template of thousands of stacked sub-effects (written by code, as a shared file would hold
// it): the icon render at load, before any click, renders it instead of overflowing the stack.
TEST_F(TwTemplateContainerTest, TheIconOfATemplateOfThousandsOfSubEffectsRendersAtLoad)
{
    const int effects = 8000;
    KelVyxNodes::VyxNodeGraph root(nullptr);
    KelVyxNodes::VyxNodeGraph* effect = root.addSubGraph(-1);
    QImage bootstrap(1, 1, QImage::Format_ARGB32);
    bootstrap.fill(0);
    ASSERT_EQ(effect->setUp(&bootstrap), 0);
    KelNodes::Node* previous = effect->sourceNode();
    QString colourOut = QStringLiteral("rgb");
    QString alphaOut = QStringLiteral("alpha");
    KelNodes::Node* destination = effect->destinationNode();
    destination->getTerminal(QStringLiteral("rgb"))->disconnectAll();
    destination->getTerminal(QStringLiteral("alpha"))->disconnectAll();
    KelNodes::LinkBatch links;
    for (int i = 0; i < effects; ++i) {
        KelVyxNodes::VyxNodeGraph* inner = effect->addSubGraph(-1);
        ASSERT_TRUE(inner && inner->setUp(&bootstrap) == 0);
        KelNodes::Node* inversion = inner->addNode(QStringLiteral("operator.inversion"), -1);
        inner->destinationNode()->getTerminal(QStringLiteral("rgb"))->disconnectAll();
        links.add(inner->sourceNode(), QStringLiteral("rgb"), inversion, QStringLiteral("inRgb"));
        links.add(inversion, QStringLiteral("outRgb"), inner->destinationNode(), QStringLiteral("rgb"));
        // Multiply at full opacity: every effect blends, none is looked through.
        inner->paramContainer()->setListParam(QStringLiteral("blendMode"), 2);
        links.add(previous, colourOut, inner, QStringLiteral("rgbIn"));
        links.add(previous, alphaOut, inner, QStringLiteral("alphaIn"));
        previous = inner;
        colourOut = QStringLiteral("rgbOut");
        alphaOut = QStringLiteral("alphaOut");
    }
    links.add(previous, colourOut, destination, QStringLiteral("rgb"));
    links.add(previous, alphaOut, destination, QStringLiteral("alpha"));
    ASSERT_EQ(links.connectAll(), 4 * effects + 2);
    effect->setUp(nullptr);
    effect->setName(QStringLiteral("Deep"));
    std::unique_ptr<QDomDocument> document(root.store({effect}, false, false, true));
    QDomElement graph = document->documentElement().firstChildElement(QStringLiteral("nodes")).firstChildElement();
    KelTemplate record;
    record.setUuid(kUuidA);
    record.setName(QStringLiteral("Deep"));
    record.setType(QStringLiteral("Filter"));
    record.store(*document, graph, 0);
    ASSERT_TRUE(writeFile(templatePath(kUuidA), document->toString(1).toUtf8()));

    TwTemplateContainer store(nullptr, nullptr);
    store.loadObjectTemplates();
    KelTemplate* loaded = store.getObjectTemplateFromUuid(kUuidA);
    ASSERT_NE(loaded, nullptr);
    QImage const rendered = loaded->objectIcon().toImage();
    ASSERT_EQ(rendered.size(), QSize(6, 4));
    // Each effect multiplies the inverted picture with the picture.
    QRgb expected = kSampleColour;
    for (int i = 0; i < effects; ++i)
        expected = 0xFF000000u
                   | KelVyxNodes::NodeFilteredImage::blendColour(2, inverted(expected) & 0xFFFFFFu, expected & 0xFFFFFFu, 100);
    EXPECT_EQ(rendered.pixel(2, 2), expected);
}

TEST_F(TwTemplateContainerTest, FilesThatHoldNoUsableTemplateAreSkipped)
{
    writeTemplate({kUuidA, QStringLiteral("Ant")});
    ASSERT_TRUE(writeFile(templatePath(kUuidB), "<graph><nodes>"));
    // A graph document whose only node is no graph.
    ASSERT_TRUE(writeFile(templatePath(kUuidC),
                          "<!DOCTYPE MarrowindGraphNode><graph><nodes>"
                          "<operator.inversion uid=\"1\" uuid=\"{21051af5-3c09-487b-ab7b-e4a35fdff084}\"/>"
                          "</nodes></graph>"));
    // UUIDs that must never name a file.
    writeTemplate({QStringLiteral("../../../../escaped"), QStringLiteral("Escape")},
                  QStringLiteral("escape1"));
    writeTemplate({QStringLiteral("{../../../../../../../../../../escape}"), QStringLiteral("Braced")},
                  QStringLiteral("escape2"));
    writeTemplate({QString(), QStringLiteral("Empty")}, QStringLiteral("escape3"));
    QStringList const before = filesBelow(home.path());

    TwTemplateContainer store(nullptr, nullptr);
    loadInto(store);

    EXPECT_EQ(uuidsOf(store), QStringList{kUuidA});
    EXPECT_EQ(filterTree.topLevelItemCount(), 1);
    // Only the one valid template got its icon; nothing else was written anywhere.
    QStringList expected = before;
    expected << QStringLiteral("Vyx-Solenne/templates/lumora/icons/") + kUuidA + QStringLiteral(".png");
    expected.sort();
    EXPECT_EQ(filesBelow(home.path()), expected);
}

// A parameter asking for more values (or items) than a file may give makes its template file
// damaged: skipped like any file that fails, for every kind that reads a count, just past the
// bound and far past it, while the other files load; at the bound the template loads.
TEST_F(TwTemplateContainerTest, AParameterPastTheBoundOfStoredValuesSkipsItsFile)
{
    struct Kind
    {
        int type;
        char const* countName;
        int bound;
    };
    Kind const kinds[] = {{KelUtils::ParamFloatGroup, "num_vals", KelUtils::MaxStoredGroupValues},
                          {KelUtils::ParamIntGroup, "num_vals", KelUtils::MaxStoredGroupValues},
                          {KelUtils::ParamBool, "num_vals", KelUtils::MaxStoredGroupValues},
                          {KelUtils::ParamList, "num_items", KelUtils::MaxStoredListItems}};
    writeTemplate({kUuidA, QStringLiteral("Ant")});
    for (Kind const& kind : kinds) {
        for (int past : {kind.bound + 1, KelUtils::MaxGroupValues}) {
            SCOPED_TRACE(testing::Message() << "type " << kind.type << ", " << kind.countName << " " << past);
            ASSERT_TRUE(writeFile(templatePath(kUuidB),
                                  HostileFiles::withCountedParameters(templateDocument({kUuidB, QStringLiteral("Past")}),
                                                                      kind.type, kind.countName, past)));
            ASSERT_TRUE(writeFile(templatePath(kUuidC),
                                  HostileFiles::withCountedParameters(templateDocument({kUuidC, QStringLiteral("At")}),
                                                                      kind.type, kind.countName, kind.bound, 2)));
            AppTest::RecordingMainWindow window;
            TwCore core(&window);
            TwTemplateContainer* store = core.templateStore();
            ASSERT_NE(store, nullptr);
            store->loadObjectTemplates();

            EXPECT_EQ(uuidsOf(*store), (QStringList{kUuidA, kUuidC}));
            ASSERT_NE(store->getObjectTemplateFromUuid(kUuidC), nullptr);
            EXPECT_EQ(store->getObjectTemplateFromUuid(kUuidC)->adjectives().size(), 1);
            EXPECT_TRUE(window.calls.filter(QStringLiteral("Template file %1 holds no template graph.")
                                                .arg(templatePath(kUuidB)))
                            .size()
                        == 1)
                << window.calls.join(QLatin1Char('\n')).toStdString();
            // Nothing of the damaged file was written (no icon).
            EXPECT_FALSE(QFile::exists(iconPath(kUuidB)));
        }
    }
}

TEST_F(TwTemplateContainerTest, PartlyLoadedTemplateStillLoadsAtStartUpWithADebugLine)
{
    writeTemplate({kUuidA, QStringLiteral("Partial"), QStringLiteral("Filter"), true});
    AppTest::RecordingMainWindow window;
    TwCore core(&window);
    TwTemplateContainer* store = core.templateStore();
    ASSERT_NE(store, nullptr);
    store->loadObjectTemplates();

    KelTemplate* record = store->getObjectTemplateFromUuid(kUuidA);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->name(), QStringLiteral("Partial"));
    bool reported = false;
    for (QString const& call : window.calls)
        reported = reported || (call.startsWith(QStringLiteral("debugWindowAppend"))
                                && call.contains(templatePath(kUuidA)));
    EXPECT_TRUE(reported) << window.calls.join(QLatin1Char('\n')).toStdString();
}

TEST_F(TwTemplateContainerTest, GeneratedNamesCountOnlyTheFilterBrowser)
{
    writeTemplate({kUuidA, QStringLiteral("New template")});
    writeTemplate({kUuidB, QStringLiteral("New template 1")});
    writeTemplate({kUuidC, QStringLiteral("Special"), QStringLiteral("Special FX")});

    TwTemplateContainer store(nullptr, nullptr);
    loadInto(store);
    EXPECT_TRUE(store.existsTemplateWithName(QStringLiteral("New template")));
    EXPECT_FALSE(store.existsTemplateWithName(QStringLiteral("new template")));
    EXPECT_FALSE(store.existsTemplateWithName(QStringLiteral("Special")));
    EXPECT_EQ(store.generatedName(), QStringLiteral("New template 2"));

    // Only a numbered name taken: the plain one is free.
    TwTemplateContainer numbered(nullptr, nullptr);
    numbered.objectTemplateList << store.objectTemplateList.takeAt(1);
    numbered.setFilterBrowserTreeWidget(&specialFXTree);
    EXPECT_EQ(numbered.generatedName(), QStringLiteral("New template"));
}

TEST_F(TwTemplateContainerTest, RemovedNodeLosesItsViewItem)
{
    writeTemplate({kUuidA, QStringLiteral("Ant")});
    TwTemplateContainer store(nullptr, nullptr);
    store.loadObjectTemplates();
    KelNodes::NodeGraph* graph = store.getObjectTemplateFromUuid(kUuidA)->objectInstance()->graph();
    ASSERT_GE(graph->numNodes(), 1);
    KelNodes::Node* node = graph->nodes().last();
    QPointer<QObject> item = new QObject;
    node->setViewItem(item);
    EXPECT_EQ(graph->removeNode(node), 0);
    EXPECT_TRUE(item.isNull());
}

TEST_F(TwTemplateContainerTest, ClearingDeletesEveryInstanceOnce)
{
    writeTemplate({kUuidA, QStringLiteral("Ant")});
    writeTemplate({kUuidB, QStringLiteral("Bee")});
    TwTemplateContainer store(nullptr, nullptr);
    loadInto(store);
    QPointer<KelNGObject> first = store.objectTemplateList.at(0)->objectInstance();
    QPointer<KelNGObject> second = store.objectTemplateList.at(1)->objectInstance();
    store.clear();
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(second.isNull());
    EXPECT_TRUE(store.objectTemplateList.isEmpty());
}

} // namespace

// A template is found by its UUID: a second file of a UUID already loaded is skipped, so that
// every row inserts the template it names and no other.
TEST_F(TwTemplateContainerTest, SecondFileOfAUuidIsSkippedAndEveryRowInsertsItsOwnTemplate)
{
    auto uuidOf = [](int i) {
        return QStringLiteral("{%1-0000-4000-8000-000000000000}").arg(i, 8, 10, QLatin1Char('0'));
    };
    for (int i = 0; i < 100; ++i) {
        // Every tenth file holds the UUID of file 0.
        const QString uuid = uuidOf(i % 10 == 0 ? 0 : i);
        writeTemplate({uuid, QStringLiteral("Filter %1").arg(i)},
                      QStringLiteral("t%1").arg(i, 3, 10, QLatin1Char('0')));
    }
    AppTest::RecordingMainWindow window;
    TwCore core(&window);
    window.setCore(&core);
    TwTemplateContainer* store = core.templateStore();
    ASSERT_NE(store, nullptr);
    store->loadObjectTemplates();
    store->setFilterBrowserTreeWidget(&filterTree);

    EXPECT_EQ(store->objectTemplateList.size(), 91);
    EXPECT_EQ(filterTree.topLevelItemCount(), 91);
    for (int i = 0; i < filterTree.topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = filterTree.topLevelItem(i);
        const QString uuid = row->data(0, Qt::UserRole + 1).toString();
        KelNGObject* inserted = core.addTemplateObject(uuid);
        ASSERT_NE(inserted, nullptr) << i;
        EXPECT_EQ(inserted->graph()->name().toStdString(), row->text(0).toStdString()) << i;
    }
    EXPECT_EQ(filterTree.topLevelItem(0)->text(0), QStringLiteral("Filter 0"));
    // Each skipped file is named in the debug window.
    for (int i = 10; i < 100; i += 10) {
        const QString path = lumora() + QStringLiteral("/t%1").arg(i, 3, 10, QLatin1Char('0'));
        bool reported = false;
        for (QString const& call : std::as_const(window.calls))
            reported = reported || (call.startsWith(QStringLiteral("debugWindowAppend")) && call.contains(path));
        EXPECT_TRUE(reported) << path.toStdString();
    }
}
