#include "folder_tree_navigator.h"

#include "folder_node.h"
#include "folder_tree_model.h"
#include "shell/id_list.h"

#include <QTreeView>
#include <vector>

FolderTreeNavigator::FolderTreeNavigator(QTreeView &view, FolderTreeModel &model)
    : m_view(view), m_model(model)
{}

void FolderTreeNavigator::expand(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    if (m_model.canFetchMore(index))
        m_model.fetchMore(index);
    if (m_model.rowCount(index) > 0)
        m_view.expand(index);
    else
        m_view.collapse(index);
}

FolderNode *FolderTreeNavigator::find(const shell::IdList &ids, FolderNode *from) const
{
    std::vector<FolderNode *> pending{from ? from : m_model.nodeFor(m_model.topIndex())};
    while (!pending.empty()) {
        FolderNode *node = pending.back();
        pending.pop_back();
        if (shell::sameItem(node->parentFolder(), node->ids(), ids))
            return node;
        const auto &children = node->children();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            pending.push_back(it->get());
    }
    return nullptr;
}

FolderNode *FolderTreeNavigator::findBelow(FolderNode *current, const shell::IdList &ids)
{
    if (FolderNode *found = find(ids, current))
        return found;
    // A folder made since `current` was first expanded would otherwise never be reached: the
    // node's folder is read again for it, and only then.
    const shell::IdList &here = current->ids();
    const bool isChild = ids.size() == here.size() + 1 && ids.first(here.size()) == here;
    if (!isChild)
        return nullptr;
    const QModelIndex index = m_model.indexFor(current);
    if (current->populated()) {
        if (m_model.addNewChildren(index))
            return find(ids, current);
        return nullptr;
    }
    // Never opened because it had no sub-folders when first drawn: what it holds now is read.
    m_model.refetch(index);
    expand(index);
    return find(ids, current);
}

FolderNode *FolderTreeNavigator::follow(const shell::IdList &ids)
{
    FolderNode *current = m_model.nodeFor(m_model.topIndex());
    for (qsizetype length = 0; length < ids.size(); ++length) {
        if (FolderNode *found = findBelow(current, ids.first(length))) {
            expand(m_model.indexFor(found));
            current = found;
        }
    }
    return findBelow(current, ids);
}

FolderTreeNavigator::Rebuilt
FolderTreeNavigator::rebuild(FolderNode *node, const std::optional<shell::IdList> &selected)
{
    // Nodes are found again by their identifier lists once the subtree is created anew.
    QList<shell::IdList> expandedIds;
    std::vector<const FolderNode *> pending{node};
    while (!pending.empty()) {
        const FolderNode *n = pending.back();
        pending.pop_back();
        if (m_view.isExpanded(m_model.indexFor(n)))
            expandedIds.append(n->ids());
        for (const auto &child : n->children())
            pending.push_back(child.get());
    }
    const QModelIndex topVisible = m_view.indexAt(QPoint(0, 0));
    const std::optional<shell::IdList> topIds =
        topVisible.isValid() ? std::optional<shell::IdList>(m_model.nodeFor(topVisible)->ids())
                             : std::nullopt;

    const QModelIndex index = m_model.indexFor(node);
    const bool wasExpanded = m_view.isExpanded(index);
    m_model.refetch(index);
    for (const shell::IdList &ids : expandedIds) {
        if (FolderNode *n = find(ids))
            expand(m_model.indexFor(n));
    }
    if (wasExpanded)
        m_view.expand(index);
    Rebuilt rebuilt;
    if (selected)
        rebuilt.selected = find(*selected);
    if (topIds)
        rebuilt.topVisible = find(*topIds);
    return rebuilt;
}

void FolderTreeNavigator::showNewChildren(FolderNode *node)
{
    const QModelIndex index = m_model.indexFor(node);
    if (node->populated())
        m_model.addNewChildren(index);
    else
        m_model.refetch(index); // its expand button followed what it held before
}
