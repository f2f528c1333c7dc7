#pragma once

// The folder contents list in report style: one row per item of the list folder, folders first,
// sorted; double-click, Enter, Backspace and F5 move about, and the tree follows.

#include "shell/shell_namespace.h"

#include <QTreeView>

class FolderListModel;
class TShellTreeView;

class TShellListView : public QTreeView
{
    Q_OBJECT

public:
    explicit TShellListView(const shell::ShellNamespace &ns, QWidget *parent = nullptr);

    void setShellTreeView(TShellTreeView *tree);
    FolderListModel *folderModel() const { return m_model; }

    // Shows the folder at `ids` (the desktop's items when it cannot be opened); the tree is not
    // told, for it is the tree that asks.
    void showFolder(const shell::IdList &ids);
    const shell::IdList &folderIds() const;

    // The user's moves: the list changes folder and the tree follows.
    void navigateTo(const shell::IdList &ids);
    void goToParent();
    void refill();
    // Double-click or Enter on a row: a folder is entered, a file opened.
    void activateRow(int row);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void applyColumnWidths();
    int selectedRow() const;
    void runVerb(const QString &verb, int row);

    FolderListModel *m_model;
    TShellTreeView *m_tree = nullptr;
};
