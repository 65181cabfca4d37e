// The template database dialog against the reference server and against hostile replies: what
// it lists, what it installs and how, and that nothing a service sends can hurt the installed
// templates or the dialog.

#include "DialogTestSupport.h"
#include "HostileFiles.h"
#include "MessageCapture.h"

#include "io/picture/PictureFile.h"
#include "params/NumGroupParameter.h"
#include "params/ParamType.h"
#include "params/ParameterFactory.h"
#include "web/TwDatabaseDialog.h"

#include <QBuffer>
#include <QDialogButtonBox>
#include <QDir>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using WebTest::ListedItem;
using WebTest::rowsOf;

QString const kA = QStringLiteral("{aaaaaaaa-0000-4000-8000-000000000001}");
QString const kB = QStringLiteral("{bbbbbbbb-0000-4000-8000-000000000002}");
QString const kC = QStringLiteral("{cccccccc-0000-4000-8000-000000000003}");

QTreeWidget* treeOf(TwDatabaseDialog& dialog)
{
    return dialog.findChild<QTreeWidget*>(QStringLiteral("treeWidget"));
}

// Waits until the dialog is idle again (the constructor's fetch or a run is over).
bool waitIdle(TwDatabaseDialog& dialog)
{
    QSignalSpy idle(&dialog, &TwDatabaseDialog::idle);
    while (dialog.isBusy()) {
        if (!idle.wait(WebTest::kWaitMs))
            return false;
    }
    return true;
}

ReferenceServer::Item serverItem(QString const& uuid, QString const& name, QString const& version,
                                 bool unknownNodeType = false)
{
    ReferenceServer::Item item;
    item.uuid = uuid;
    item.name = name;
    item.version = version;
    item.createdBy = QStringLiteral("Ref");
    item.xml = SampleTemplates::templateFile(uuid, name, version, unknownNodeType);
    item.icon = SampleTemplates::pngIcon(Qt::red);
    return item;
}

class DatabaseDialogTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(server.start()); }

    WebTest::CoreFixture fixture;
    ReferenceServer server;
};

TEST_F(DatabaseDialogTest, ListsNewAndNewerTemplatesOnlyAndInstallsTheCheckedOnesInOrder)
{
    fixture.installFile(kA, QStringLiteral("Same"), QStringLiteral("01.100"));
    fixture.installFile(kB, QStringLiteral("Older"), QStringLiteral("01.200"));
    TwCore* core = fixture.start();
    server.addItem(QStringLiteral("lumora"), serverItem(kA, QStringLiteral("Same"), QStringLiteral("1.1")));
    server.addItem(QStringLiteral("lumora"), serverItem(kB, QStringLiteral("Newer"), QStringLiteral("2.0")));
    server.addItem(QStringLiteral("lumora"), serverItem(kC, QStringLiteral("N\u00e9w"), QStringLiteral("0.5")));
    WebTest::ScopedBaseUrl url(server.baseUrl());

    TwDatabaseDialog dialog(nullptr, core);
    EXPECT_EQ(server.requests().size(), 0) << "the first request is sent from the event loop";
    ASSERT_TRUE(waitIdle(dialog));
    QTreeWidget* tree = treeOf(dialog);
    EXPECT_EQ(rowsOf(tree), (QStringList{QStringLiteral("Newer|2.0|1.2|x"),
                                         QStringLiteral("N\u00e9w|0.5|-|x")}));
    EXPECT_EQ(dialog.statusText(), QStringLiteral("Click \"Install Templates\""));
    EXPECT_TRUE(dialog.findChild<QDialogButtonBox*>()->isEnabled());
    EXPECT_EQ(server.calls(), (QStringList{QStringLiteral("get_first_lumora"),
                                           QStringLiteral("get_next_lumora"),
                                           QStringLiteral("get_next_lumora"),
                                           QStringLiteral("get_next_lumora")}));
    QTreeWidgetItem* row = tree->topLevelItem(0);
    EXPECT_EQ(row->data(0, Qt::UserRole).toString(), kB);
    EXPECT_EQ(row->data(0, Qt::UserRole + 1), QVariant(true));
    EXPECT_FALSE(row->data(0, Qt::UserRole + 2).value<QPixmap>().isNull());
    EXPECT_EQ(tree->columnWidth(0), 180);

    // The preview follows the current row.
    tree->setCurrentItem(row);
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("iconLabel"))->pixmap().toImage().pixel(1, 1),
              QColor(Qt::red).rgb());

    // Each installed template is in the store and its browser before the next download starts.
    QStringList storeAtEachDownload;
    QObject::connect(&server, &ReferenceServer::requestRecorded, &dialog, [&](QString const& call) {
        if (call == QLatin1String("download_lumora_xml_content"))
            storeAtEachDownload << QString::number(core->templateStore()->objectTemplateList.size());
    });
    server.clearRequests();
    dialog.findChild<QPushButton*>(QStringLiteral("updateButton"))->click();
    ASSERT_TRUE(waitIdle(dialog));
    EXPECT_EQ(storeAtEachDownload, (QStringList{QStringLiteral("2"), QStringLiteral("2")}));
    EXPECT_EQ(server.requests().at(0).field(QStringLiteral("uuid")), kB.toUtf8());
    EXPECT_EQ(server.requests().at(0).field(QStringLiteral("version")), "2.0");
    EXPECT_EQ(server.requests().at(1).field(QStringLiteral("uuid")), kC.toUtf8());
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    EXPECT_EQ(dialog.statusText(), QStringLiteral("Templates installed: 2, failed: 0."));
    for (ReferenceServer::Item const& item : server.items(QStringLiteral("lumora"))) {
        if (item.uuid == kA)
            continue;
        EXPECT_EQ(StoreTest::readFile(StoragePaths::objectTemplatePath(item.uuid)), item.xml);
        KelTemplate* installed = core->templateStore()->getObjectTemplateFromUuid(item.uuid);
        ASSERT_NE(installed, nullptr);
        EXPECT_EQ(installed->name(), item.name);
    }
    EXPECT_EQ(fixture.filterTree.topLevelItemCount(), 3);
    EXPECT_EQ(fixture.window.count(QStringLiteral("templateHasBeenAddedOrUpdated")), 2);
    // Nothing but template files and icons below the storage root.
    for (QString const& file : StoreTest::filesBelow(fixture.storageRoot()))
        EXPECT_TRUE(file.startsWith(QStringLiteral("templates/lumora/"))) << file.toStdString();

    // Fetching again shows nothing new.
    dialog.findChild<QPushButton*>(QStringLiteral("fetchLumoraList"))->click();
    ASSERT_TRUE(waitIdle(dialog));
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    EXPECT_TRUE(dialog.statusText().isEmpty());
}

