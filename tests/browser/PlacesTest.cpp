#include "browser/TestHome.h"

#include "browser/DeviceBrowserModel.h"
#include "browser/DriveInfo.h"
#include "style/KelStyleConfig.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

// A fake machine: mount folders, a mountinfo file and a sysfs tree with the block devices
// linked as the kernel links them.
class PlacesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        sys = dir.filePath(QStringLiteral("sys"));
        mounts = dir.filePath(QStringLiteral("media"));
        ASSERT_TRUE(QDir().mkpath(mounts));
        addDevice(QStringLiteral("sda"), QStringLiteral("pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0"), {"sda1"});
        addDevice(QStringLiteral("sdb"), QStringLiteral("pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0"), {"sdb1"});
        addDevice(QStringLiteral("sdc"), QStringLiteral("pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0/host7/target7:0:0/7:0:0:0"), {"sdc1"});
        addDevice(QStringLiteral("sr0"), QStringLiteral("pci0000:00/0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0"), {});
        addDevice(QStringLiteral("nvme0n1"), QStringLiteral("pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0"), {"nvme0n1p2"});
    }

    void addDevice(QString const& disk, QString const& busPath, QStringList const& partitions)
    {
        const QString diskFolder = sys + QStringLiteral("/devices/") + busPath + QStringLiteral("/block/") + disk;
        ASSERT_TRUE(QDir().mkpath(diskFolder));
        ASSERT_TRUE(QDir().mkpath(sys + QStringLiteral("/block")));
        ASSERT_TRUE(QDir().mkpath(sys + QStringLiteral("/class/block")));
        ASSERT_TRUE(QFile::link(diskFolder, sys + QStringLiteral("/block/") + disk));
        ASSERT_TRUE(QFile::link(diskFolder, sys + QStringLiteral("/class/block/") + disk));
        for (QString const& partition : partitions) {
            ASSERT_TRUE(QDir().mkpath(diskFolder + QLatin1Char('/') + partition));
            ASSERT_TRUE(QFile::link(diskFolder + QLatin1Char('/') + partition,
                                    sys + QStringLiteral("/class/block/") + partition));
        }
    }

    QString mountFolder(QString const& name)
    {
        const QString path = mounts + QLatin1Char('/') + name;
        EXPECT_TRUE(QDir().mkpath(path));
        return path;
    }

    // One mountinfo line; blanks in the mount folder escaped as the kernel does.
    QString line(int id, QString const& folder, QString const& type, QString const& source)
    {
        QString escaped = folder;
        escaped.replace(QLatin1Char(' '), QStringLiteral("\\040"));
        return QStringLiteral("%1 1 8:%1 / %2 rw,relatime shared:%1 - %3 %4 rw\n")
            .arg(id).arg(escaped, type, source);
    }

    QString writeTable(QString const& text)
    {
        const QString path = dir.filePath(QStringLiteral("mountinfo"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
        return path;
    }

    // The volumes after the home and standard folders.
    static QList<DeviceBrowserModel::PlaceDescriptor> volumes(DeviceBrowserModel const& model)
    {
        return model.places().mid(4);
    }

    QTemporaryDir dir;
    QString sys;
    QString mounts;
};

TEST_F(PlacesTest, StandardFoldersComeFirst)
{
    DeviceBrowserModel model(nullptr, writeTable(QString()), sys);
    ASSERT_EQ(model.rowCount(), 4);
    const QString home = TestHome::homeFolder();
    const QStringList names{"Home", "Images", "Desktop", "Documents"};
    const QStringList paths{home, home + "/Pictures", home + "/Desktop", home + "/Documents"};
    const QStringList icons{"home_folder_icon", "folder_icon", "desktop_icon", "documents_icon"};
    for (int row = 0; row < 4; ++row) {
        const QModelIndex index = model.index(row);
        EXPECT_EQ(index.data(Qt::DisplayRole).toString(), names.at(row));
        EXPECT_EQ(index.data(Qt::UserRole).toString(), paths.at(row));
        const QPixmap expected = KelStyleConfig::instance()->value<QPixmap>(icons.at(row));
        EXPECT_EQ(index.data(Qt::DecorationRole).value<QPixmap>().cacheKey(), expected.cacheKey());
        EXPECT_FALSE(index.data(Qt::ToolTipRole).isValid());
    }
}

TEST_F(PlacesTest, VolumesInTableOrderWithTheirKinds)
{
    const QString stick = mountFolder(QStringLiteral("MY STICK"));
    const QString ntfs = mountFolder(QStringLiteral("NTFS"));
    const QString disc = mountFolder(QStringLiteral("DISC"));
    const QString share = mountFolder(QStringLiteral("share"));
    const QString data = mountFolder(QStringLiteral("data"));
    const QString unlisted = mountFolder(QStringLiteral("skipped"));
    QString table;
    table += line(1, QStringLiteral("/"), QStringLiteral("ext4"), QStringLiteral("/dev/sda1"));
    table += line(2, QStringLiteral("/proc"), QStringLiteral("proc"), QStringLiteral("proc"));
    table += line(3, unlisted, QStringLiteral("sysfs"), QStringLiteral("sysfs"));
    table += line(4, unlisted, QStringLiteral("tmpfs"), QStringLiteral("tmpfs"));
    table += line(5, unlisted, QStringLiteral("autofs"), QStringLiteral("systemd-1"));
    table += line(6, stick, QStringLiteral("vfat"), QStringLiteral("/dev/sdb1"));
    table += line(7, mounts + QStringLiteral("/vanished"), QStringLiteral("ext4"), QStringLiteral("/dev/sda1"));
    table += line(8, ntfs, QStringLiteral("fuseblk"), QStringLiteral("/dev/sdc1"));
    table += line(9, disc, QStringLiteral("iso9660"), QStringLiteral("/dev/sr0"));
    table += line(10, share, QStringLiteral("nfs4"), QStringLiteral("server:/export"));
    table += line(11, data, QStringLiteral("ext4"), QStringLiteral("/dev/nvme0n1p2"));
    DeviceBrowserModel model(nullptr, writeTable(table), sys);

    const auto listed = volumes(model);
    const QPixmap usb = KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("usb_stick_icon"));
    const QPixmap dvd = KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("dvd_disk_icon"));
    ASSERT_FALSE(usb.isNull());
    ASSERT_FALSE(dvd.isNull());
    struct Expected {
        QString name;
        QString path;
        qint64 icon; // 0: no icon
    };
    const QList<Expected> expected{{"MY STICK", stick, usb.cacheKey()},
                                   {"NTFS", ntfs, usb.cacheKey()},
                                   {"DISC", disc, dvd.cacheKey()},
                                   {"share", share, 0},
                                   {"data", data, 0}};
    ASSERT_EQ(listed.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected.at(i).name.toStdString());
        EXPECT_EQ(listed.at(i).name, expected.at(i).name);
        EXPECT_EQ(listed.at(i).path, expected.at(i).path);
        if (expected.at(i).icon)
            EXPECT_EQ(listed.at(i).icon.cacheKey(), expected.at(i).icon);
        else
            EXPECT_TRUE(listed.at(i).icon.isNull());
    }
    EXPECT_EQ(model.index(4).data(Qt::UserRole).toString(), stick);
}

