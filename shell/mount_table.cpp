#include "mount_table.h"

#include "raw_path.h"

#include <QFile>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>

namespace shell {

namespace {

bool isPseudoType(const QByteArray &fsType)
{
    static const QList<QByteArray> pseudo = {
        "proc",        "sysfs",      "devtmpfs",      "devpts",
        "tmpfs",       "ramfs",      "cgroup",        "cgroup2",
        "securityfs",  "debugfs",    "tracefs",       "pstore",
        "bpf",         "mqueue",     "hugetlbfs",     "configfs",
        "fusectl",     "autofs",     "binfmt_misc",   "efivarfs",
        "rpc_pipefs",  "nsfs",       "selinuxfs",     "squashfs",
        "nfsd",        "sockfs",     "pipefs",        "fuse.gvfsd-fuse",
        "fuse.portal", "fuse.lxcfs", "fuse.snapfuse",
    };
    return pseudo.contains(fsType);
}

bool isUnder(const QByteArray &path, const QByteArray &tree)
{
    return path == tree || path.startsWith(tree + '/');
}

QByteArray canonicalDevice(const QByteArray &path)
{
    char resolved[PATH_MAX];
    if (::realpath(path.constData(), resolved) == nullptr)
        return path;
    return QByteArray(resolved);
}

QHash<QByteArray, QString> systemLabels()
{
    QHash<QByteArray, QString> labels;
    const QByteArray folder = "/dev/disk/by-label";
    DIR *dir = ::opendir(folder.constData());
    if (dir == nullptr)
        return labels;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.startsWith('.'))
            continue;
        labels.insert(canonicalDevice(joinPath(folder, name)),
                      QString::fromUtf8(MountTable::unescapeHex(name)));
    }
    ::closedir(dir);
    return labels;
}

} // namespace

QByteArray MountTable::unescapeOctal(const QByteArray &field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const auto isOctal = [&](qsizetype at) {
            return at < field.size() && field[at] >= '0' && field[at] <= '7';
        };
        if (field[i] == '\\' && isOctal(i + 1) && isOctal(i + 2) && isOctal(i + 3)) {
            out.append(char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) |
                            (field[i + 3] - '0')));
            i += 3;
        } else {
            out.append(field[i]);
        }
    }
    return out;
}

QByteArray MountTable::unescapeHex(const QByteArray &name)
{
    QByteArray out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        bool ok = false;
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            const int value = name.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(char(value));
                i += 3;
                continue;
            }
        }
        out.append(name[i]);
    }
    return out;
}

bool MountTable::isShownMount(const QByteArray &fsType, const QByteArray &mountPoint)
{
    if (mountPoint == "/")
        return true;
    if (!mountPoint.startsWith('/') || isPseudoType(fsType))
        return false;
    if (isUnder(mountPoint, "/run/media"))
        return true;
    for (const char *tree :
         {"/proc", "/sys", "/dev", "/run", "/snap", "/var/lib/docker", "/var/lib/containers"}) {
        if (isUnder(mountPoint, tree))
            return false;
    }
    return true;
}

QList<Volume> MountTable::parseMountInfo(const QByteArray &text,
                                         const QHash<QByteArray, QString> &labelsByDevice)
{
    QList<Volume> volumes;
    for (const QByteArray &line : text.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        // id parent major:minor root mount-point options [optional...] - type source options
        const qsizetype separator = fields.indexOf("-");
        if (fields.size() < 6 || separator < 6 || separator + 2 >= fields.size())
            continue;
        Volume volume;
        volume.mountPoint = unescapeOctal(fields[4]);
        volume.fsType = unescapeOctal(fields[separator + 1]);
        volume.source = unescapeOctal(fields[separator + 2]);
        while (volume.mountPoint.size() > 1 && volume.mountPoint.endsWith('/'))
            volume.mountPoint.chop(1);
        if (!isShownMount(volume.fsType, volume.mountPoint))
            continue;
        volume.label = labelsByDevice.value(volume.source);
        volumes.removeIf([&](const Volume &v) { return v.mountPoint == volume.mountPoint; });
        volumes.append(volume);
    }
    return volumes;
}

QList<Volume> MountTable::readSystem()
{
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    // /proc files report no size: read to the end rather than by size.
    if (!file.open(QIODevice::ReadOnly))
        return {Volume{"/", {}, {}, {}}};
    const QByteArray text = file.readAll();

    const QHash<QByteArray, QString> byLink = systemLabels();
    QList<Volume> volumes = parseMountInfo(text);
    for (Volume &volume : volumes) {
        if (volume.source.startsWith("/dev/"))
            volume.label = byLink.value(canonicalDevice(volume.source));
    }
    volumes.removeIf([](const Volume &v) {
        struct stat st = {};
        return v.mountPoint != "/" &&
               (::stat(v.mountPoint.constData(), &st) != 0 || !S_ISDIR(st.st_mode));
    });
    const bool hasRoot = std::any_of(volumes.cbegin(), volumes.cend(),
                                     [](const Volume &v) { return v.mountPoint == "/"; });
    if (!hasRoot)
        volumes.prepend(Volume{"/", {}, {}, {}});
    return volumes;
}

} // namespace shell
