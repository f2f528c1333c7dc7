#pragma once

// The folder tree's model: folders only, below the computer node, each node's children created
// the first time it is expanded.

#include "folder_node.h"
#include "shell/shell_namespace.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QIcon>
#include <memory>

class FolderTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    explicit FolderTreeModel(const shell::ShellNamespace &ns, QObject *parent = nullptr);
    ~FolderTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    QModelIndex topIndex() const;
    FolderNode *nodeFor(const QModelIndex &index) const;
    QModelIndex indexFor(const FolderNode *node) const;

    // Drops a node (after its item was deleted).
    void removeNode(const QModelIndex &index);
    // Adds the sub-folders that appeared since the node's children were created, keeping the
    // existing nodes as they are. Returns whether any was added.
    bool addNewChildren(const QModelIndex &index);
    // Reads the node's folder again and creates its children anew (after items were pasted into
    // it, or to find a folder made since).
    void refetch(const QModelIndex &index);

    // Gives the node of an item renamed in the other view its new identifier, if it exists.
    void followRename(const shell::IdList &before, const shell::IdList &after);

signals:
    void renameFailed(const QString &message);
    void itemRenamed(const shell::IdList &before, const shell::IdList &after);

private:
    bool isTop(const FolderNode *node) const { return node->parent() == m_root.get(); }
    void createChildren(const QModelIndex &parent);
    QIcon icon(const FolderNode &node) const;

    std::unique_ptr<FolderNode> m_root;
    mutable QHash<QString, QIcon> m_iconCache; // by the closed and open icons' theme names
};
