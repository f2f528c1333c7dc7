#pragma once

// The contents list's model: one row per item of the list folder, texts and icons fetched for
// the rows that are drawn.

#include "folder_contents.h"
#include "shell/shell_namespace.h"

#include <QAbstractTableModel>

class FolderListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit FolderListModel(const shell::ShellNamespace &ns, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Shows the folder at `ids`; the desktop's items when that folder cannot be opened.
    void setFolder(const shell::IdList &ids);
    // Enumerates the folder again.
    void refill();
    const shell::IdList &folderIds() const { return m_ids; }
    const FolderContents &contents() const { return m_contents; }
    shell::IdList idsOf(int row) const;
    bool isFolderRow(int row) const;
    // The width of each column in characters.
    QList<int> columnWidths() const;

    // Reopens the list folder under its new identifiers when it or a folder above it was
    // renamed in the other view.
    void followRename(const shell::IdList &before, const shell::IdList &after);

signals:
    void renameFailed(const QString &message);
    void itemRenamed(const shell::IdList &before, const shell::IdList &after);
    void folderChanged();
    void detailsFailed(const QString &message);

private:
    bool isFileSystem(const shell::IdList &ids) const;

    const shell::ShellNamespace &m_ns;
    shell::IdList m_ids;
    FolderContents m_contents;
};