TEST_F(PlacesTest, UnreadableMountTableLeavesTheFolders)
{
    ::testing::internal::CaptureStderr();
    DeviceBrowserModel model(nullptr, dir.filePath(QStringLiteral("no-such-table")), sys);
    const std::string error = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_NE(error.find("no-such-table"), std::string::npos) << error;
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
}

TEST_F(PlacesTest, DeviceClassesAreRecognisedIgnoringCase)
{
    struct Case {
        char const* device;
        char const* className;
        bool expected;
    };
    const Case cases[] = {
        {"/dev/sdb1", "IOUSBDevice", true},   {"/dev/sdb", "IOUSBDevice", true},
        {"/dev/SDC1", "IOUSBDevice", true},  {"/dev/sda1", "IOUSBDevice", false},
        {"/dev/sr0", "IOCDMedia", true},      {"/dev/SR0", "IODVDMedia", true},
        {"/dev/sdb1", "IOCDMedia", false},    {"/dev/nvme0n1p2", "IOUSBDevice", false},
        {"server:/export", "IOUSBDevice", false},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(std::string(c.device) + " " + c.className);
        EXPECT_EQ(driveTypeIs(QString::fromLatin1(c.device), c.className, sys), c.expected);
    }
}

TEST(MountTableTest, OctalEscapesAreDecoded)
{
    EXPECT_EQ(MountTable::unescape("/media/MY\\040STICK"), "/media/MY STICK");
    EXPECT_EQ(MountTable::unescape("a\\011b\\134c"), "a\tb\\c");
    EXPECT_EQ(MountTable::unescape("tail\\04"), "tail\\04");
    EXPECT_EQ(MountTable::unescape("/media/\\303\\244"), QString::fromUtf8("/media/\xc3\xa4"));
}

TEST_F(PlacesTest, WheelOverTheComboBoxIsSwallowed)
{
    DeviceBrowserModel model(nullptr, writeTable(QString()), sys);
    QComboBox combo;
    combo.setModel(&model);
    combo.installEventFilter(&model);
    combo.setCurrentIndex(1);
    combo.show();
    QWheelEvent wheel(QPointF(5, 5), combo.mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&combo, &wheel);
    EXPECT_EQ(combo.currentIndex(), 1);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    EXPECT_FALSE(model.eventFilter(&combo, &key));
}

} // namespace