TEST_F(DatabaseDialogTest, SelectionDecidesWhatIsInstalledAndTheListEmptiesAfterARun)
{
    TwCore* core = fixture.start();
    for (QString const& uuid : {kA, kB, kC})
        server.addItem(QStringLiteral("lumora"), serverItem(uuid, uuid.mid(1, 4), QStringLiteral("1.0")));
    WebTest::ScopedBaseUrl url(server.baseUrl());
    TwDatabaseDialog dialog(nullptr, core);
    ASSERT_TRUE(waitIdle(dialog));
    QTreeWidget* tree = treeOf(dialog);
    ASSERT_EQ(tree->topLevelItemCount(), 3);

    dialog.findChild<QPushButton*>(QStringLiteral("deselectAllButton"))->click();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(tree->topLevelItem(i)->checkState(3), Qt::Unchecked);
    dialog.findChild<QPushButton*>(QStringLiteral("selectAllButton"))->click();
    EXPECT_EQ(tree->topLevelItem(2)->checkState(3), Qt::Checked);
    tree->topLevelItem(1)->setCheckState(3, Qt::Unchecked);

    server.clearRequests();
    dialog.findChild<QPushButton*>(QStringLiteral("updateButton"))->click();
    ASSERT_TRUE(waitIdle(dialog));
    EXPECT_EQ(server.requests().size(), 2);
    EXPECT_TRUE(QFile::exists(StoragePaths::objectTemplatePath(kA)));
    EXPECT_FALSE(QFile::exists(StoragePaths::objectTemplatePath(kB)));
    EXPECT_TRUE(QFile::exists(StoragePaths::objectTemplatePath(kC)));
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    EXPECT_EQ(dialog.statusText(), QStringLiteral("Templates installed: 2, failed: 0."));

    // With every row unchecked the run ends at once.
    dialog.findChild<QPushButton*>(QStringLiteral("fetchLumoraList"))->click();
    ASSERT_TRUE(waitIdle(dialog));
    ASSERT_EQ(rowsOf(tree).size(), 1);
    dialog.findChild<QPushButton*>(QStringLiteral("deselectAllButton"))->click();
    server.clearRequests();
    dialog.findChild<QPushButton*>(QStringLiteral("updateButton"))->click();
    ASSERT_TRUE(waitIdle(dialog));
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    EXPECT_EQ(dialog.statusText(), QStringLiteral("Templates installed: 0, failed: 0."));
}

