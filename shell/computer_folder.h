#pragma once

// The computer level: one item per mounted volume, identified by its mount point.

#include "name_collation.h"
#include "shell_namespace.h"
#include "volume.h"

namespace shell {

class ComputerFolder : public ShellFolder
{
public:
    explicit ComputerFolder(QList<Volume> volumes);

    // "Disque local (ext4)", "Disque réseau (nfs4)", ...
    static QString volumeType(const Volume &volume);

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
    QString iconNameOf(const ItemId &child, bool open) const override;

private:
    const Volume *find(const ItemId &id) const;

    QList<Volume> m_volumes;
    NameCollation m_collation;
};

} // namespace shell
