#include "web/TwDatabaseDialog.h"

#include "ui_TwDatabaseDialog.h"

#include "app/KelTemplate.h"
#include "app/PlainTextWidgets.h"
#include "app/ShownText.h"
#include "app/StoragePaths.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "effects/VyxNodeGraph.h"
#include "web/ServiceFailureText.h"
#include "web/ServiceIcon.h"
#include "web/WebServiceConfig.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryFile>
#include <QTreeWidgetItem>

#include <filesystem>
#include <system_error>

namespace {

int const kUuidRole = Qt::UserRole;
int const kIsTemplateRole = Qt::UserRole + 1;
int const kIconRole = Qt::UserRole + 2;
// The version as the service wrote it, asked for again at the download; the row shows it cut.
int const kVersionRole = Qt::UserRole + 3;
int const kInstallColumn = 3;

} // namespace

TwDatabaseDialog::TwDatabaseDialog(QWidget* parent, TwCore* core)
    : QDialog(parent),
      ui(std::make_unique<Ui::DatabaseDialog>()),
      m_core(core),
      m_client(WebServiceConfig::baseUrl())
{
    ui->setupUi(this);
    ui->treeWidget->setColumnWidth(0, 180);
    connect(&m_getFirst, &AbstractApiMethod::finished, this, &TwDatabaseDialog::lumoraDownloadReceived);
    connect(&m_getNext, &AbstractApiMethod::finished, this, &TwDatabaseDialog::lumoraDownloadReceived);
    connect(&m_xmlDownload, &AbstractApiMethod::finished, this,
            &TwDatabaseDialog::lumoraXMLDownloadReceived);
    on_fetchLumoraList_clicked();
}

TwDatabaseDialog::~TwDatabaseDialog() = default;

QString TwDatabaseDialog::statusText() const
{
    return ui->statusLabel->text();
}

QString TwDatabaseDialog::noServiceText() const
{
    QString const problem = WebServiceConfig::baseUrlProblem(m_client.baseUrl());
    if (!problem.isEmpty())
        return tr("The address of the template web service in the setting \"%1\" is malformed: %2")
            .arg(WebServiceConfig::baseUrlSettingKey(), problem);
    return tr("No template web service is set up: the setting \"%1\" must hold the service's "
              "address. See Help > Vyx-Solenne Help > First Steps to make an effect without "
              "templates.")
        .arg(WebServiceConfig::baseUrlSettingKey());
}

void TwDatabaseDialog::debugLine(QString const& text) const
{
    qDebug().noquote() << "TwDatabaseDialog:" << text;
    if (m_core)
        m_core->addDebugText(text);
}

void TwDatabaseDialog::adjustUI(bool busy, QString const& text)
{
    m_busy = busy;
    // Status texts carry the service's words and names: never more than a few lines of them.
    PlainTextWidgets::setText(ui->statusLabel, text);
    ui->buttonBox->setEnabled(!busy);
    // A click while busy would resend a call that is still running.
    ui->fetchLumoraList->setEnabled(!busy);
    ui->updateButton->setEnabled(!busy);
    if (!busy)
        emit idle();
}

// --- the list ----------------------------------------------------------------------------------

void TwDatabaseDialog::on_fetchLumoraList_clicked()
{
    if (m_busy)
        return;
    ui->treeWidget->clear();
    m_installedRows.clear();
    if (!m_client.hasUsableBaseUrl()) {
        adjustUI(false, noServiceText());
        return;
    }
    m_seenIds.clear();
    m_listedItems = 0;
    m_fetching = true;
    adjustUI(true, tr("Fetching list of updated or new image filters and effects ..."));
    m_currentListCall = &m_getFirst;
    m_client.executeMethod(&m_getFirst);
}

void TwDatabaseDialog::lumoraDownloadReceived()
{
    AbstractDownloadMethod* current = m_currentListCall;
    if (!m_fetching || sender() != current)
        return;
    if (current->hasFailed() || !current->isSuccess()) {
        // No item ends the list; a failed call is no empty catalogue.
        endWalk(current->hasFailed() ? tr("Fetching the template list failed: %1")
                                           .arg(ServiceFailureText::of(*current, current->isSuccess()))
                                     : QString());
        return;
    }
    int const id = current->id();
    if (m_seenIds.contains(id)) {
        debugLine(tr("The service listed the id %1 twice; the list ends there.").arg(id));
        endWalk(QString());
        return;
    }
    m_seenIds.insert(id);
    checkAndAddDownload(current, true);
    if (++m_listedItems >= maxListItems) {
        endWalk(tr("The list is cut short after %1 templates.").arg(maxListItems));
        return;
    }
    m_getNext.setID(QStringLiteral("%1").arg(id));
    m_currentListCall = &m_getNext;
    m_client.executeMethod(&m_getNext);
}

