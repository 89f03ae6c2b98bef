#include "platform/SystemVolumeList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tikkeli;

namespace {

// A sysfs tree: class/block/<name> links into devices/..., where disks carry "removable" and
// partitions carry "partition".
class FakeSysfs {
public:
    void disk(const QString& devicePath, bool removable, const QStringList& partitions = {})
    {
        const QString dir = root.filePath(QStringLiteral("devices/") + devicePath);
        QDir().mkpath(dir);
        write(dir + QStringLiteral("/removable"), removable ? "1\n" : "0\n");
        link(dir);
        for (const QString& p : partitions) {
            const QString pdir = dir + QLatin1Char('/') + p;
            QDir().mkpath(pdir);
            write(pdir + QStringLiteral("/partition"), "1\n");
            link(pdir);
        }
    }
    QString path() const { return root.path(); }

private:
    void write(const QString& path, const QByteArray& data)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
    }
    void link(const QString& target)
    {
        QDir().mkpath(root.filePath(QStringLiteral("class/block")));
        QFile::link(target, root.filePath(QStringLiteral("class/block/") + QFileInfo(target).fileName()));
    }
    QTemporaryDir root;
};

} // namespace

TEST(SystemVolumeList, RemovableFromTheKernelFlagOrTheUsbBus)
{
    FakeSysfs sys;
    sys.disk(QStringLiteral("pci0000:00/0000:00:17.0/ata1/host0/block/sda"), false, {QStringLiteral("sda1")});
    sys.disk(QStringLiteral("pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/host2/block/sdb"), false, {QStringLiteral("sdb1")});
    sys.disk(QStringLiteral("platform/mmc0/block/mmcblk0"), true, {QStringLiteral("mmcblk0p1")});
    sys.disk(QStringLiteral("pci0000:00/nvme/block/nvme0n1"), false, {QStringLiteral("nvme0n1p2")});

    struct Case {
        const char* device;
        bool removable;
    };
    const Case cases[] = {
        {"/dev/sda1", false},     {"/dev/sda", false},    {"/dev/sdb1", true},       {"/dev/sdb", true},
        {"/dev/mmcblk0p1", true}, {"/dev/mmcblk0", true}, {"/dev/nvme0n1p2", false}, {"/dev/sdz9", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SystemVolumeList::isRemovableDevice(QString::fromLatin1(c.device), sys.path()), c.removable) << c.device;
}

TEST(SystemVolumeList, AFolderCanStandInForTheStick)
{
    QTemporaryDir stick;
    qputenv("TIKKELI_KOPIOTIKKU", QFile::encodeName(stick.path()));
    const VolumeInfos volumes = SystemVolumeList().volumes();
    qunsetenv("TIKKELI_KOPIOTIKKU");
    const auto it = std::find_if(volumes.begin(), volumes.end(),
                                 [&](const VolumeInfo& v) { return v.mountFolder == stick.path(); });
    ASSERT_NE(it, volumes.end());
    EXPECT_EQ(it->label, QStringLiteral("KOPIOTIKKU"));
    EXPECT_TRUE(it->ready && it->removable);
    EXPECT_GT(it->freeBytes, 0);
    for (qsizetype i = 1; i < volumes.size(); ++i)
        EXPECT_LE(volumes[i - 1].mountFolder, volumes[i].mountFolder);
}
