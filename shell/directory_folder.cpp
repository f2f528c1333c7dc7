#include "directory_folder.h"

#include "item_details.h"
#include "posix/rename.h"
#include "raw_path.h"

#include <QHash>
#include <cerrno>
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

// Whether the open folder holds a link to a folder. Only links are looked at closely, so a
// folder of files costs one read of its entries.
bool holdsLinkToFolder(int folder)
{
    DIR *dir = PathWalk::readEntries(folder);
    if (dir == nullptr)
        return false;
    bool found = false;
    while (const dirent *entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.' || (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN))
            continue;
        struct stat st = {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode)) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

} // namespace

DirectoryFolder::DirectoryFolder(QByteArray path)
    : m_path(std::move(path)), m_folder(PathWalk::openFolder(m_path))
{}

DirectoryFolder::DirectoryFolder(QByteArray path, posix::UniqueFd folder)
    : m_path(std::move(path)), m_folder(std::move(folder))
{}

QByteArray DirectoryFolder::childPath(const ItemId &child) const
{
    return joinPath(m_path, child);
}

quint32 DirectoryFolder::folderAttributes(const QByteArray &path)
{
    const posix::UniqueFd folder = PathWalk::openFolder(path);
    return folder.valid() ? folderAttributesAt(folder.get(), ".") : 0;
}

quint32 DirectoryFolder::folderAttributesAt(int parent, const QByteArray &name)
{
    struct stat st = {};
    if (::fstatat(parent, name.constData(), &st, 0) != 0 || !S_ISDIR(st.st_mode))
        return 0;
    quint32 attributes = Folder | FileSystem;
    if (st.st_nlink != 2) {
        attributes |= HasSubFolder;
    } else {
        const posix::UniqueFd folder = PathWalk::openFolderAt(parent, name);
        if (folder.valid() && holdsLinkToFolder(folder.get()))
            attributes |= HasSubFolder;
    }
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
    DIR *dir = m_folder.valid() ? PathWalk::readEntries(m_folder.get()) : nullptr;
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
    return ::fstatat(m_folder.get(), child.constData(), &st, 0) == 0 && S_ISDIR(st.st_mode)
               ? Kind::Folder
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
    if (const quint32 folder = folderAttributesAt(m_folder.get(), child))
        return folder | CanRename;
    struct stat st = {};
    if (::fstatat(m_folder.get(), child.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return 0;
    return FileSystem | CanRename;
}

std::unique_ptr<ShellFolder> DirectoryFolder::bindToObject(const ItemId &child) const
{
    if (!isAcceptableName(child))
        return nullptr;
    posix::UniqueFd folder = PathWalk::openFolderAt(m_folder.get(), child);
    if (!folder.valid())
        return nullptr;
    return std::make_unique<DirectoryFolder>(childPath(child), std::move(folder));
}

std::optional<ColumnDescription> DirectoryFolder::columnDescription(int column) const
{
    return folderColumn(column);
}

QString DirectoryFolder::detailsOf(const ItemId &child, int column) const
{
    if (!isAcceptableName(child))
        return {};
    return ItemDetails::columnTextAt(m_folder.get(), child, column);
}

std::optional<ItemId> DirectoryFolder::setNameOf(const ItemId &child, const QString &newName)
{
    const ItemId newId = newName.toUtf8();
    if (!isAcceptableName(child) || !isAcceptableName(newId))
        return std::nullopt;
    if (newId == child)
        return child;
    if (!posix::renameNoReplace(m_folder.get(), child.constData(), m_folder.get(),
                                newId.constData()))
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
