#include "computer_folder.h"

#include "directory_folder.h"
#include "item_details.h"

#include <sys/statvfs.h>

namespace shell {

ComputerFolder::ComputerFolder(QList<Volume> volumes) : m_volumes(std::move(volumes)) {}

const Volume *ComputerFolder::find(const ItemId &id) const
{
    for (const Volume &volume : m_volumes) {
        if (volume.mountPoint == id)
            return &volume;
    }
    return nullptr;
}

QString ComputerFolder::volumeType(const Volume &volume)
{
    static const QList<QByteArray> network = {"nfs",        "nfs4", "cifs",  "smb3",
                                              "smbfs",      "9p",   "ceph",  "glusterfs",
                                              "fuse.sshfs", "afs",  "davfs", "fuse.rclone"};
    QString kind;
    if (network.contains(volume.fsType))
        kind = QStringLiteral("Disque réseau");
    else if (volume.source.startsWith("/dev/"))
        kind = QStringLiteral("Disque local");
    else
        kind = QStringLiteral("Volume");
    if (volume.fsType.isEmpty())
        return kind;
    return QStringLiteral("%1 (%2)").arg(kind, QString::fromUtf8(volume.fsType));
}

std::optional<QList<ItemId>> ComputerFolder::enumerate(unsigned filter) const
{
    QList<ItemId> ids;
    if ((filter & Folders) == 0)
        return ids;
    for (const Volume &volume : m_volumes)
        ids.append(volume.mountPoint);
    return ids;
}

QString ComputerFolder::displayNameOf(const ItemId &child, NameForm form) const
{
    const Volume *volume = find(child);
    if (volume == nullptr)
        return {};
    if (form == NameForm::Parsing || volume->label.isEmpty())
        return QString::fromUtf8(volume->mountPoint);
    return volume->label;
}

int ComputerFolder::compareIds(int column, const ItemId &a, const ItemId &b) const
{
    Q_UNUSED(column);
    if (a == b)
        return 0;
    const int byName = m_collation.compare(displayNameOf(a, NameForm::Normal).toUtf8(),
                                           displayNameOf(b, NameForm::Normal).toUtf8());
    if (byName != 0)
        return byName;
    return a < b ? -1 : 1;
}

quint32 ComputerFolder::attributesOf(const ItemId &child) const
{
    const Volume *volume = find(child);
    if (volume == nullptr)
        return 0;
    // A volume whose mount point cannot be read is still a folder of the computer.
    const quint32 attributes = DirectoryFolder::folderAttributes(volume->mountPoint);
    return attributes != 0 ? attributes : (Folder | FileSystem | HasSubFolder);
}

std::unique_ptr<ShellFolder> ComputerFolder::bindToObject(const ItemId &child) const
{
    const Volume *volume = find(child);
    if (volume == nullptr)
        return nullptr;
    return std::make_unique<DirectoryFolder>(volume->mountPoint);
}

std::optional<ColumnDescription> ComputerFolder::columnDescription(int column) const
{
    switch (column) {
    case 0:
        return ColumnDescription{QStringLiteral("Nom"), 0, 25, true};
    case 1:
        return ColumnDescription{QStringLiteral("Type"), 0, 20, true};
    case 2:
        return ColumnDescription{QStringLiteral("Taille totale"), 1, 12, true};
    case 3:
        return ColumnDescription{QStringLiteral("Espace libre"), 1, 12, true};
    default:
        return std::nullopt;
    }
}

QString ComputerFolder::detailsOf(const ItemId &child, int column) const
{
    const Volume *volume = find(child);
    if (volume == nullptr)
        return {};
    if (column == 0)
        return displayNameOf(child, NameForm::InFolder);
    if (column == 1)
        return volumeType(*volume);
    if (column != 2 && column != 3)
        return {};
    struct statvfs fs = {};
    if (::statvfs(volume->mountPoint.constData(), &fs) != 0)
        return {};
    const auto blocks = column == 2 ? fs.f_blocks : fs.f_bavail;
    return ItemDetails::formatSize(qint64(blocks) * qint64(fs.f_frsize));
}

std::optional<ItemId> ComputerFolder::setNameOf(const ItemId &child, const QString &newName)
{
    // Volumes are named by their labels, which this program does not write.
    Q_UNUSED(child);
    Q_UNUSED(newName);
    return std::nullopt;
}

std::optional<QByteArray> ComputerFolder::fileSystemPath(const ItemId &child) const
{
    const Volume *volume = find(child);
    if (volume == nullptr)
        return std::nullopt;
    return volume->mountPoint;
}

QString ComputerFolder::iconNameOf(const ItemId &child, bool open) const
{
    Q_UNUSED(open);
    const Volume *volume = find(child);
    if (volume == nullptr)
        return {};
    if (volume->mountPoint.startsWith("/media/") || volume->mountPoint.startsWith("/run/media/"))
        return QStringLiteral("drive-removable-media");
    return QStringLiteral("drive-harddisk");
}

} // namespace shell
