#pragma once

// One node of the folder tree: an item, its place among its siblings and its children once they
// have been created. The invisible root above the top node stands for the top node's parent.

#include "shell/shell_namespace.h"

#include <QString>
#include <memory>
#include <optional>
#include <vector>

class FolderNode
{
public:
    // The invisible root, holding the folder object of the top node's parent.
    FolderNode(shell::IdList ids, std::shared_ptr<shell::ShellFolder> folder);
    FolderNode(FolderNode *parent, shell::ItemId id);

    FolderNode *parent() const { return m_parent; }
    // Whether this node lies somewhere below `ancestor` (not `ancestor` itself).
    bool isInside(const FolderNode *ancestor) const;
    const shell::IdList &ids() const { return m_ids; }
    const shell::ItemId &id() const { return m_ids.last(); }
    int depth() const { return static_cast<int>(m_ids.size()); }
    int row() const { return m_row; }
    void setRow(int row) { m_row = row; }

    // The folder holding this node's item.
    shell::ShellFolder *parentFolder() const;
    // This node's own folder object, opened on first use; nullptr when it cannot be opened.
    shell::ShellFolder *folder() const;

    quint32 attributes() const;
    QString text(shell::NameForm form) const;

    bool populated() const { return m_populated; }
    std::vector<std::unique_ptr<FolderNode>> &children() { return m_children; }
    const std::vector<std::unique_ptr<FolderNode>> &children() const { return m_children; }
    // Creates the children from the folder's sub-folders, in its order. Returns false when the
    // folder could not be read (the node then stays without children).
    bool populate();
    // Forgets the children so that the next expansion creates them again.
    void reset();

    // Gives the node a new identifier after a rename: descendants' lists and opened folders go
    // stale with it.
    void setId(const shell::ItemId &id);

private:
    void rebase(const shell::IdList &parentIds);

    FolderNode *m_parent = nullptr;
    int m_row = 0;
    shell::IdList m_ids;
    mutable std::shared_ptr<shell::ShellFolder> m_folder;
    mutable bool m_folderTried = false;
    mutable std::optional<quint32> m_attributes;
    mutable std::optional<QString> m_text;
    std::vector<std::unique_ptr<FolderNode>> m_children;
    bool m_populated = false;
};
