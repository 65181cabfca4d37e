// Every service call sent to the reference server: its name on the wire, its fields in order,
// the headers the server checks, and the reply keys its accessors read.

#include "WebTestSupport.h"

#include "refserver/ReferenceServer.h"
#include "refserver/SampleTemplates.h"

#include "web/ApiInteractor.h"
#include "web/DownloadLumoraMethod.h"
#include "web/DownloadLumoraXMLContentMethod.h"
#include "web/DownloadMaterialMethod.h"
#include "web/DownloadMaterialXMLContentMethod.h"
#include "web/DownloadNLPExtensionMethod.h"
#include "web/DownloadNLPXmlContentMethod.h"
#include "web/DownloadObjectMethod.h"
#include "web/DownloadObjectXMLContentMethod.h"
#include "web/GetFirstLumoraMethod.h"
#include "web/GetFirstMaterialMethod.h"
#include "web/GetFirstNLPExtensionMethod.h"
#include "web/GetFirstObjectMethod.h"
#include "web/GetNextLumoraMethod.h"
#include "web/GetNextMaterialMethod.h"
#include "web/GetNextNLPExtensionMethod.h"
#include "web/GetNextObjectMethod.h"
#include "web/LoginMethod.h"
#include "web/SearchLumoraMethod.h"
#include "web/SearchMaterialsMethod.h"
#include "web/SearchNLPExtensionMethod.h"
#include "web/SearchObjectsMethod.h"
#include "web/UploadCloudImageMethod.h"
#include "web/UploadLumoraMethod.h"
#include "web/UploadMaterialMethod.h"
#include "web/UploadNLPExtensionMethod.h"
#include "web/UploadObjectMethod.h"
#include "web/WebServiceConfig.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

class ServiceCallsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start());
        for (QString const& kind : {QStringLiteral("lumora"), QStringLiteral("material"),
                                   QStringLiteral("object")}) {
            ReferenceServer::Item item;
            item.id = kind.size();
            item.uuid = QStringLiteral("uuid-") + kind;
            item.name = QStringLiteral("Caf\u00e9 ") + kind;
            item.version = QStringLiteral("1.5");
            item.createdBy = QStringLiteral("Ann");
            item.xml = "<graph>\xC3\xA9\"\\</graph>";
            item.icon = SampleTemplates::pngIcon(Qt::green);
            item.views = 9;
            server.addItem(kind, item);
            item.id += 100;
            item.uuid += QStringLiteral("-2");
            server.addItem(kind, item);
        }
        ReferenceServer::Item nlp;
        nlp.idText = QStringLiteral("0042");
        nlp.uuid = QStringLiteral("uuid-nlp");
        nlp.name = QStringLiteral("left hand");
        nlp.version = QStringLiteral("1.0");
        nlp.nlpType = QStringLiteral("grammar");
        nlp.supportedLanguage = QStringLiteral("english");
        nlp.xml = "<nlp/>";
        server.addItem(QStringLiteral("nlp_extension"), nlp);
        client = std::make_unique<ApiInteractor>(server.baseUrl());
    }

    // Sends the call and waits for its one finished().
    RecordedRequest send(AbstractApiMethod& method)
    {
        QSignalSpy spy(&method, &AbstractApiMethod::finished);
        qsizetype const before = server.requests().size();
        client->executeMethod(&method);
        EXPECT_TRUE(WebTest::waitForCount(spy, 1));
        EXPECT_EQ(spy.count(), 1);
        if (server.requests().size() != before + 1) {
            ADD_FAILURE() << "the server did not record the call";
            return RecordedRequest();
        }
        return server.requests().last();
    }

    ReferenceServer server;
    std::unique_ptr<ApiInteractor> client;
};

struct CallCase
{
    char const* call;
    std::function<AbstractApiMethod*()> make;
    QStringList fields;
    std::function<void(AbstractApiMethod*)> check;
};

template<typename T>
T* as(AbstractApiMethod* method)
{
    return static_cast<T*>(method);
}

