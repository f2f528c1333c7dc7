#include "mount_table.h"

#include <gtest/gtest.h>

using namespace shell;

namespace {

QList<QByteArray> mountPoints(const QList<Volume> &volumes)
{
    QList<QByteArray> points;
    for (const Volume &volume : volumes)
        points.append(volume.mountPoint);
    return points;
}

const QByteArray sampleTable =
    "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
    "23 27 0:22 / /sys rw,relatime - sysfs sysfs rw\n"
    "24 27 0:6 / /dev rw,relatime - devtmpfs devtmpfs rw\n"
    "27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda1 rw\n"
    "28 27 0:25 / /tmp rw - tmpfs tmpfs rw\n"
    "31 23 0:28 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
    "40 27 8:17 / /home rw shared:5 master:2 - btrfs /dev/sdb1 rw\n"
    "41 27 8:33 / /media/user/Cl\\303\\251\\040USB rw - vfat /dev/sdc1 rw\n"
    "42 27 0:50 / /mnt/partage rw - nfs4 serveur:/export rw\n"
    "43 27 7:1 / /snap/core/1 ro - squashfs /dev/loop1 ro\n"
    "44 27 0:51 / /run/user/1000 rw - tmpfs tmpfs rw\n"
    "45 27 8:49 / /run/media/user/Disque rw - ext4 /dev/sdd1 rw\n"
    "46 27 0:52 / /var/lib/docker/overlay2/abc/merged rw - overlay overlay rw\n"
    "garbage line\n"
    "47 27 8:17 / /home rw - ext4 /dev/sde1 rw\n";

TEST(MountTableTest, KeepsRealFileSystemsAndLeavesOutPseudoOnes)
{
    const QList<Volume> volumes = MountTable::parseMountInfo(sampleTable);
    EXPECT_EQ(mountPoints(volumes), (QList<QByteArray>{"/", "/media/user/Clé USB", "/mnt/partage",
                                                       "/run/media/user/Disque", "/home"}));
    // The later mount over /home hides the earlier one.
    EXPECT_EQ(volumes.constLast().source, QByteArray("/dev/sde1"));
    EXPECT_EQ(volumes.constLast().fsType, QByteArray("ext4"));
    EXPECT_EQ(volumes[2].source, QByteArray("serveur:/export"));
}

TEST(MountTableTest, RootIsAlwaysAVolumeWhateverItsType)
{
    const QList<Volume> volumes =
        MountTable::parseMountInfo("1 0 0:1 / / rw - overlay overlay rw,lowerdir=/a\n");
    ASSERT_EQ(volumes.size(), 1);
    EXPECT_EQ(volumes[0].mountPoint, QByteArray("/"));
    EXPECT_FALSE(MountTable::isShownMount("tmpfs", "/tmp"));
    EXPECT_TRUE(MountTable::isShownMount("tmpfs", "/"));
    EXPECT_TRUE(MountTable::isShownMount("ext4", "/data"));
    EXPECT_FALSE(MountTable::isShownMount("ext4", "/proc/x"));
    EXPECT_TRUE(MountTable::isShownMount("ext4", "/processing"));
}

TEST(MountTableTest, LabelsNameVolumesByDevice)
{
    const QHash<QByteArray, QString> labels = {{"/dev/sdb1", QStringLiteral("Données")}};
    const QList<Volume> volumes = MountTable::parseMountInfo(sampleTable, labels);
    EXPECT_EQ(volumes[0].label, QString());
    EXPECT_EQ(volumes.constLast().label, QString()); // /home is now /dev/sde1
    const QList<Volume> older =
        MountTable::parseMountInfo("40 27 8:17 / /home rw - btrfs /dev/sdb1 rw\n", labels);
    ASSERT_EQ(older.size(), 1);
    EXPECT_EQ(older[0].label, QStringLiteral("Données"));
}

TEST(MountTableTest, EscapesAreDecoded)
{
    EXPECT_EQ(MountTable::unescapeOctal("a\\040b\\134c"), QByteArray("a b\\c"));
    EXPECT_EQ(MountTable::unescapeOctal("trail\\04"), QByteArray("trail\\04"));
    EXPECT_EQ(MountTable::unescapeHex("Mes\\x20Donn\\xc3\\xa9es"), QByteArray("Mes Donn\xc3\xa9"
                                                                              "es"));
    EXPECT_EQ(MountTable::unescapeHex("odd\\xZZ"), QByteArray("odd\\xZZ"));
}

TEST(MountTableTest, SystemTableHasTheRoot)
{
    const QList<Volume> volumes = MountTable::readSystem();
    EXPECT_TRUE(mountPoints(volumes).contains("/"));
    for (const Volume &volume : volumes)
        EXPECT_TRUE(MountTable::isShownMount(volume.fsType, volume.mountPoint))
            << volume.mountPoint.constData();
}

} // namespace
