#pragma once

// The mounted volumes the computer level shows, read from /proc/self/mountinfo.
//
// Shown: "/" always (every absolute path is reached through some volume), and every other mount
// of a real file system: disks, removable media, network shares. Left out: kernel and memory file
// systems (proc, sysfs, tmpfs, cgroup, devpts, ...), squashfs images (snaps), mounts under the
// system's own trees (/proc, /sys, /dev, /run except /run/media, /snap, container storage) and
// mounts of single files (bind mounts such as a container's /etc/hosts). A path under a left-out
// mount is still reached, through the volume that holds its mount point.

#include "volume.h"

#include <QHash>
#include <QList>

namespace shell {

class MountTable
{
public:
    // The volumes described by mountinfo `text`, in mount order, one per mount point (the last
    // mount over a point wins). `labelsByDevice` maps a device path to its file system's label.
    static QList<Volume> parseMountInfo(const QByteArray &text,
                                        const QHash<QByteArray, QString> &labelsByDevice = {});

    // Whether a mount of `fsType` at `mountPoint` holds a file system users browse.
    static bool isShownMount(const QByteArray &fsType, const QByteArray &mountPoint);

    // The running system's volumes: /proc/self/mountinfo with the labels of /dev/disk/by-label,
    // mounts of anything but a folder left out.
    static QList<Volume> readSystem();

    // Reverses the octal escapes (\040 for a blank) of mountinfo fields.
    static QByteArray unescapeOctal(const QByteArray &field);
    // Reverses udev's \xNN escapes in /dev/disk/by-label names.
    static QByteArray unescapeHex(const QByteArray &name);
};

} // namespace shell
