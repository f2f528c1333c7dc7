#pragma once

// Our namespace over the file system: the desktop at the root, the computer level listing the
// mounted volumes, then folders and files. The views hold items only through these interfaces,
// so another platform's namespace (or a test's) can stand in for the file-system one.

#include <QByteArray>
#include <QList>
#include <QString>
#include <algorithm>
#include <memory>
#include <optional>

namespace shell {

// An item's identifier relative to its parent folder. For file-system items it is the entry's
// raw name (bytes, not necessarily UTF-8); virtual items (the computer node, volumes, the home
// folder on the desktop) have identifiers of the namespace's own choosing. Identifiers are opaque:
// show items through displayNameOf, never by decoding an identifier.
using ItemId = QByteArray;
// The identifiers from the desktop down to an item; the empty list is the desktop itself.
using IdList = QList<ItemId>;

enum class NameForm {
    Parsing,  // the item's full path (or its class-identifier form "::{...}" for virtual folders)
    Normal,   // the name shown on its own
    InFolder, // the name shown inside its parent folder
};

enum EnumFilter : unsigned {
    Folders = 0x20,
    NonFolders = 0x40,
};

enum Attribute : quint32 {
    CanRename = 0x10,
    Share = 0x20000,
    Folder = 0x20000000,
    FileSystem = 0x40000000,
    HasSubFolder = 0x80000000u,
};

// Which column protocol a folder answers; the contents list builds its columns accordingly.
enum class ColumnKind {
    Described, // column descriptions with default-shown states
    Details,   // column descriptions without states
    None,      // no descriptions: the list falls back to its built-in columns
};

struct ColumnDescription
{
    QString header;
    int format = 0; // 0 left, 1 right, 2 centred
    int widthInCharacters = 0;
    bool shownByDefault = false;
};

class ShellFolder
{
public:
    virtual ~ShellFolder() = default;

    // Children matching the EnumFilter bits; hidden entries are never included. nullopt when the
    // folder cannot be read.
    virtual std::optional<QList<ItemId>> enumerate(unsigned filter) const = 0;
    // Empty text when the name cannot be had.
    virtual QString displayNameOf(const ItemId &child, NameForm form) const = 0;
    // Negative, zero or positive; zero means the same item.
    virtual int compareIds(int column, const ItemId &a, const ItemId &b) const = 0;
    virtual quint32 attributesOf(const ItemId &child) const = 0;
    // nullptr when the child is not a folder or cannot be opened.
    virtual std::unique_ptr<ShellFolder> bindToObject(const ItemId &child) const = 0;

    virtual ColumnKind columnKind() const = 0;
    // nullopt once the column index is past the last column.
    virtual std::optional<ColumnDescription> columnDescription(int column) const = 0;
    virtual QString detailsOf(const ItemId &child, int column) const = 0;

    // The child's new identifier, or nullopt when the rename failed.
    virtual std::optional<ItemId> setNameOf(const ItemId &child, const QString &newName) = 0;
    // The child's path in the file system (raw bytes), when it is a file-system item.
    virtual std::optional<QByteArray> fileSystemPath(const ItemId &child) const = 0;

    // Puts children of this folder in the order of compareIds(0, ...), folders before
    // non-folders when asked. Same order as sorting with compareIds and attributesOf; a namespace
    // overrides it when it can sort a large folder faster (precomputed keys, cached types).
    virtual void sortIds(QList<ItemId> &ids, bool foldersFirst) const
    {
        QList<std::pair<bool, ItemId>> keyed;
        keyed.reserve(ids.size());
        for (const ItemId &id : ids)
            keyed.append({foldersFirst && (attributesOf(id) & Folder) != 0, id});
        std::stable_sort(keyed.begin(), keyed.end(), [this](const auto &a, const auto &b) {
            if (a.first != b.first)
                return a.first;
            return compareIds(0, a.second, b.second) < 0;
        });
        for (qsizetype i = 0; i < ids.size(); ++i)
            ids[i] = keyed[i].second;
    }
    // The desktop icon theme's name for the child's icon ("computer", "drive-harddisk", "folder",
    // "folder-open" when `open`, a MIME type's icon name for files); empty when the namespace has
    // no opinion and the caller picks by attributes.
    virtual QString iconNameOf(const ItemId &child, bool open) const
    {
        Q_UNUSED(child);
        Q_UNUSED(open);
        return {};
    }
};

class ShellNamespace
{
public:
    virtual ~ShellNamespace() = default;

    virtual std::unique_ptr<ShellFolder> desktop() const = 0;
    virtual IdList computerNode() const = 0;
    // nullopt when the text names no existing item.
    virtual std::optional<IdList> parseDisplayName(const QString &path) const = 0;
};

} // namespace shell
