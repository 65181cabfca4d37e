#include "browser/DeviceBrowserModel.h"

#include "browser/DriveInfo.h"
#include "style/KelStyleConfig.h"

#include <QDir>
#include <QEvent>
#include <QStandardPaths>

DeviceBrowserModel::DeviceBrowserModel(QObject* parent)
    : DeviceBrowserModel(parent, QStringLiteral("/proc/self/mountinfo"), QStringLiteral("/sys"))
{
}

DeviceBrowserModel::DeviceBrowserModel(QObject* parent, QString const& mountInfoPath, QString const& sysRoot)
    : QAbstractListModel(parent)
{
    build(mountInfoPath, sysRoot);
}

void DeviceBrowserModel::build(QString const& mountInfoPath, QString const& sysRoot)
{
    auto pixmap = [](char const* key) {
        return KelStyleConfig::instance()->value<QPixmap>(QString::fromLatin1(key));
    };
    m_places.append({tr("Home"), QDir::homePath(), pixmap("home_folder_icon")});
    struct Standard {
        QString name;
        QStandardPaths::StandardLocation location;
        char const* icon;
    };
    const Standard standards[] = {
        {tr("Images"), QStandardPaths::PicturesLocation, "folder_icon"},
        {tr("Desktop"), QStandardPaths::DesktopLocation, "desktop_icon"},
        {tr("Documents"), QStandardPaths::DocumentsLocation, "documents_icon"},
    };
    for (Standard const& standard : standards) {
        const QString path = QStandardPaths::writableLocation(standard.location);
        if (!path.isEmpty() && QDir(path).exists())
            m_places.append({standard.name, path, pixmap(standard.icon)});
    }

    for (DriveInfo const& drive : MountTable::listedVolumes(mountInfoPath, sysRoot)) {
        QPixmap icon;
        if (drive.kind == 4)
            icon = pixmap("usb_stick_icon");
        else if (drive.kind == 2)
            icon = pixmap("dvd_disk_icon");
        m_places.append({drive.path.section(QLatin1Char('/'), -1), drive.path, icon});
    }
}

int DeviceBrowserModel::rowCount(QModelIndex const&) const
{
    return int(m_places.size());
}

QVariant DeviceBrowserModel::data(QModelIndex const& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_places.size())
        return QVariant();
    PlaceDescriptor const& place = m_places.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return place.name;
    case Qt::DecorationRole:
        return place.icon;
    case Qt::UserRole:
        return place.path;
    default:
        return QVariant();
    }
}

bool DeviceBrowserModel::eventFilter(QObject*, QEvent* event)
{
    return event->type() == QEvent::Wheel;
}
