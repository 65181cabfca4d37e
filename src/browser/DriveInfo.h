#pragma once

#include <QList>
#include <QString>

// One mounted volume worth listing: its mount folder and kind (0 other, 2 optical, 4 USB).
struct DriveInfo {
    QString path;
    int kind = 0;
};

// Whether the device (a mount source such as "/dev/sdb1") is of the class: "IOUSBDevice" (its
// sysfs device path runs through a USB controller; a partition follows its disk), "IOCDMedia"
// or "IODVDMedia" (an optical drive, sr*). Compared without regard to case.
bool driveTypeIs(QString const& device, char const* className, QString const& sysRoot = QStringLiteral("/sys"));

namespace MountTable {

// The volumes of a mountinfo file worth listing, in the file's order. When the file cannot be
// read, the system error goes to stderr and `ok` becomes false.
QList<DriveInfo> listedVolumes(QString const& mountInfoPath, QString const& sysRoot, bool* ok = nullptr);

// mountinfo's octal escapes ("\040" for a blank) decoded.
QString unescape(QByteArray const& field);

} // namespace MountTable
