#pragma once

// How the folder tree reaches an item and keeps its shape when a folder is read again: the search
// through the nodes that exist, in display order; the expansion of the ancestors on the way, a
// folder read again for a sub-folder made since; and the rebuilding of a subtree that keeps its
// expanded nodes, the selection and the top visible node. Selecting is left to the view, which
// brings the selected node into sight its own way.

#include "shell/shell_namespace.h"

#include <optional>

class FolderNode;
class FolderTreeModel;
class QModelIndex;
class QTreeView;

class FolderTreeNavigator
{
public:
    FolderTreeNavigator(QTreeView &view, FolderTreeModel &model);

    // Expands a node, creating its children the first time; a node found to hold no folder is
    // collapsed, and loses its expand mark.
    void expand(const QModelIndex &index);

    // The node of `ids` among those that exist, from `from` (the top node by default) to the end
    // of its subtree, in display order.
    FolderNode *find(const shell::IdList &ids, FolderNode *from = nullptr) const;

    // The node of `ids`, each ancestor on the way expanded; nullptr when the tree does not reach
    // it. An ancestor that is not found is passed over: the search goes on from the last found.
    FolderNode *follow(const shell::IdList &ids);

    // What the view selects and scrolls to once a subtree is rebuilt; nullptr where gone.
    struct Rebuilt
    {
        FolderNode *selected = nullptr;
        FolderNode *topVisible = nullptr;
    };
    // Reads `node`'s folder again and creates its subtree anew, the nodes that were expanded
    // expanded again. `selected` names the node selected before.
    Rebuilt rebuild(FolderNode *node, const std::optional<shell::IdList> &selected);

    // Shows the sub-folders made in `node`'s folder since its children were created.
    void showNewChildren(FolderNode *node);

private:
    // find() below `current`, its folder read again for `ids` when that is a child made since.
    FolderNode *findBelow(FolderNode *current, const shell::IdList &ids);

    QTreeView &m_view;
    FolderTreeModel &m_model;
};