TEST_F(DatabaseDialogTest, AnEmptyServiceAndAMissingServiceEndQuietly)
{
    TwCore* core = fixture.start();
    {
        WebTest::ScopedBaseUrl url(server.baseUrl());
        TwDatabaseDialog dialog(nullptr, core);
        ASSERT_TRUE(waitIdle(dialog));
        EXPECT_EQ(treeOf(dialog)->topLevelItemCount(), 0);
        EXPECT_TRUE(dialog.statusText().isEmpty());
        EXPECT_TRUE(dialog.findChild<QDialogButtonBox*>()->isEnabled());
    }
    server.clearRequests();
    TwDatabaseDialog dialog(nullptr, core);
    EXPECT_FALSE(dialog.isBusy());
    EXPECT_TRUE(dialog.statusText().contains(QStringLiteral("\"WebService::BaseUrl\"")));
    dialog.findChild<QPushButton*>(QStringLiteral("updateButton"))->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(DatabaseDialogTest, ATemplateWithAnUnknownNodeTypeIsInstalledAndListedAfterARestart)
{
    TwCore* core = fixture.start();
    server.addItem(QStringLiteral("lumora"),
                   serverItem(kA, QStringLiteral("Plug-in effect"), QStringLiteral("1.0"), true));
    WebTest::ScopedBaseUrl url(server.baseUrl());
    {
        TwDatabaseDialog dialog(nullptr, core);
        ASSERT_TRUE(waitIdle(dialog));
        dialog.findChild<QPushButton*>(QStringLiteral("updateButton"))->click();
        ASSERT_TRUE(waitIdle(dialog));
        EXPECT_EQ(dialog.statusText(), QStringLiteral("Templates installed: 1, failed: 0."));
    }
    EXPECT_EQ(StoreTest::readFile(StoragePaths::objectTemplatePath(kA)),
              server.items(QStringLiteral("lumora")).first().xml);
    EXPECT_EQ(core->templateStore()->getObjectTemplateFromUuid(kA), nullptr);
    EXPECT_TRUE(fixture.window.calls.filter(QStringLiteral("next start")).size() >= 1);

    fixture.stop();
    core = fixture.start();
    KelTemplate* loaded = core->templateStore()->getObjectTemplateFromUuid(kA);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->name(), QStringLiteral("Plug-in effect"));
    EXPECT_EQ(fixture.filterTree.topLevelItemCount(), 1);
}

// Replies of a service that cannot be trusted. Each case lists, installs, and is checked for
// what it must not do.
class HostileDatabaseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start());
        fixture.installFile(kA, QStringLiteral("Installed"), QStringLiteral("01.000"));
        core = fixture.start();
        installed = StoreTest::readFile(StoragePaths::objectTemplatePath(kA));
        ASSERT_FALSE(installed.isEmpty());
        url = std::make_unique<WebTest::ScopedBaseUrl>(server.baseUrl());
    }

    void expectInstalledIntact()
    {
        EXPECT_EQ(StoreTest::readFile(StoragePaths::objectTemplatePath(kA)), installed);
        KelTemplate* kept = core->templateStore()->getObjectTemplateFromUuid(kA);
        ASSERT_NE(kept, nullptr);
        EXPECT_EQ(kept->name(), QStringLiteral("Installed"));
        EXPECT_EQ(kept->version(), QStringLiteral("01.000"));
        for (QString const& file : StoreTest::filesBelow(fixture.dataHome()))
            EXPECT_TRUE(file.startsWith(QStringLiteral("Vyx-Solenne/templates/lumora/")))
                << file.toStdString();
    }

    WebTest::CoreFixture fixture;
    HostileServer server;
    TwCore* core = nullptr;
    QByteArray installed;
    std::unique_ptr<WebTest::ScopedBaseUrl> url;
};

TEST_F(HostileDatabaseTest, HostileListsNeitherEscapeTheFolderNorLoopForever)
{
    QByteArray const red = SampleTemplates::pngIcon(Qt::red);
    struct Case
    {
        char const* what;
        QList<ListedItem> items;
        QStringList rows;
        char const* status;
    };
    std::vector<Case> const cases{
        {"file names from the service",
         {{"1", QStringLiteral("../../evil"), QStringLiteral("Evil"), QStringLiteral("9"), red},
          {"2", QStringLiteral("{not-a-uuid}"), QStringLiteral("Odd"), QStringLiteral("9"), red},
          {"3", kA.toUpper().replace(QLatin1Char('{'), QLatin1Char('/')), QStringLiteral("Slash"), QStringLiteral("9"), red},
          {"4", kB, QStringLiteral("Good"), QStringLiteral("9"), red}},
         {QStringLiteral("Good|9|-|x")},
         "Click \"Install Templates\""},
        {"an id repeated",
         {{"5", kB, QStringLiteral("First"), QStringLiteral("1"), red},
          {"\"5\"", kC, QStringLiteral("Again"), QStringLiteral("1"), red}},
         {QStringLiteral("First|1|-|x")},
         "Click \"Install Templates\""},
        {"garbage icons",
         {{"1", kB, QStringLiteral("No icon"), QStringLiteral("1"), QByteArray("\x89PNG garbage")},
          {"2", kC, QStringLiteral("Empty icon"), QStringLiteral("1"), QByteArray()}},
         {QStringLiteral("No icon|1|-|x"), QStringLiteral("Empty icon|1|-|x")},
         "Click \"Install Templates\""},
        {"version texts that are no numbers",
         {{"1", kA, QStringLiteral("Installed"), QStringLiteral("newest"), red}},
         {},
         ""},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        QList<ListedItem> const items = c.items;
        server.setHandler(WebTest::lumoraList([items] { return items; }));
        TwDatabaseDialog dialog(nullptr, core);
        ASSERT_TRUE(waitIdle(dialog));
        EXPECT_EQ(rowsOf(treeOf(dialog)), c.rows);
        EXPECT_EQ(dialog.statusText(), QString::fromUtf8(c.status));
        expectInstalledIntact();
    }
}

