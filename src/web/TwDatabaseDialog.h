#pragma once

#include "web/ApiInteractor.h"
#include "web/DownloadLumoraMethod.h"
#include "web/DownloadLumoraXMLContentMethod.h"
#include "web/GetFirstLumoraMethod.h"
#include "web/GetNextLumoraMethod.h"

#include <QDialog>
#include <QList>
#include <QSet>
#include <QString>

#include <memory>

class QTreeWidgetItem;
class TwCore;

namespace Ui {
class DatabaseDialog;
}

// The modal dialog that brings the installed effect templates up to date with the web service:
// pages through the service's template list, lists the new and newer ones, and installs the
// checked ones one at a time into the template folder through the template store.
//
// Sound behaviour where the service cannot be trusted:
// - a listed UUID must be a braced UUID (it becomes a file name); other rows are skipped;
// - the walk stops at a repeated id and after maxListItems items;
// - a download is written to a temporary file, checked by loading it (its UUID must be the row's,
//   in the store's braced form), and only then renamed over the installed file: a bad download
//   leaves the installed template alone;
// - icons are read through their header and kept at preview size (see ServiceIcon);
// - a failed list call is reported, not shown as an empty list; an installation run stops at
//   its first failure and ends with how many templates were installed and how many failed (the
//   failed row and every checked row after it), with the first reason;
// - what the service says reaches the status line cut to a few lines;
// - Fetch, Install and OK are disabled while a fetch or an installation runs.
class TwDatabaseDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int maxListItems = 10000;

    // core may be null (nothing is installed then).
    TwDatabaseDialog(QWidget* parent, TwCore* core);
    ~TwDatabaseDialog() override;

    // For tests: the client's timeout of one call.
    ApiInteractor* client() { return &m_client; }
    bool isBusy() const { return m_busy; }
    QString statusText() const;

public slots:
    void on_fetchLumoraList_clicked();
    void on_updateButton_clicked();
    void lumoraDownloadReceived();
    void lumoraXMLDownloadReceived();
    void updateNextTemplate();
    void on_treeWidget_currentItemChanged(QTreeWidgetItem* item, QTreeWidgetItem* previous);
    void on_selectAllButton_clicked();
    void on_deselectAllButton_clicked();

signals:
    // The busy state ended (the walk or an installation run is over).
    void idle();

private:
    void adjustUI(bool busy, QString const& text);
    void checkAndAddDownload(AbstractDownloadMethod* method, bool isLumora);
    // Writes, checks and installs one downloaded template; false (with a debug line) when the
    // content is no template of that UUID or cannot be written. The installed file stays then.
    bool installDownloadedTemplate(bool isLumora, QByteArray& content, QString uuid);
    // Ends a run after a row failed: installed rows go, the others stay; the failed row and the
    // checked rows after it count as failed.
    void endInstallation(QString const& status);
    QString installSummary(int installed, int failed) const;
    // Keeps why the current row was not installed (for the status) and logs it.
    void refuseInstall(QString const& problem);
    void endWalk(QString const& note);
    void debugLine(QString const& text) const;
    QString noServiceText() const;

    std::unique_ptr<Ui::DatabaseDialog> ui;
    TwCore* m_core;
    int m_installIndex = 0;
    AbstractDownloadMethod* m_currentListCall = nullptr;
    ApiInteractor m_client;
    DownloadLumoraXMLContentMethod m_xmlDownload;
    DownloadLumoraMethod m_download;
    GetFirstLumoraMethod m_getFirst;
    GetNextLumoraMethod m_getNext;

    bool m_busy = false;
    bool m_fetching = false;
    bool m_installing = false;
    QSet<int> m_seenIds;
    int m_listedItems = 0;
    QList<QTreeWidgetItem*> m_installedRows;
    QString m_installProblem;
};
