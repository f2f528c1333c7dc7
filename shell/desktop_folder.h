#pragma once

// The desktop, root of the namespace: the computer node, the user's home folder, then the
// entries of the XDG desktop folder.

#include "directory_folder.h"
#include "volume.h"

#include <functional>

namespace shell {

class DesktopFolder : public ShellFolder
{
public:
    // Identifiers of the desktop's own items. Each holds a '/', which no entry name can, so they
    // never meet the desktop folder's entries.
    static const ItemId ComputerId;
    static const ItemId HomeId;
    // The computer node's parsing name, in the class-identifier form of virtual folders.
    static const QString ComputerParsingName;
    static const QString ComputerName; // "Ordinateur"
    static const QString HomeName;     // "Dossier personnel"

    // `desktopPath` empty: no desktop entries (no desktop folder, or it is the home itself).
    DesktopFolder(QByteArray homePath, QByteArray desktopPath,
                  std::function<QList<Volume>()> volumes);

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
    // 0 the computer, 1 the home folder, 2 the desktop's entries.
    static int rankOf(const ItemId &id);
    bool isEntry(const ItemId &id) const;

    QByteArray m_homePath;
    std::function<QList<Volume>()> m_volumes;
    std::optional<DirectoryFolder> m_entries;
};

} // namespace shell