TEST_F(HostileDatabaseTest, IconsAreCheckedBeforeDecodingAndKeptAtPreviewSize)
{
    // As at start-up: pictures up to the program's cap may be decoded.
    int const limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(PictureFile::readerAllocationLimit());
    auto png = [](int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::green);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    };
    struct Case
    {
        QString uuid;
        QByteArray icon;
        QSize kept;
    };
    std::vector<Case> const cases{
        // A few hundred kilobytes that decode to a gigabyte.
        {kB, SampleTemplates::greyPng(16384, 16384), QSize()},
        {kC, SampleTemplates::greyPng(2048, 2048), QSize()},
        {QStringLiteral("{dddddddd-0000-4000-8000-000000000004}"), png(600, 400), QSize(180, 120)},
        {QStringLiteral("{eeeeeeee-0000-4000-8000-000000000005}"), SampleTemplates::pngIcon(Qt::red), QSize(45, 30)},
    };
    QList<ListedItem> items;
    for (Case const& c : cases)
        items.append({QByteArray::number(items.size() + 1), c.uuid, c.uuid.mid(1, 4), QStringLiteral("1"), c.icon});
    server.setHandler(WebTest::lumoraList([items] { return items; }));
    TwDatabaseDialog dialog(nullptr, core);
    ASSERT_TRUE(waitIdle(dialog));
    QTreeWidget* tree = treeOf(dialog);
    ASSERT_EQ(tree->topLevelItemCount(), int(cases.size()));
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        SCOPED_TRACE(i);
        QPixmap const kept = tree->topLevelItem(i)->data(0, Qt::UserRole + 2).value<QPixmap>();
        EXPECT_EQ(kept.isNull() ? QSize() : kept.size(), cases.at(size_t(i)).kept);
    }
    QImageReader::setAllocationLimit(limit);
}

TEST_F(HostileDatabaseTest, AnEndlessListIsCutShort)
{
    // Every reply names a new id: the list never ends by itself.
    server.setHandler([](RecordedRequest const& request) {
        int const id = request.field(QStringLiteral("id")).toInt() + 1;
        QByteArray const key = request.call == QLatin1String("get_first_lumora") ? "lu_mora" : "lumora";
        return HostileServer::json("{\"" + key + "\": {\"id\": " + QByteArray::number(id)
                                   + ", \"uuid\": \"{bad}\", \"name\": \"x\"}}");
    });
    TwDatabaseDialog dialog(nullptr, core);
    ASSERT_TRUE(waitIdle(dialog));
    EXPECT_EQ(server.requests().size(), TwDatabaseDialog::maxListItems);
    EXPECT_TRUE(dialog.statusText().contains(QStringLiteral("cut short"))) << dialog.statusText().toStdString();
}

