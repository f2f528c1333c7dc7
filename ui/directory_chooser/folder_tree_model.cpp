#include "folder_tree_model.h"

#include "busy_cursor.h"
#include "item_icon.h"
#include "rename_failure.h"
#include "shell/id_list.h"

#include <QSet>
#include <algorithm>

FolderTreeModel::FolderTreeModel(const shell::ShellNamespace &ns, QObject *parent)
    : QAbstractItemModel(parent)
{
    const shell::IdList top = ns.computerNode();
    shell::IdList above = top;
    above.removeLast();
    m_root = std::make_unique<FolderNode>(above, shell::bindFolder(ns, above));
    m_root->children().push_back(std::make_unique<FolderNode>(m_root.get(), top.last()));
}

FolderTreeModel::~FolderTreeModel() = default;

FolderNode *FolderTreeModel::nodeFor(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<FolderNode *>(index.internalPointer()) : m_root.get();
}

QModelIndex FolderTreeModel::indexFor(const FolderNode *node) const
{
    if (!node || node == m_root.get())
        return {};
    return createIndex(node->row(), 0, const_cast<FolderNode *>(node));
}

QModelIndex FolderTreeModel::topIndex() const
{
    return index(0, 0);
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0 || (parent.isValid() && parent.column() != 0))
        return {};
    const FolderNode *p = nodeFor(parent);
    if (row >= static_cast<int>(p->children().size()))
        return {};
    return createIndex(row, 0, p->children()[static_cast<size_t>(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex &child) const
{
    if (!child.isValid())
        return {};
    return indexFor(nodeFor(child)->parent());
}

int FolderTreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    return static_cast<int>(nodeFor(parent)->children().size());
}

int FolderTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

bool FolderTreeModel::hasChildren(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return false;
    const FolderNode *node = nodeFor(parent);
    if (node->populated())
        return !node->children().empty();
    const quint32 a = node->attributes();
    return (a & shell::Folder) && (a & shell::HasSubFolder);
}

bool FolderTreeModel::canFetchMore(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return false;
    const FolderNode *node = nodeFor(parent);
    return !node->populated() && hasChildren(parent);
}

void FolderTreeModel::fetchMore(const QModelIndex &parent)
{
    if (canFetchMore(parent))
        createChildren(parent);
}

void FolderTreeModel::createChildren(const QModelIndex &parent)
{
    FolderNode *node = nodeFor(parent);
    BusyCursor busy;
    // The children are created before the view hears of them, then announced in one go.
    node->populate();
    const int count = static_cast<int>(node->children().size());
    if (count > 0) {
        std::vector<std::unique_ptr<FolderNode>> created = std::move(node->children());
        node->children().clear();
        beginInsertRows(parent, 0, count - 1);
        node->children() = std::move(created);
        endInsertRows();
    } else {
        // The expand button goes once the folder turns out to have no sub-folders.
        emit dataChanged(parent, parent);
    }
}

QVariant FolderTreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const FolderNode *node = nodeFor(index);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return node->text(isTop(node) ? shell::NameForm::Normal : shell::NameForm::InFolder);
    case Qt::DecorationRole:
        return icon(*node);
    default:
        return {};
    }
}

QIcon FolderTreeModel::icon(const FolderNode &node) const
{
    shell::ShellFolder *p = node.parentFolder();
    if (!p)
        return {};
    const QString closedName = p->iconNameOf(node.id(), false);
    const QString openName = p->iconNameOf(node.id(), true);
    if (closedName.isEmpty() || openName.isEmpty() || closedName == openName)
        return ItemIcon::of(*p, node.id());
    // The selected node shows the folder open: the views draw an icon's Selected mode for it.
    const QString key = closedName + QLatin1Char('\n') + openName;
    auto it = m_iconCache.constFind(key);
    if (it == m_iconCache.cend()) {
        const QIcon closed = ItemIcon::of(*p, node.id(), false);
        const QIcon open = ItemIcon::of(*p, node.id(), true);
        QIcon both;
        for (const int size : {16, 22, 32}) {
            both.addPixmap(closed.pixmap(size), QIcon::Normal);
            both.addPixmap(open.pixmap(size), QIcon::Selected);
        }
        it = m_iconCache.insert(key, both);
    }
    return *it;
}

Qt::ItemFlags FolderTreeModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (nodeFor(index)->attributes() & shell::CanRename)
        f |= Qt::ItemIsEditable;
    return f;
}

bool FolderTreeModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    FolderNode *node = nodeFor(index);
    const QString newName = value.toString();
    if (newName.isEmpty() || newName == data(index, Qt::EditRole).toString())
        return false;
    shell::ShellFolder *p = node->parentFolder();
    if (!p || !(node->attributes() & shell::CanRename))
        return false;
    const std::optional<shell::ItemId> newId = p->setNameOf(node->id(), newName);
    if (!newId) {
        emit renameFailed(renameFailureMessage(newName));
        return false;
    }
    const shell::IdList before = node->ids();
    node->setId(*newId);
    emit dataChanged(index, index);
    emit itemRenamed(before, node->ids());
    return true;
}

void FolderTreeModel::removeNode(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    FolderNode *node = nodeFor(index);
    FolderNode *parent = node->parent();
    const int row = node->row();
    beginRemoveRows(index.parent(), row, row);
    auto &siblings = parent->children();
    siblings.erase(siblings.begin() + row);
    for (size_t i = static_cast<size_t>(row); i < siblings.size(); ++i)
        siblings[i]->setRow(static_cast<int>(i));
    endRemoveRows();
}

void FolderTreeModel::refetch(const QModelIndex &index)
{
    FolderNode *node = nodeFor(index);
    if (!node->children().empty()) {
        beginRemoveRows(index, 0, static_cast<int>(node->children().size()) - 1);
        node->reset();
        endRemoveRows();
    } else {
        node->reset();
    }
    // Read whatever the folder's attributes said when the node was first drawn.
    if (index.isValid())
        createChildren(index);
}

void FolderTreeModel::followRename(const shell::IdList &before, const shell::IdList &after)
{
    // Only nodes that exist can be stale; a search through them is enough.
    std::vector<FolderNode *> pending{m_root.get()};
    while (!pending.empty()) {
        FolderNode *node = pending.back();
        pending.pop_back();
        if (node != m_root.get() && node->ids() == before) {
            node->setId(after.last());
            const QModelIndex index = indexFor(node);
            emit dataChanged(index, index);
            return;
        }
        for (const auto &child : node->children()) {
            if (child->depth() <= before.size())
                pending.push_back(child.get());
        }
    }
}

bool FolderTreeModel::addNewChildren(const QModelIndex &index)
{
    FolderNode *node = nodeFor(index);
    shell::ShellFolder *f = node->folder();
    if (!index.isValid() || !node->populated() || !f)
        return false;
    auto ids = f->enumerate(shell::Folders);
    if (!ids)
        return false;
    QSet<shell::ItemId> known;
    for (const auto &child : node->children())
        known.insert(child->id());
    auto &children = node->children();
    bool added = false;
    for (const shell::ItemId &id : *ids) {
        if (known.contains(id))
            continue;
        const auto at = std::find_if(children.cbegin(), children.cend(), [&](const auto &c) {
            return f->compareIds(0, c->id(), id) > 0;
        });
        const int row = static_cast<int>(at - children.cbegin());
        beginInsertRows(index, row, row);
        children.insert(children.begin() + row, std::make_unique<FolderNode>(node, id));
        for (size_t i = static_cast<size_t>(row); i < children.size(); ++i)
            children[i]->setRow(static_cast<int>(i));
        endInsertRows();
        added = true;
    }
    return added;
}
