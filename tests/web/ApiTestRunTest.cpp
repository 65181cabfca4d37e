// The developers' exerciser: every call queued in an order that feeds the dependent ones, run
// against the reference server until it ends the event loop with 0.

#include "DialogTestSupport.h"

#include "web/ApiTest.h"

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

// A working folder with the exerciser's icon files and "junk", current while it lives.
class WorkingFolder
{
public:
    explicit WorkingFolder(bool withIcons) : m_old(QDir::currentPath())
    {
        QDir root(m_dir.path());
        root.mkpath(QStringLiteral("work"));
        root.mkpath(QStringLiteral("restapi"));
        if (withIcons) {
            QByteArray const png = SampleTemplates::pngIcon(Qt::yellow);
            StoreTest::writeFile(root.filePath(QStringLiteral("work/test_icon.png")), png);
            StoreTest::writeFile(root.filePath(QStringLiteral("restapi/test_icon.png")), png);
        }
        StoreTest::writeFile(root.filePath(QStringLiteral("work/junk")), "<nlp>junk</nlp>");
        QDir::setCurrent(root.filePath(QStringLiteral("work")));
    }
    ~WorkingFolder() { QDir::setCurrent(m_old); }

private:
    QTemporaryDir m_dir;
    QString m_old;
};

TEST(ApiTestRunTest, AllTwentyFourCallsRunAndEndTheLoopWithZero)
{
    ReferenceServer server;
    ASSERT_TRUE(server.start());
    WebTest::ScopedBaseUrl url(server.baseUrl());
    WorkingFolder folder(true);

    ApiTest exerciser;
    // Uploads first, then the lists, then what reads their replies; startTest adds test 19.
    for (int const test : {0, 3, 4, 13, 23, 1, 2, 6, 7, 11, 12, 5, 8, 9, 10, 14, 15, 16, 17, 18,
                           21, 22, 20})
        exerciser.enqueue(test);
    QTimer::singleShot(0, &exerciser, [&exerciser] { exerciser.startTest(); });
    // Only a hang reaches this limit. The timer goes with the test: fired later, it would end
    // every event loop of the tests after it.
    QTimer::singleShot(WebTest::kWaitMs, &exerciser, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QCoreApplication::exec(), 0);

    QStringList calls = server.calls();
    EXPECT_EQ(calls.size(), 24);
    calls.removeDuplicates();
    EXPECT_EQ(calls.size(), 24);
    for (RecordedRequest const& request : server.requests())
        EXPECT_TRUE(request.problems.isEmpty()) << request.call.toStdString();
    EXPECT_EQ(server.calls().last(), QStringLiteral("download_lumora"));

    auto login = static_cast<LoginMethod*>(exerciser.method(0));
    EXPECT_TRUE(login->hasUser());
    // The dependent calls were fed from the replies before them.
    auto field = [&server](QString const& call, QString const& name) {
        for (RecordedRequest const& request : server.requests()) {
            if (request.call == call)
                return request.field(name);
        }
        return QByteArray();
    };
    EXPECT_EQ(field(QStringLiteral("download_material_xml_content"), QStringLiteral("uuid")),
              "2222-2222-22222222223");
    EXPECT_EQ(field(QStringLiteral("download_object_xml_content"), QStringLiteral("uuid")),
              "4444-2222-22222222223");
    EXPECT_EQ(field(QStringLiteral("get_next_nlp_extension"), QStringLiteral("id")),
              server.items(QStringLiteral("nlp_extension")).first().idText.toUtf8());
    EXPECT_EQ(field(QStringLiteral("upload_nlp_extension"), QStringLiteral("xml_content")),
              "<nlp>junk</nlp>");
    // The fixed test values: the creator of the object and lumora uploads is five letters.
    for (QString const& call : {QStringLiteral("upload_object"), QStringLiteral("upload_lumora")}) {
        QByteArray const creator = field(call, QStringLiteral("created_by"));
        EXPECT_EQ(creator.size(), 5) << call.toStdString();
        EXPECT_TRUE(std::all_of(creator.cbegin(), creator.cend(),
                                [](char c) { return QChar::isLetter(char16_t(c)); }));
    }
    EXPECT_EQ(field(QStringLiteral("upload_material"), QStringLiteral("created_by")), "somebody");
    EXPECT_TRUE(static_cast<DownloadLumoraMethod*>(exerciser.method(19))->isSuccess());
    EXPECT_TRUE(static_cast<DownloadLumoraXMLContentMethod*>(exerciser.method(20))->isSuccess());
    EXPECT_EQ(static_cast<DownloadLumoraXMLContentMethod*>(exerciser.method(20))->xmlContent(),
              ApiTest::sampleXml());
    EXPECT_TRUE(static_cast<UploadLumoraMethod*>(exerciser.method(23))->isSuccess());
    EXPECT_TRUE(static_cast<UploadMaterialMethod*>(exerciser.method(3))->isSuccess());
    EXPECT_TRUE(static_cast<GetFirstObjectMethod*>(exerciser.method(2))->isSuccess());
}

TEST(ApiTestRunTest, AnUploadWithoutItsIconStopsTheQueue)
{
    ReferenceServer server;
    ASSERT_TRUE(server.start());
    WebTest::ScopedBaseUrl url(server.baseUrl());
    WorkingFolder folder(false);
    ApiTest exerciser;
    for (int const test : {3, 21})
        exerciser.enqueue(test);
    exerciser.methodFinished();
    EXPECT_EQ(exerciser.queuedTests(), QList<int>{21});
    EXPECT_EQ(exerciser.client()->pendingCount(), 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(server.requests().isEmpty());
}

} // namespace