// A failed list call is no empty catalogue: the status names the failure.
TEST_F(HostileDatabaseTest, BadListRepliesEndTheWalkWithTheirFailure)
{
    HostileServer elsewhere;
    ASSERT_TRUE(elsewhere.start());
    QByteArray const item = "{\"lu_mora\": {\"id\": 1, \"uuid\": \"" + kB.toLatin1() + "\", \"name\": \"Slow\"}}";
    struct Case
    {
        char const* what;
        HostileServer::Reply reply;
        char const* failure;
    };
    std::vector<Case> const cases{
        {"HTML", {HostileServer::httpReply("<html>maintenance</html>", 503)}, "HTTP status 503"},
        {"an item in an error reply", {HostileServer::httpReply(item, 500)}, "HTTP status 500"},
        {"empty", {HostileServer::httpReply(QByteArray())}, "reply was empty"},
        {"zero byte", {HostileServer::httpReply(QByteArray("\0{\"lu_mora\": {}}", 16))}, "reply was empty"},
        {"nested", {HostileServer::httpReply(QByteArray(100000, '['))}, "nests deeper than 512 levels"},
        {"cut short", {HostileServer::httpReply("{\"lu_mora\": {\"id\": 1, \"uuid\": \"{aaaa").replace("Content-Length: 33", "Content-Length: 99")}, "reply could not be read"},
        {"silent", {QByteArray(), true, true}, "sent nothing for 3 s"},
        {"redirect", {HostileServer::httpReply("{\"lu_mora\": {}}", 307,
                                               "Location: " + elsewhere.baseUrl().toLatin1() + "get_first_lumora\r\n")},
         "HTTP status 307"},
        // A byte every 50 ms never stalls the transfer; the call's deadline ends it.
        {"dripped", {HostileServer::httpReply(item), false, false, 50}, "did not answer within 0.5 s"},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        HostileServer::Reply const answer = c.reply;
        server.setHandler([answer](RecordedRequest const&) { return answer; });
        WebTest::CoreFixture::expectSilence(answer.silent);
        ApiInteractor::setDefaultCallDeadline(answer.dripMs > 0 ? 500 : 0);
        TwDatabaseDialog dialog(nullptr, core);
        ASSERT_TRUE(waitIdle(dialog));
        EXPECT_EQ(treeOf(dialog)->topLevelItemCount(), 0);
        EXPECT_TRUE(dialog.statusText().startsWith(QStringLiteral("Fetching the template list failed: ")))
            << dialog.statusText().toStdString();
        EXPECT_TRUE(dialog.statusText().contains(QString::fromUtf8(c.failure))) << dialog.statusText().toStdString();
        EXPECT_TRUE(dialog.findChild<QDialogButtonBox*>()->isEnabled());
        EXPECT_TRUE(dialog.findChild<QPushButton*>(QStringLiteral("fetchLumoraList"))->isEnabled());
    }
    EXPECT_TRUE(elsewhere.requests().isEmpty());
    expectInstalledIntact();

    // No service listening at all.
    quint16 port = 0;
    {
        HostileServer closed;
        ASSERT_TRUE(closed.start());
        port = QUrl(closed.baseUrl()).port();
    }
    url.reset();
    url = std::make_unique<WebTest::ScopedBaseUrl>(QStringLiteral("http://127.0.0.1:%1/api/").arg(port));
    TwDatabaseDialog dialog(nullptr, core);
    ASSERT_TRUE(waitIdle(dialog));
    EXPECT_TRUE(dialog.statusText().startsWith(QStringLiteral("Fetching the template list failed: The call failed: ")))
        << dialog.statusText().toStdString();
}

