#pragma once

// Set-up shared by the database dialog and upload tests: a fresh storage folder, a core with
// its template store, the icon sample, the base URL of a test server, and a scripted template
// list served by the hostile server.

#include "AppTestSupport.h"
#include "TemplateStoreTestSupport.h"
#include "WebTestSupport.h"

#include "refserver/HostileServer.h"
#include "refserver/ReferenceServer.h"
#include "refserver/SampleTemplates.h"

#include "app/KelTemplate.h"
#include "app/StoragePaths.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "web/ApiInteractor.h"

#include <QTreeWidget>

#include <functional>
#include <memory>

namespace WebTest {

// A core on a fresh storage folder (templates loaded from it) and the icon sample.
class CoreFixture
{
public:
    CoreFixture()
    {
        m_home.makeTemplateFolders();
    }
    ~CoreFixture()
    {
        m_core.reset();
        ApiInteractor::setDefaultTransferTimeout(0);
        ApiInteractor::setDefaultCallDeadline(0);
    }

    // A service that never answers ends only by the timeout: short for such cases alone, so that
    // a slow machine cannot make an answered call time out.
    static void expectSilence(bool silent) { ApiInteractor::setDefaultTransferTimeout(silent ? 3000 : 0); }

    // Writes a template file into the template folder (before start()).
    void installFile(QString const& uuid, QString const& name, QString const& version,
                     bool unknownNodeType = false)
    {
        StoreTest::writeFile(StoragePaths::objectTemplatePath(uuid),
                             SampleTemplates::templateFile(uuid, name, version, unknownNodeType));
    }

    // Makes the core, loads the store and gives it browser trees.
    TwCore* start()
    {
        m_core = std::make_unique<TwCore>(&window);
        window.setCore(m_core.get());
        m_core->templateStore()->loadObjectTemplates();
        m_core->templateStore()->setFilterBrowserTreeWidget(&filterTree);
        m_core->templateStore()->setSpecialFXBrowserTreeWidget(&specialFXTree);
        return m_core.get();
    }
    TwCore* core() const { return m_core.get(); }
    void stop() { m_core.reset(); }

    QString storageRoot() const { return m_home.storageRoot(); }
    QString dataHome() const { return m_home.path(); }

    AppTest::RecordingMainWindow window;
    QTreeWidget filterTree;
    QTreeWidget specialFXTree;

private:
    AppTest::ScopedDataHome m_home;
    StoreTest::PreviewScope m_preview;
    std::unique_ptr<TwCore> m_core;
};

// One entry of a scripted template list.
struct ListedItem
{
    QByteArray id;   // JSON text of the id
    QString uuid;
    QString name;
    QString version;
    QByteArray icon;
};

// Answers the list calls from `items` (get_next finds the item after the id it was sent; the id
// JSON text is what the reply carries) and every content download from `content`, which gets the
// request and returns the whole HTTP reply.
inline HostileServer::Handler lumoraList(
    std::function<QList<ListedItem>()> items,
    std::function<HostileServer::Reply(RecordedRequest const&)> content = {})
{
    return [items, content](RecordedRequest const& request) -> HostileServer::Reply {
        auto itemJson = [](ListedItem const& item) {
            return "{\"id\": " + item.id + ", \"uuid\": " + ReferenceServer::jsonText(item.uuid)
                   + ", \"name\": " + ReferenceServer::jsonText(item.name) + ", \"version\": "
                   + ReferenceServer::jsonText(item.version) + ", \"icon\": \""
                   + item.icon.toBase64() + "\"}";
        };
        QList<ListedItem> const list = items();
        if (request.call == QLatin1String("get_first_lumora"))
            return HostileServer::json(list.isEmpty() ? QByteArray("{\"lu_mora\": null}")
                                                      : "{\"lu_mora\": " + itemJson(list.first()) + "}");
        if (request.call == QLatin1String("get_next_lumora")) {
            QByteArray const id = request.field(QStringLiteral("id"));
            for (qsizetype i = 0; i + 1 < list.size(); ++i) {
                QByteArray text = list.at(i).id;
                text.replace('"', "");
                if (text == id)
                    return HostileServer::json("{\"lumora\": " + itemJson(list.at(i + 1)) + "}");
            }
            return HostileServer::json("{\"lumora\": null}");
        }
        if (content)
            return content(request);
        return HostileServer::json("{\"live_lumora\": null}");
    };
}

// The rows of the dialog's list as "name|version|local|checked".
inline QStringList rowsOf(QTreeWidget* tree)
{
    QStringList rows;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = tree->topLevelItem(i);
        rows << QStringList{row->text(0), row->text(1), row->text(2),
                            row->checkState(3) == Qt::Checked ? QStringLiteral("x") : QStringLiteral("-")}
                    .join(QLatin1Char('|'));
    }
    return rows;
}

} // namespace WebTest