QStringList names(std::initializer_list<char const*> list)
{
    QStringList out;
    for (char const* name : list)
        out << QString::fromLatin1(name);
    return out;
}

TEST_F(ServiceCallsTest, EveryCallReachesTheServerWithItsFieldsAndReadsItsReply)
{
    QByteArray const xml = "<graph>\xC3\xA9\"\\</graph>";
    QByteArray const png = SampleTemplates::pngIcon(Qt::green);
    auto uploadCase = [&](char const* call, std::function<AbstractUploadMethod*()> make,
                          char const* key) {
        return CallCase{call,
                        [make, png] {
                            AbstractUploadMethod* upload = make();
                            upload->setName(QStringLiteral("N\u00e9w"));
                            upload->setCreator(QStringLiteral("Bob Smith"));
                            upload->setUUID(QStringLiteral("uuid-new"));
                            upload->setVersion(QStringLiteral("2.0"));
                            upload->setUserID(QStringLiteral("1"));
                            upload->setXMLContent(QByteArray("<g>\0\xFF</g>", 9));
                            upload->setIcon(png);
                            return upload;
                        },
                        names({"created_by", "icon", "name", "secret_token", "user_id", "uuid",
                               "version", "xml_content"}),
                        [key](AbstractApiMethod* method) {
                            auto* upload = as<AbstractUploadMethod>(method);
                            EXPECT_TRUE(upload->isSuccess()) << key;
                            EXPECT_EQ(upload->uuid(), QStringLiteral("uuid-new"));
                            EXPECT_EQ(upload->name(), QStringLiteral("N\u00e9w"));
                            EXPECT_FLOAT_EQ(upload->version(), 2.0f);
                            EXPECT_TRUE(upload->errors().isEmpty());
                        }};
    };
    auto firstCase = [](char const* call, std::function<AbstractDownloadMethod*()> make,
                        std::function<int(AbstractDownloadMethod*)> count, char const* kind) {
        return CallCase{call, [make] { return make(); }, names({"secret_token"}),
                        [count, kind](AbstractApiMethod* method) {
                            auto* first = as<AbstractDownloadMethod>(method);
                            EXPECT_TRUE(first->isSuccess());
                            EXPECT_EQ(first->uuid(), QStringLiteral("uuid-") + QLatin1String(kind));
                            EXPECT_EQ(first->name(),
                                      QStringLiteral("Caf\u00e9 ") + QLatin1String(kind));
                            EXPECT_EQ(first->version(), QStringLiteral("1.5"));
                            EXPECT_EQ(first->id(), int(qstrlen(kind)));
                            EXPECT_EQ(first->icon(), SampleTemplates::pngIcon(Qt::green));
                            EXPECT_EQ(count(first), 2);
                        }};
    };
    auto nextCase = [](char const* call, std::function<AbstractDownloadMethod*(QString)> make,
                       char const* kind) {
        return CallCase{call, [make, kind] { return make(QString::number(qstrlen(kind))); },
                        names({"id", "secret_token"}),
                        [kind](AbstractApiMethod* method) {
                            auto* next = as<AbstractDownloadMethod>(method);
                            EXPECT_TRUE(next->isSuccess());
                            EXPECT_EQ(next->uuid(), QStringLiteral("uuid-%1-2").arg(QLatin1String(kind)));
                            EXPECT_EQ(next->id(), int(qstrlen(kind)) + 100);
                        }};
    };
    auto downloadCase = [](char const* call, std::function<AbstractDownloadMethod*()> make,
                           char const* kind) {
        return CallCase{call,
                        [make, kind] {
                            AbstractDownloadMethod* download = make();
                            download->setUUID(QStringLiteral("uuid-") + QLatin1String(kind));
                            download->setVersion(QStringLiteral("1.5"));
                            return download;
                        },
                        names({"secret_token", "uuid", "version"}),
                        [](AbstractApiMethod* method) {
                            auto* download = as<AbstractDownloadMethod>(method);
                            EXPECT_TRUE(download->isSuccess());
                            int views = 0;
                            QString createdBy;
                            if (auto* d = qobject_cast<DownloadLumoraMethod*>(download)) {
                                views = d->views();
                                createdBy = d->createdBy();
                            } else if (auto* m = qobject_cast<DownloadMaterialMethod*>(download)) {
                                views = m->views();
                                createdBy = m->createdBy();
                            } else if (auto* o = qobject_cast<DownloadObjectMethod*>(download)) {
                                views = o->views();
                                createdBy = o->createdBy();
                            }
                            EXPECT_EQ(views, 9);
                            EXPECT_EQ(createdBy, QStringLiteral("Ann"));
                        }};
    };
    auto contentCase = [xml](char const* call, std::function<AbstractDownloadXMLContentMethod*()> make,
                             char const* kind) {
        return CallCase{call,
                        [make, kind] {
                            AbstractDownloadXMLContentMethod* content = make();
                            content->setUUID(QStringLiteral("uuid-") + QLatin1String(kind));
                            content->setVersion(QStringLiteral("1.5"));
                            return content;
                        },
                        names({"secret_token", "uuid", "version"}),
                        [xml, kind](AbstractApiMethod* method) {
                            auto* content = as<AbstractDownloadXMLContentMethod>(method);
                            EXPECT_TRUE(content->isSuccess());
                            EXPECT_EQ(content->xmlContent(), xml);
                            EXPECT_EQ(content->uuid(), QStringLiteral("uuid-") + QLatin1String(kind));
                        }};
    };
    auto searchCase = [](char const* call, std::function<AbstractSearchMethod*()> make,
                         char const* kind) {
        return CallCase{call,
                        [make, kind] {
                            AbstractSearchMethod* search = make();
                            search->setKeyWord(QStringLiteral("uuid-") + QLatin1String(kind));
                            return search;
                        },
                        names({"keyword", "secret_token"}),
                        [](AbstractApiMethod* method) {
                            auto* search = as<AbstractSearchMethod>(method);
                            int hits = 0;
                            for (search->first(); !search->atEnd(); search->next()) {
                                ++hits;
                                EXPECT_EQ(search->version(), QStringLiteral("1.5"));
                                EXPECT_TRUE(search->name().startsWith(QStringLiteral("Caf\u00e9")));
                            }
                            EXPECT_EQ(hits, 2);
                        }};
    };

    std::vector<CallCase> cases{
        {"get_user_session",
         [] {
             auto* login = new LoginMethod;
             login->setLogin(QStringLiteral("devs"));
             login->setPassword(QStringLiteral("key"));
             return login;
         },
         names({"login", "password", "secret_token"}),
         [](AbstractApiMethod* method) {
             auto* login = as<LoginMethod>(method);
             EXPECT_TRUE(login->hasUser());
             EXPECT_EQ(login->userId(), 1);
             EXPECT_EQ(login->loginCount(), 3);
             EXPECT_EQ(login->email(), QStringLiteral("devs@example.org"));
             EXPECT_TRUE(login->lastLoginAt().isValid());
         }},
        firstCase("get_first_lumora", [] { return new GetFirstLumoraMethod; },
                  [](AbstractDownloadMethod* m) { return as<GetFirstLumoraMethod>(m)->objectCount(); },
                  "lumora"),
        firstCase("get_first_material", [] { return new GetFirstMaterialMethod; },
                  [](AbstractDownloadMethod* m) { return as<GetFirstMaterialMethod>(m)->materailCount(); },
                  "material"),
        firstCase("get_first_object", [] { return new GetFirstObjectMethod; },
                  [](AbstractDownloadMethod* m) { return as<GetFirstObjectMethod>(m)->objectCount(); },
                  "object"),
        nextCase("get_next_lumora", [](QString id) { auto* m = new GetNextLumoraMethod; m->setID(id); return m; }, "lumora"),
        nextCase("get_next_material", [](QString id) { auto* m = new GetNextMaterialMethod; m->setID(id); return m; }, "material"),
        nextCase("get_next_object", [](QString id) { auto* m = new GetNextObjectMethod; m->setID(id); return m; }, "object"),
        downloadCase("download_lumora", [] { return new DownloadLumoraMethod; }, "lumora"),
        downloadCase("download_material", [] { return new DownloadMaterialMethod; }, "material"),
        downloadCase("download_object", [] { return new DownloadObjectMethod; }, "object"),
        contentCase("download_lumora_xml_content", [] { return new DownloadLumoraXMLContentMethod; }, "lumora"),
        contentCase("download_material_xml_content", [] { return new DownloadMaterialXMLContentMethod; }, "material"),
        contentCase("download_object_xml_content", [] { return new DownloadObjectXMLContentMethod; }, "object"),
        uploadCase("upload_lumora", [] { return new UploadLumoraMethod; }, "lumora"),
        uploadCase("upload_material", [] { return new UploadMaterialMethod; }, "material"),
        uploadCase("upload_object", [] { return new UploadObjectMethod; }, "object"),
        searchCase("search_lumora", [] { return new SearchLumoraMethod; }, "lumora"),
        searchCase("search_materials", [] { return new SearchMaterialsMethod; }, "material"),
        searchCase("search_objects", [] { return new SearchObjectsMethod; }, "object"),
        {"get_first_nlp_extension", [] { return new GetFirstNLPExtensionMethod; },
         names({"secret_token"}),
         [](AbstractApiMethod* method) {
             auto* first = as<GetFirstNLPExtensionMethod>(method);
             EXPECT_TRUE(first->isSuccess());
             EXPECT_EQ(first->id(), QStringLiteral("0042"));
             EXPECT_EQ(first->nlpType(), QStringLiteral("grammar"));
             EXPECT_EQ(first->supportedLanguage(), QStringLiteral("english"));
             EXPECT_EQ(first->userId(), QStringLiteral("1"));
             EXPECT_TRUE(first->createdAt().isValid());
         }},
        {"get_next_nlp_extension",
         [] {
             auto* next = new GetNextNLPExtensionMethod;
             next->setId(QStringLiteral("0042"));
             return next;
         },
         names({"id", "secret_token"}),
         [](AbstractApiMethod* method) { EXPECT_FALSE(as<GetNextNLPExtensionMethod>(method)->isSuccess()); }},
        {"download_nlp_extension",
         [] {
             auto* download = new DownloadNLPExtensionMethod;
             download->setUuid(QStringLiteral("uuid-nlp"));
             download->setVersion(QStringLiteral("1.0"));
             return download;
         },
         names({"secret_token", "uuid", "version"}),
         [](AbstractApiMethod* method) {
             EXPECT_EQ(as<DownloadNLPExtensionMethod>(method)->name(), QStringLiteral("left hand"));
         }},
        {"download_nlp_xml_content",
         [] {
             auto* download = new DownloadNLPXmlContentMethod;
             download->setUuid(QStringLiteral("uuid-nlp"));
             return download;
         },
         names({"secret_token", "uuid"}),
         [](AbstractApiMethod* method) {
             auto* download = as<DownloadNLPXmlContentMethod>(method);
             EXPECT_TRUE(download->isSuccess());
             EXPECT_EQ(download->xmlContent(), QByteArray("<nlp/>"));
         }},
        {"upload_nlp_extension",
         [] {
             auto* upload = new UploadNLPExtensionMethod;
             upload->setName(QStringLiteral("test"));
             upload->setNLPType(QStringLiteral("test type"));
             upload->setSupportedLanguage(QStringLiteral("english"));
             upload->setUUID(QStringLiteral("{new}"));
             upload->setVersion(QStringLiteral("1.0"));
             upload->setUserID(QStringLiteral("7"));
             upload->setXMLContent("<x a=\"1&2\"/>");
             return upload;
         },
         names({"name", "nlp_type", "secret_token", "supported_language", "user_id", "uuid",
                "version", "xml_content"}),
         [](AbstractApiMethod* method) {
             EXPECT_TRUE(as<UploadNLPExtensionMethod>(method)->isSuccess());
         }},
        {"search_nlp_extensions",
         [] {
             auto* search = new SearchNLPExtensionMethod;
             search->setKeyWord(QStringLiteral("left"));
             return search;
         },
         names({"keyword", "secret_token"}),
         [](AbstractApiMethod* method) {
             auto* search = as<SearchNLPExtensionMethod>(method);
             search->first();
             ASSERT_FALSE(search->atEnd());
             EXPECT_EQ(search->uuid(), QStringLiteral("uuid-nlp"));
         }},
        {"images",
         [png] {
             auto* image = new UploadCloudImageMethod;
             image->setImage(png);
             image->setImageTitle(QStringLiteral("title"));
             image->setText(QStringLiteral("text"));
             image->setLog(QStringLiteral("log"));
             image->setUserID(QStringLiteral("7"));
             return image;
         },
         names({"cloud_image", "cloud_log", "secret_token", "text", "title", "user_id"}),
         [](AbstractApiMethod*) {}},
    };

    for (CallCase const& c : cases) {
        SCOPED_TRACE(c.call);
        std::unique_ptr<AbstractApiMethod> method(c.make());
        EXPECT_EQ(method->methodName(), QLatin1String(c.call));
        RecordedRequest const request = send(*method);
        EXPECT_EQ(request.path, QStringLiteral("/api/") + QLatin1String(c.call));
        EXPECT_TRUE(request.problems.isEmpty()) << request.problems.join(QStringLiteral("; ")).toStdString();
        EXPECT_EQ(request.fieldNames(), c.fields);
        EXPECT_EQ(request.header("Content-Type").startsWith("multipart/form-data"),
                  method->isMultiPart());
        // What the server received is what the method built.
        EXPECT_EQ(request.body, method->data());
        c.check(method.get());
    }

    // The multipart parts of an upload, as received.
    UploadLumoraMethod upload;
    upload.setXMLContent(QByteArray("<g>\0\xFF</g>", 9));
    upload.setIcon(png);
    upload.setName(QStringLiteral("x"));
    RecordedRequest const request = send(upload);
    for (auto const& [name, field] : request.fields) {
        bool const file = name == QLatin1String("icon") || name == QLatin1String("xml_content");
        EXPECT_EQ(field.fileName, file ? name : QString()) << name.toStdString();
    }
    EXPECT_EQ(request.field(QStringLiteral("xml_content")), QByteArray("<g>\0\xFF</g>", 9));
    EXPECT_EQ(request.field(QStringLiteral("icon")), png);
}