TEST_F(HostileDatabaseTest, ABadDownloadKeepsTheInstalledTemplateAndTheRemainingRows)
{
    QByteArray const good = SampleTemplates::templateFile(kA, QStringLiteral("Updated"), QStringLiteral("02.000"));
    QByteArray const other = SampleTemplates::templateFile(kB, QStringLiteral("Other"), QStringLiteral("01.000"));
    auto content = [](QByteArray const& xml) {
        return HostileServer::json("{\"live_lumora\": {\"id\": 1, \"xml_content\": "
                                   + ReferenceServer::jsonRawBytes(xml) + "}}");
    };
    struct Case
    {
        char const* what;
        HostileServer::Reply reply;
        char const* logged = nullptr; // a part of the loader's report
        char const* status = nullptr; // a part of the status line
    };
    std::vector<Case> const cases{
        {"no template", content("<html>not a template</html>")},
        {"the template in an error reply",
         {HostileServer::httpReply("{\"live_lumora\": {\"id\": 1, \"xml_content\": " + ReferenceServer::jsonRawBytes(good) + "}}", 500)}},
        // Refused by the depth check at once, not parsed for minutes.
        {"deep under an undeclared prefix", content(HostileFiles::prefixedDeepGraphDocument(100000)),
         "nested deeper than"},
        {"another template", content(other)},
        // Read leniently these were the row's UUID; the store refuses them on the next start.
        {"the UUID with a path tail",
         content(SampleTemplates::templateFile(kA + QStringLiteral("/../../escape"), QStringLiteral("Updated"), QStringLiteral("02.000")))},
        {"the UUID without braces",
         content(SampleTemplates::templateFile(kA.mid(1, 36), QStringLiteral("Updated"), QStringLiteral("02.000")))},
        {"the UUID in capitals",
         content(SampleTemplates::templateFile(kA.toUpper(), QStringLiteral("Updated"), QStringLiteral("02.000")))},
        // A few bytes that ask for more values (or items) than a file may give, past the bound
        // and far past it: a damaged file, not one to build a quarter of a million boxes for.
        {"a group just past the bound of stored values",
         content(HostileFiles::withCountedParameters(good, KelUtils::ParamFloatGroup, "num_vals",
                                                     KelUtils::MaxStoredGroupValues + 1)),
         "holds a parameter of more than", "is no template; the installed one is kept."},
        {"four groups far past it",
         content(HostileFiles::withCountedParameters(good, KelUtils::ParamIntGroup, "num_vals",
                                                     KelUtils::MaxGroupValues, 4)),
         "holds a parameter of more than", "is no template; the installed one is kept."},
        {"a list past the bound of stored items",
         content(HostileFiles::withCountedParameters(good, KelUtils::ParamList, "num_items",
                                                     KelUtils::MaxStoredListItems + 1)),
         "holds a parameter of more than", "is no template; the installed one is kept."},
        {"empty content", content(QByteArray())},
        {"no item", HostileServer::json("{\"live_lumora\": null}")},
        {"cut short", {HostileServer::httpReply("{\"live_lumora\": {\"xml_content\": \"<graph")
                           .replace("Content-Length: 39", "Content-Length: 900")}},
        {"silent", {QByteArray(), true, true}},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        HostileServer::Reply const reply = c.reply;
        WebTest::CoreFixture::expectSilence(reply.silent);
        QList<ListedItem> const items{{"1", kA, QStringLiteral("Updated"), QStringLiteral("2.0"), {}},
                                      {"2", kC, QStringLiteral("Later"), QStringLiteral("1.0"), {}}};
        server.setHandler(WebTest::lumoraList([items] { return items; },
                                              [reply](RecordedRequest const&) { return reply; }));
        {
            TwDatabaseDialog dialog(nullptr, core);
            ASSERT_TRUE(waitIdle(dialog));
            ASSERT_EQ(treeOf(dialog)->topLevelItemCount(), 2);
            AppTest::MessageCapture capture;
            dialog.findChild<QPushButton*>(QStringLiteral("updateButton"))->click();
            ASSERT_TRUE(waitIdle(dialog));
            if (c.logged) {
                EXPECT_TRUE(capture.any(QString::fromLatin1(c.logged))) << qPrintable(capture.all());
            }
            EXPECT_EQ(treeOf(dialog)->topLevelItemCount(), 2);
            // Both checked rows failed: the bad one and the one after it, never tried.
            EXPECT_TRUE(dialog.statusText().startsWith(QStringLiteral("Templates installed: 0, failed: 2. ")))
                << dialog.statusText().toStdString();
            EXPECT_TRUE(dialog.statusText().contains(QStringLiteral("\"Updated\""))) << dialog.statusText().toStdString();
            if (c.status) {
                EXPECT_TRUE(dialog.statusText().contains(QString::fromLatin1(c.status))) << dialog.statusText().toStdString();
            }
            EXPECT_TRUE(dialog.findChild<QDialogButtonBox*>()->isEnabled());
            EXPECT_FALSE(QFile::exists(StoragePaths::objectTemplatePath(kC)));
            expectInstalledIntact();
        }
        // The next start finds the installed template still there.
        fixture.stop();
        core = fixture.start();
        expectInstalledIntact();
    }

    // And a good one replaces it.
    WebTest::CoreFixture::expectSilence(false);
    server.setHandler(WebTest::lumoraList(
        [] { return QList<ListedItem>{{"1", kA, QStringLiteral("Updated"), QStringLiteral("2.0"), {}}}; },
        [&](RecordedRequest const&) { return content(good); }));
    TwDatabaseDialog dialog(nullptr, core);
    ASSERT_TRUE(waitIdle(dialog));
    dialog.findChild<QPushButton*>(QStringLiteral("updateButton"))->click();
    ASSERT_TRUE(waitIdle(dialog));
    EXPECT_EQ(StoreTest::readFile(StoragePaths::objectTemplatePath(kA)), good);
    EXPECT_EQ(core->templateStore()->getObjectTemplateFromUuid(kA)->name(), QStringLiteral("Updated"));
}

