#include "directory_folder.h"

#include "item_details.h"

#include <QHash>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace shell {

namespace {

bool isAcceptableName(const QByteArray &name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') &&
           !name.contains('\0');
}

// Renames without ever replacing an existing entry; renameat2's no-replace flag makes the test
// and the rename one step where the file system supports it.
bool renameNoReplace(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    struct stat st = {};
    if (::lstat(to.constData(), &st) == 0)
        return false;
    return ::rename(from.constData(), to.constData()) == 0;
}

} // namespace

DirectoryFolder::DirectoryFolder(QByteArray path) : m_path(std::move(path)) {}

QByteArray DirectoryFolder::childPath(const ItemId &child) const
{
    return m_path.endsWith('/') ? m_path + child : m_path + '/' + child;
}

quint32 DirectoryFolder::folderAttributes(const QByteArray &path)
{
    struct stat st = {};
    if (::stat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return 0;
    quint32 attributes = Folder | FileSystem;
    if (st.st_nlink != 2)
        attributes |= HasSubFolder;
    return attributes;
}

std::optional<ColumnDescription> DirectoryFolder::folderColumn(int column)
{
    switch (column) {
    case 0:
        return ColumnDescription{QStringLiteral("Nom"), 0, 25, true};
    case 1:
        return ColumnDescription{QStringLiteral("Taille"), 1, 10, true};
    case 2:
        return ColumnDescription{QStringLiteral("Type"), 0, 20, true};
    case 3:
        return ColumnDescription{QStringLiteral("Modifié le"), 0, 16, true};
    default:
        return std::nullopt;
    }
}

std::optional<QList<ItemId>> DirectoryFolder::enumerate(unsigned filter) const
{
    DIR *dir = ::opendir(m_path.constData());
    if (dir == nullptr)
        return std::nullopt;
    const int fd = ::dirfd(dir);
    const bool wantFolders = (filter & Folders) != 0;
    const bool wantOthers = (filter & NonFolders) != 0;
    QList<ItemId> ids;
    QList<Kind> kinds;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (entry == nullptr)
            break;
        if (entry->d_name[0] == '.')
            continue;
        Kind kind = Kind::Unknown;
        if (entry->d_type == DT_DIR)
            kind = Kind::Folder;
        else if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
            kind = Kind::NonFolder;
        // Links count as what they point to; the type must be known to filter on it.
        if (kind == Kind::Unknown && wantFolders != wantOthers) {
            struct stat st = {};
            kind = ::fstatat(fd, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode)
                       ? Kind::Folder
                       : Kind::NonFolder;
        }
        const bool matches = kind == Kind::Unknown
                                 ? (wantFolders && wantOthers)
                                 : (kind == Kind::Folder ? wantFolders : wantOthers);
        if (!matches)
            continue;
        ItemId id(entry->d_name);
        kinds.append(kind);
        ids.append(std::move(id));
    }
    // A read error is not the end of the folder: report the listing as failed.
    const int readError = errno;
    ::closedir(dir);
    if (readError != 0)
        return std::nullopt;
    m_listed = ids;
    m_listedKinds = std::move(kinds);
    return ids;
}

QString DirectoryFolder::displayNameOf(const ItemId &child, NameForm form) const
{
    if (child.isEmpty())
        return {};
    return QString::fromUtf8(form == NameForm::Parsing ? childPath(child) : child);
}

int DirectoryFolder::compareIds(int column, const ItemId &a, const ItemId &b) const
{
    // Every column orders by name: the views sort by column 0 only.
    Q_UNUSED(column);
    return m_collation.compare(a, b);
}

DirectoryFolder::Kind DirectoryFolder::kindOf(const ItemId &child) const
{
    struct stat st = {};
    return ::stat(childPath(child).constData(), &st) == 0 && S_ISDIR(st.st_mode) ? Kind::Folder
                                                                                 : Kind::NonFolder;
}

QList<int> DirectoryFolder::folderRanks(const QList<ItemId> &ids) const
{
    QList<int> ranks;
    ranks.reserve(ids.size());
    // The usual case: sorting the listing just made, whose kinds readdir already gave.
    const bool listed = ids.size() == m_listed.size() && ids.constData() == m_listed.constData();
    QHash<ItemId, Kind> known;
    if (!listed) {
        known.reserve(m_listed.size());
        for (qsizetype i = 0; i < m_listed.size(); ++i)
            known.insert(m_listed[i], m_listedKinds[i]);
    }
    for (qsizetype i = 0; i < ids.size(); ++i) {
        Kind kind = listed ? m_listedKinds[i] : known.value(ids[i], Kind::Unknown);
        if (kind == Kind::Unknown)
            kind = kindOf(ids[i]);
        ranks.append(kind == Kind::Folder ? 0 : 1);
    }
    return ranks;
}

quint32 DirectoryFolder::attributesOf(const ItemId &child) const
{
    if (!isAcceptableName(child))
        return 0;
    const QByteArray path = childPath(child);
    if (const quint32 folder = folderAttributes(path))
        return folder | CanRename;
    struct stat st = {};
    if (::lstat(path.constData(), &st) != 0)
        return 0;
    return FileSystem | CanRename;
}

std::unique_ptr<ShellFolder> DirectoryFolder::bindToObject(const ItemId &child) const
{
    if (!isAcceptableName(child) || folderAttributes(childPath(child)) == 0)
        return nullptr;
    return std::make_unique<DirectoryFolder>(childPath(child));
}

std::optional<ColumnDescription> DirectoryFolder::columnDescription(int column) const
{
    return folderColumn(column);
}

QString DirectoryFolder::detailsOf(const ItemId &child, int column) const
{
    if (!isAcceptableName(child))
        return {};
    return ItemDetails::columnText(childPath(child), child, column);
}

std::optional<ItemId> DirectoryFolder::setNameOf(const ItemId &child, const QString &newName)
{
    const ItemId newId = newName.toUtf8();
    if (!isAcceptableName(child) || !isAcceptableName(newId))
        return std::nullopt;
    if (newId == child)
        return child;
    if (!renameNoReplace(childPath(child), childPath(newId)))
        return std::nullopt;
    if (const qsizetype at = m_listed.indexOf(child); at >= 0)
        m_listed[at] = newId;
    return newId;
}

std::optional<QByteArray> DirectoryFolder::fileSystemPath(const ItemId &child) const
{
    if (!isAcceptableName(child))
        return std::nullopt;
    return childPath(child);
}

void DirectoryFolder::sortIds(QList<ItemId> &ids, bool foldersFirst) const
{
    m_collation.sort(ids, foldersFirst ? folderRanks(ids) : QList<int>());
}

QString DirectoryFolder::iconNameOf(const ItemId &child, bool open) const
{
    if (kindOf(child) == Kind::Folder)
        return open ? QStringLiteral("folder-open") : QStringLiteral("folder");
    return ItemDetails::iconName(child);
}

} // namespace shell