void TwDatabaseDialog::endWalk(QString const& note)
{
    m_fetching = false;
    QString text;
    if (ui->treeWidget->topLevelItemCount() > 0)
        text = tr("Click \"Install Templates\"");
    if (!note.isEmpty())
        text = text.isEmpty() ? note : note + QLatin1Char(' ') + text;
    adjustUI(false, text);
}

void TwDatabaseDialog::checkAndAddDownload(AbstractDownloadMethod* method, bool isLumora)
{
    QString const uuid = method->uuid();
    // The UUID becomes a file name: nothing but a braced UUID may be listed.
    if (!StoragePaths::isValidTemplateUuid(uuid)) {
        debugLine(tr("Skipped the template \"%1\": \"%2\" is not a valid UUID.")
                      .arg(method->name(), uuid));
        return;
    }
    KelTemplate const* installed =
        m_core && m_core->templateStore() ? m_core->templateStore()->getObjectTemplateFromUuid(uuid)
                                          : nullptr;
    if (installed && method->version().toDouble() <= installed->version().toDouble())
        return;

    // Never the picture at full size: a small file can decode to a gigabyte.
    QPixmap const icon = QPixmap::fromImage(ServiceIcon::read(method->icon()));
    auto* row = new QTreeWidgetItem;
    row->setText(0, ShownText::name(method->name()));
    row->setIcon(0, QIcon(icon));
    row->setData(0, kUuidRole, uuid);
    row->setData(0, kIsTemplateRole, isLumora);
    row->setData(0, kIconRole, icon);
    row->setData(0, kVersionRole, method->version());
    row->setText(1, ShownText::name(method->version()));
    row->setText(2, installed ? QString::number(installed->version().toDouble(), 'g', 6)
                              : QStringLiteral("-"));
    row->setCheckState(kInstallColumn, Qt::Checked);
    ui->treeWidget->addTopLevelItem(row);
}

// --- installing --------------------------------------------------------------------------------

void TwDatabaseDialog::on_updateButton_clicked()
{
    if (m_busy)
        return;
    if (!m_client.hasUsableBaseUrl()) {
        adjustUI(false, noServiceText());
        return;
    }
    m_installing = true;
    m_installedRows.clear();
    m_installProblem.clear();
    adjustUI(true, tr("Installing templates..."));
    m_installIndex = 0;
    updateNextTemplate();
}

void TwDatabaseDialog::updateNextTemplate()
{
    int const rows = ui->treeWidget->topLevelItemCount();
    while (m_installIndex < rows
           && ui->treeWidget->topLevelItem(m_installIndex)->checkState(kInstallColumn) != Qt::Checked)
        ++m_installIndex;
    if (m_installIndex >= rows) {
        m_installing = false;
        QString const status = installSummary(int(m_installedRows.size()), 0);
        ui->treeWidget->clear();
        m_installedRows.clear();
        adjustUI(false, status);
        return;
    }
    QTreeWidgetItem* row = ui->treeWidget->topLevelItem(m_installIndex);
    m_xmlDownload.setUUID(row->data(0, kUuidRole).toString());
    m_xmlDownload.setVersion(row->data(0, kVersionRole).toString());
    m_client.executeMethod(&m_xmlDownload);
}

void TwDatabaseDialog::lumoraXMLDownloadReceived()
{
    if (!m_installing)
        return;
    QTreeWidgetItem* row = ui->treeWidget->topLevelItem(m_installIndex);
    QString const name = ShownText::name(row ? row->text(0) : m_xmlDownload.uuid(), 80);
    if (m_xmlDownload.hasFailed() || !m_xmlDownload.isSuccess()) {
        endInstallation(tr("Downloading the template \"%1\" failed: %2")
                            .arg(name, ServiceFailureText::of(m_xmlDownload, m_xmlDownload.isSuccess(),
                                                              tr("the service sent no template."))));
        return;
    }
    QByteArray content = m_xmlDownload.xmlContent();
    if (!installDownloadedTemplate(true, content, m_xmlDownload.uuid())) {
        endInstallation(tr("The template \"%1\" could not be installed: %2").arg(name, m_installProblem));
        return;
    }
    if (row)
        m_installedRows.append(row);
    ++m_installIndex;
    updateNextTemplate();
}