// A run ends at its first failure: that row and every checked row after it count as failed,
// and the status gives the first reason once.
TEST_F(HostileDatabaseTest, EveryCheckedTemplateCountsAsInstalledOrFailed)
{
    QString const kD = QStringLiteral("{dddddddd-0000-4000-8000-000000000004}");
    QList<ListedItem> const items{{"1", kB, QStringLiteral("B"), QStringLiteral("1.0"), {}},
                                  {"2", kC, QStringLiteral("C"), QStringLiteral("1.0"), {}},
                                  {"3", kD, QStringLiteral("D"), QStringLiteral("1.0"), {}}};
    QByteArray const goodB = SampleTemplates::templateFile(kB, QStringLiteral("B"), QStringLiteral("01.000"));
    struct Case
    {
        char const* what;
        bool stopService;
        int uncheckedRow; // -1: all checked
        QString status;   // the status starts so
        int rowsLeft;
    };
    std::vector<Case> const cases{
        {"the service stopped", true, -1,
         QStringLiteral("Templates installed: 0, failed: 3. Downloading the template \"B\" failed: The call failed: "), 3},
        {"the service stopped, one row unchecked", true, 1,
         QStringLiteral("Templates installed: 0, failed: 2. Downloading the template \"B\" failed: The call failed: "), 3},
        {"the second download refused", false, -1,
         QStringLiteral("Templates installed: 1, failed: 2. Downloading the template \"C\" failed: the service "
                        "sent no template."), 2},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        auto service = std::make_unique<HostileServer>();
        ASSERT_TRUE(service->start());
        service->setHandler(WebTest::lumoraList([items] { return items; }, [&](RecordedRequest const& request) {
            if (request.field(QStringLiteral("uuid")) == kB.toLatin1())
                return HostileServer::json("{\"live_lumora\": {\"id\": 1, \"xml_content\": "
                                           + ReferenceServer::jsonRawBytes(goodB) + "}}");
            return HostileServer::json("{\"live_lumora\": null}");
        }));
        url.reset();
        url = std::make_unique<WebTest::ScopedBaseUrl>(service->baseUrl());
        QFile::remove(StoragePaths::objectTemplatePath(kB));
        TwDatabaseDialog dialog(nullptr, core);
        ASSERT_TRUE(waitIdle(dialog));
        ASSERT_EQ(treeOf(dialog)->topLevelItemCount(), 3);
        if (c.uncheckedRow >= 0)
            treeOf(dialog)->topLevelItem(c.uncheckedRow)->setCheckState(3, Qt::Unchecked);
        if (c.stopService)
            service.reset();
        dialog.findChild<QPushButton*>(QStringLiteral("updateButton"))->click();
        ASSERT_TRUE(waitIdle(dialog));
        QString const status = dialog.statusText();
        EXPECT_TRUE(status.startsWith(c.status)) << status.toStdString();
        EXPECT_EQ(status.count(QStringLiteral("Downloading the template")), 1) << status.toStdString();
        EXPECT_EQ(treeOf(dialog)->topLevelItemCount(), c.rowsLeft);
    }
}

// What the service says reaches the status line cut to a few lines.
TEST_F(HostileDatabaseTest, ServiceTextsInTheStatusLineAreCut)
{
    QString const manyLines = QStringLiteral("line\n").repeated(100000);
    QString const longUuid = QLatin1Char('{') + QString(100000, QLatin1Char('a')) + QLatin1Char('}');
    auto content = [](QByteArray const& xml) {
        return HostileServer::json("{\"live_lumora\": {\"id\": 1, \"xml_content\": "
                                   + ReferenceServer::jsonRawBytes(xml) + "}}");
    };
    struct Case
    {
        char const* what;
        HostileServer::Handler handler;
        bool install;
        QString status; // the status starts so
    };
    std::vector<Case> const cases{
        {"a list failure with a long reason phrase",
         [](RecordedRequest const&) {
             return HostileServer::Reply{"HTTP/1.1 500 " + QByteArray(20000, 'r')
                                         + "\r\nContent-Length: 2\r\nConnection: close\r\n\r\n{}"};
         },
         false, QStringLiteral("Fetching the template list failed: The service answered with HTTP status 500 (rrr")},
        {"a name of many lines",
         WebTest::lumoraList([manyLines] { return QList<ListedItem>{{"1", kB, manyLines, QStringLiteral("1.0"), {}}}; }),
         true, QStringLiteral("Templates installed: 0, failed: 1. Downloading the template \"line line ")},
        {"a download holding a long UUID",
         WebTest::lumoraList([] { return QList<ListedItem>{{"1", kB, QStringLiteral("B"), QStringLiteral("1.0"), {}}}; },
                             [&](RecordedRequest const&) {
                                 return content(SampleTemplates::templateFile(longUuid, QStringLiteral("B"),
                                                                              QStringLiteral("01.000")));
                             }),
         true, QStringLiteral("Templates installed: 0, failed: 1. The template \"B\" could not be installed: "
                              "The download of ") + kB + QStringLiteral(" holds the template \"{aaa")},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        server.setHandler(c.handler);
        TwDatabaseDialog dialog(nullptr, core);
        ASSERT_TRUE(waitIdle(dialog));
        if (c.install) {
            ASSERT_EQ(treeOf(dialog)->topLevelItemCount(), 1);
            dialog.findChild<QPushButton*>(QStringLiteral("updateButton"))->click();
            ASSERT_TRUE(waitIdle(dialog));
        }
        QString const status = dialog.statusText();
        EXPECT_TRUE(status.startsWith(c.status)) << status.left(300).toStdString();
        EXPECT_LE(status.size(), 401);
        EXPECT_LE(status.count(QLatin1Char('\n')), 5);
        expectInstalledIntact();
    }
}

