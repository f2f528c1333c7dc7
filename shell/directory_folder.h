#pragma once

// A folder of the file system: its items are its entries, identified by their raw names. The
// folder is held open and its entries are reached from there, so no path grows too long for the
// system however deep the folder lies.

#include "name_collation.h"
#include "path_walk.h"
#include "shell_namespace.h"

namespace shell {

class DirectoryFolder : public ShellFolder
{
public:
    // The folder at `path`, opened here.
    explicit DirectoryFolder(QByteArray path);
    // The folder at `path`, already open as `folder`.
    DirectoryFolder(QByteArray path, posix::UniqueFd folder);

    const QByteArray &path() const { return m_path; }
    QByteArray childPath(const ItemId &child) const;

    // Attributes of a folder at `path`: folder and file system, and has-sub-folders from the link
    // count where the file system keeps one (a folder's count is 2 plus its sub-folders); file
    // systems that keep none (btrfs gives 1) are taken to have sub-folders. A folder whose count
    // shows none may still hold links to folders, which are sub-folders to browse: it is looked
    // through for one. 0 when not a folder.
    static quint32 folderAttributes(const QByteArray &path);
    // The same for the entry `name` of the open folder `parent`.
    static quint32 folderAttributesAt(int parent, const QByteArray &name);
    // The four folder columns, shared with the desktop.
    static std::optional<ColumnDescription> folderColumn(int column);

    std::optional<QList<ItemId>> enumerate(unsigned filter) const override;
    QString displayNameOf(const ItemId &child, NameForm form) const override;
    int compareIds(int column, const ItemId &a, const ItemId &b) const override;
    quint32 attributesOf(const ItemId &child) const override;
    std::unique_ptr<ShellFolder> bindToObject(const ItemId &child) const override;
    ColumnKind columnKind() const override { return ColumnKind::Described; }
    std::optional<ColumnDescription> columnDescription(int column) const override;
    QString detailsOf(const ItemId &child, int column) const override;
    std::optional<ItemId> setNameOf(const ItemId &child, const QString &newName) override;
    std::optional<QByteArray> fileSystemPath(const ItemId &child) const override;
    void sortIds(QList<ItemId> &ids, bool foldersFirst) const override;
    QString iconNameOf(const ItemId &child, bool open) const override;

private:
    enum class Kind : unsigned char { Unknown, Folder, NonFolder };
    Kind kindOf(const ItemId &child) const;
    QList<int> folderRanks(const QList<ItemId> &ids) const;

    QByteArray m_path;
    posix::UniqueFd m_folder;
    NameCollation m_collation;
    // The last listing and the kinds readdir gave with it, so that sorting a large folder with
    // folders first costs no stat per entry.
    mutable QList<ItemId> m_listed;
    mutable QList<Kind> m_listedKinds;
};

} // namespace shell
