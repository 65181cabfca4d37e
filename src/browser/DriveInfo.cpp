#include "browser/DriveInfo.h"

#include "io/picture/FileMounts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Network shares have no block device as source, yet are volumes.
bool isNetworkType(QString const& type)
{
    static const QSet<QString> network{
        QStringLiteral("nfs"),  QStringLiteral("nfs4"),       QStringLiteral("cifs"),
        QStringLiteral("smb3"), QStringLiteral("smbfs"),      QStringLiteral("fuse.sshfs"),
        QStringLiteral("afs"),  QStringLiteral("fuse.rclone"), QStringLiteral("davfs"),
    };
    return network.contains(type);
}

QString deviceName(QString const& device)
{
    QString path = device;
    // A link such as /dev/disk/by-label/X names the real node.
    const QString resolved = QFileInfo(device).canonicalFilePath();
    if (!resolved.isEmpty())
        path = resolved;
    return path.section(QLatin1Char('/'), -1);
}

// The device's folder in sysfs, symbolic links resolved; empty when it is no block device.
QString sysfsDevicePath(QString const& name, QString const& sysRoot)
{
    if (name.isEmpty())
        return QString();
    for (QString const& folder : {QStringLiteral("/class/block/"), QStringLiteral("/block/")}) {
        const QString resolved = QFileInfo(sysRoot + folder + name).canonicalFilePath();
        if (!resolved.isEmpty())
            return resolved;
    }
    // A partition without its own entry follows its disk (sdb1 -> sdb, nvme0n1p2 -> nvme0n1).
    static const QRegularExpression partition(QStringLiteral("^(.*\\d)p\\d+$|^(.*\\D)\\d+$"));
    const QRegularExpressionMatch match = partition.match(name);
    if (match.hasMatch()) {
        const QString disk = match.captured(1).isEmpty() ? match.captured(2) : match.captured(1);
        const QString resolved = QFileInfo(sysRoot + QStringLiteral("/block/") + disk).canonicalFilePath();
        if (!resolved.isEmpty())
            return resolved;
    }
    return QString();
}

bool isBlockDevice(QString const& source, QString const& sysRoot)
{
    return source.startsWith(QLatin1Char('/')) && !sysfsDevicePath(deviceName(source), sysRoot).isEmpty();
}

} // namespace

bool driveTypeIs(QString const& device, char const* className, QString const& sysRoot)
{
    const QString kind = QString::fromLatin1(className);
    const QString name = deviceName(device).toLower();
    if (kind == QLatin1String("IOCDMedia") || kind == QLatin1String("IODVDMedia"))
        return name.startsWith(QLatin1String("sr"));
    if (kind == QLatin1String("IOUSBDevice")) {
        // Kernel device names are lower case; the comparison ignores case.
        const QString path = sysfsDevicePath(name, sysRoot);
        static const QRegularExpression usb(QStringLiteral("^usb\\d*$"));
        for (QString const& element : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
            if (usb.match(element).hasMatch())
                return true;
        }
    }
    return false;
}

namespace MountTable {

QString unescape(QByteArray const& field)
{
    return FileMounts::unescape(field);
}

QList<DriveInfo> listedVolumes(QString const& mountInfoPath, QString const& sysRoot, bool* ok)
{
    QList<DriveInfo> volumes;
    QFile file(mountInfoPath);
    if (!file.open(QIODevice::ReadOnly)) {
        const int error = errno;
        std::fprintf(stderr, "%s: %s\n", qPrintable(mountInfoPath), std::strerror(error ? error : ENOENT));
        if (ok)
            *ok = false;
        return volumes;
    }
    if (ok)
        *ok = true;
    // mountinfo is a proc file of unknown size: read to its end.
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (QByteArray const& line : lines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        const int dash = int(fields.indexOf("-"));
        if (dash < 6 || dash + 2 >= fields.size())
            continue;
        const QString mountPoint = unescape(fields.at(4));
        const QString type = unescape(fields.at(dash + 1));
        const QString source = unescape(fields.at(dash + 2));

        if (mountPoint == QLatin1String("/") || type == QLatin1String("autofs"))
            continue;
        if (!isNetworkType(type) && !isBlockDevice(source, sysRoot))
            continue;
        const QFileInfo folder(mountPoint);
        if (!folder.exists() && !folder.isReadable())
            continue;
        // A file bound over another (containers mount /etc/hosts so) is no folder to browse.
        if (folder.exists() && !folder.isDir())
            continue;

        DriveInfo drive;
        drive.path = folder.absoluteFilePath();
        if (driveTypeIs(source, "IOUSBDevice", sysRoot))
            drive.kind = 4;
        else if (driveTypeIs(source, "IOCDMedia", sysRoot) || driveTypeIs(source, "IODVDMedia", sysRoot))
            drive.kind = 2;
        volumes.append(drive);
    }
    return volumes;
}

} // namespace MountTable