void TwDatabaseDialog::endInstallation(QString const& status)
{
    m_installing = false;
    // The run stops at the first failure: that row and every checked row after it stay
    // uninstalled, and all of them count as failed.
    int failed = 1;
    for (int i = m_installIndex + 1; i < ui->treeWidget->topLevelItemCount(); ++i) {
        if (ui->treeWidget->topLevelItem(i)->checkState(kInstallColumn) == Qt::Checked)
            ++failed;
    }
    QString const summary = installSummary(int(m_installedRows.size()), failed);
    qDeleteAll(m_installedRows);
    m_installedRows.clear();
    adjustUI(false, summary + QLatin1Char(' ') + status);
}

QString TwDatabaseDialog::installSummary(int installed, int failed) const
{
    return tr("Templates installed: %1, failed: %2.").arg(installed).arg(failed);
}

void TwDatabaseDialog::refuseInstall(QString const& problem)
{
    m_installProblem = problem;
    debugLine(problem);
}

bool TwDatabaseDialog::installDownloadedTemplate(bool isLumora, QByteArray& content, QString uuid)
{
    QString const path = StoragePaths::objectTemplatePath(uuid);
    if (path.isEmpty()) {
        refuseInstall(tr("\"%1\" is not a valid UUID.").arg(uuid));
        return false;
    }
    QDir().mkpath(StoragePaths::objectTemplatesFolder());

    // Beside the template folder, so that the store never lists a half-written file.
    QTemporaryFile file(StoragePaths::storageRoot() + QStringLiteral("/download-XXXXXX"));
    if (!file.open() || file.write(content) != content.size() || !file.flush()) {
        refuseInstall(tr("The template %1 could not be written: %2").arg(uuid, file.errorString()));
        return false;
    }
    file.close();

    // Checked with the store's own reading before it replaces anything.
    int code = -2;
    QString name;
    {
        KelTemplate probe(file.fileName());
        KelVyxNodes::VyxNodeGraph root(nullptr);
        KelNodes::NodeGraph* graph = probe.loadNodeGraphFromFile(&root, true, false, true, &code);
        if (!graph) {
            refuseInstall(tr("The download of %1 is no template; the installed one is kept.").arg(uuid));
            return false;
        }
        // Exactly the row's UUID in the store's own form: any other text is a template the store
        // would refuse on the next start, with the installed file gone.
        if (!StoragePaths::isValidTemplateUuid(probe.uuid()) || probe.uuid() != uuid) {
            refuseInstall(tr("The download of %1 holds the template \"%2\"; the installed one is "
                             "kept.")
                              .arg(uuid, ShownText::name(probe.uuid(), 80)));
            return false;
        }
        name = probe.name();
    }
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                        | QFileDevice::ReadOther);
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(file.fileName().toStdString()),
                            std::filesystem::path(path.toStdString()), error);
    if (error) {
        refuseInstall(tr("The template %1 could not be installed: %2")
                          .arg(uuid, QString::fromStdString(error.message())));
        return false;
    }
    file.setAutoRemove(false);

    if (code < 0) {
        // The store takes complete loads only: the template comes with the next start.
        QFile::remove(StoragePaths::objectIconPath(uuid));
        debugLine(tr("The template \"%1\" (%2) was installed, but not every part of it could be "
                     "read (for example a node type this program lacks); it appears after the "
                     "next start.")
                      .arg(name, uuid));
    }
    if (m_core && m_core->templateStore())
        m_core->templateStore()->addUpdatedTemplate(isLumora, uuid, path);
    return true;
}

// --- preview and selection ---------------------------------------------------------------------

void TwDatabaseDialog::on_treeWidget_currentItemChanged(QTreeWidgetItem* item, QTreeWidgetItem*)
{
    QPixmap const pixmap = item ? item->data(0, kIconRole).value<QPixmap>() : QPixmap();
    ui->iconLabel->setPixmap(pixmap);
}

void TwDatabaseDialog::on_selectAllButton_clicked()
{
    for (int i = 0; i < ui->treeWidget->topLevelItemCount(); ++i)
        ui->treeWidget->topLevelItem(i)->setCheckState(kInstallColumn, Qt::Checked);
}

void TwDatabaseDialog::on_deselectAllButton_clicked()
{
    for (int i = 0; i < ui->treeWidget->topLevelItemCount(); ++i)
        ui->treeWidget->topLevelItem(i)->setCheckState(kInstallColumn, Qt::Unchecked);
}