TEST_F(ServiceCallsTest, ARefusedUploadReadsTheUnprocessableReply)
{
    server.refuseUploadsWith({{QStringLiteral("uuid"), {QStringLiteral("is taken"), QStringLiteral("is odd")}},
                              {QStringLiteral("name"), {QStringLiteral("is rude")}}});
    UploadLumoraMethod upload;
    send(upload);
    EXPECT_FALSE(upload.isSuccess());
    ASSERT_GE(upload.errors().size(), 3);
    EXPECT_EQ(upload.errors().mid(0, 1), QStringList{QStringLiteral("created_by: can't be blank")});
    EXPECT_TRUE(upload.errors().contains(QStringLiteral("uuid: is taken")));
    EXPECT_LT(upload.errors().indexOf(QStringLiteral("uuid: is taken")),
              upload.errors().indexOf(QStringLiteral("uuid: is odd")));
    EXPECT_EQ(upload.message(), QStringLiteral("The upload was refused."));
}

TEST_F(ServiceCallsTest, AReusedObjectSendsEveryFieldSetBefore)
{
    LoginMethod login;
    login.setLogin(QStringLiteral("devs"));
    login.setPassword(QStringLiteral("wrong"));
    send(login);
    EXPECT_FALSE(login.hasUser());
    login.setPassword(QStringLiteral("key"));
    RecordedRequest const request = send(login);
    EXPECT_EQ(request.field(QStringLiteral("login")), "devs");
    EXPECT_TRUE(login.hasUser());
}

} // namespace