TEST_F(DatabaseDialogTest, WithoutAServiceTheStatusPointsToFirstSteps)
{
    TwCore* core = fixture.start();
    TwDatabaseDialog dialog(nullptr, core);
    EXPECT_EQ(dialog.statusText(),
              QStringLiteral("No template web service is set up: the setting \"WebService::BaseUrl\" must "
                             "hold the service's address. See Help > Vyx-Solenne Help > First Steps to make "
                             "an effect without templates."));
}

TEST_F(DatabaseDialogTest, AMalformedAddressIsNamedAsSuchWithWhatIsWrong)
{
    TwCore* core = fixture.start();
    // A local service's address as a user would type it, without the final "/".
    WebTest::ScopedBaseUrl scoped(QStringLiteral("http://127.0.0.1:8080/api"));
    TwDatabaseDialog dialog(nullptr, core);
    QString const status = dialog.statusText();
    EXPECT_TRUE(status.startsWith(QStringLiteral(
        "The address of the template web service in the setting \"WebService::BaseUrl\" is malformed:")))
        << status.toStdString();
    EXPECT_TRUE(status.contains(QStringLiteral("end in \"/\""))) << status.toStdString();
    EXPECT_FALSE(status.contains(QStringLiteral("First Steps")));
}

TEST_F(HostileDatabaseTest, FetchAndInstallAreDisabledWhileACallRuns)
{
    // The list is answered; every content download hangs, so the installation stays busy.
    QList<ListedItem> const items{{"1", kB, QStringLiteral("Good"), QStringLiteral("1"), {}}};
    server.setHandler(WebTest::lumoraList([items] { return items; }, [](RecordedRequest const&) {
        return HostileServer::Reply{{}, true, true};
    }));
    QSignalSpy recorded(&server, &HostileServer::requestRecorded);
    TwDatabaseDialog dialog(nullptr, core);
    auto* fetch = dialog.findChild<QPushButton*>(QStringLiteral("fetchLumoraList"));
    auto* install = dialog.findChild<QPushButton*>(QStringLiteral("updateButton"));
    auto* box = dialog.findChild<QDialogButtonBox*>();

    // Fetching: the walk's first call is out.
    EXPECT_TRUE(dialog.isBusy());
    for (QWidget* widget : {static_cast<QWidget*>(fetch), static_cast<QWidget*>(install),
                            static_cast<QWidget*>(box)})
        EXPECT_FALSE(widget->isEnabled()) << widget->objectName().toStdString();
    ASSERT_TRUE(waitIdle(dialog));
    EXPECT_TRUE(fetch->isEnabled());
    EXPECT_TRUE(install->isEnabled());
    ASSERT_EQ(treeOf(dialog)->topLevelItemCount(), 1);

    // Installing: the download hangs; neither button can send its call again.
    install->click();
    ASSERT_TRUE(WebTest::waitForCount(recorded, 3));
    EXPECT_TRUE(dialog.isBusy());
    EXPECT_FALSE(fetch->isEnabled());
    EXPECT_FALSE(install->isEnabled());
    EXPECT_FALSE(box->isEnabled());
    dialog.on_fetchLumoraList_clicked();
    dialog.on_updateButton_clicked();
    QCoreApplication::processEvents();
    EXPECT_EQ(treeOf(dialog)->topLevelItemCount(), 1);
    EXPECT_EQ(server.requests().size(), 3);
    EXPECT_EQ(server.requests().last().call, QStringLiteral("download_lumora_xml_content"));
}

TEST_F(HostileDatabaseTest, ClosingMidFetchIsSafe)
{
    server.setHandler([](RecordedRequest const&) { return HostileServer::Reply{{}, true, true}; });
    QSignalSpy recorded(&server, &HostileServer::requestRecorded);
    auto dialog = std::make_unique<TwDatabaseDialog>(nullptr, core);
    QTimer::singleShot(0, dialog.get(), [&] {
        if (WebTest::waitForCount(recorded, 1))
            dialog->reject();
    });
    dialog->exec();
    EXPECT_TRUE(dialog->isBusy());
    dialog.reset();
    QCoreApplication::processEvents();
    expectInstalledIntact();
}

} // namespace
