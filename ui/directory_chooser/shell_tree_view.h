#pragma once

// The folder tree: the computer node at the top, folders only, children created on first
// expansion. Its FolderPath shows a folder when written and names the selected one when read.

#include "folder_tree_navigator.h"
#include "shell/shell_namespace.h"

#include <QPersistentModelIndex>
#include <QTreeView>

class FolderNode;
class FolderTreeModel;
class TShellListView;

class TShellTreeView : public QTreeView
{
    Q_OBJECT

public:
    explicit TShellTreeView(const shell::ShellNamespace &ns, QWidget *parent = nullptr);

    // Throws EInvalidPath when the namespace cannot parse `path`; nothing changes then.
    void setFolderPath(const QString &path);
    // The selected folder's path; the display name of a virtual folder; empty without selection.
    QString FolderPath() const;
    // The same two for a folder named by the file system's own bytes, which need not be valid
    // text. Reading gives an empty array without selection or for a virtual folder.
    void setFolderFileSystemPath(const QByteArray &path);
    QByteArray folderFileSystemPath() const;

    void setShellListView(TShellListView *list);
    FolderTreeModel *folderModel() const { return m_model; }

    // Moves the selection to the node of `ids`, expanding its ancestors, without telling the
    // list (which is already there). Returns whether a node was selected.
    bool followFolder(const shell::IdList &ids);
    // The full identifier list of the selected node, if any.
    std::optional<shell::IdList> selectedIds() const;
    // Expands a node, creating its children the first time.
    void expandNode(const QModelIndex &index);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                 const QModelIndex &index) const override;
    void showEvent(QShowEvent *event) override;

private:
    FolderNode *selectedNode() const;
    void selectNode(FolderNode *node);
    void revealSideways(const QModelIndex &index);
    void showFolder(const shell::IdList &ids);
    void onSelectionChanged();
    void onCollapsed(const QModelIndex &index);
    void runVerb(const QString &verb, FolderNode *node);
    void rebuildSubtree(FolderNode *node);
    void removeNode(FolderNode *node);

    const shell::ShellNamespace &m_ns;
    FolderTreeModel *m_model;
    FolderTreeNavigator m_navigator;
    TShellListView *m_list = nullptr;
    bool m_followingSuspended = false;
    QPersistentModelIndex m_menuTarget; // the node whose context menu is open
};
