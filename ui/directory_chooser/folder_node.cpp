#include "folder_node.h"

#include <algorithm>

FolderNode::FolderNode(shell::IdList ids, std::shared_ptr<shell::ShellFolder> folder)
    : m_ids(std::move(ids)), m_folder(std::move(folder)), m_folderTried(true), m_populated(true)
{}

FolderNode::FolderNode(FolderNode *parent, shell::ItemId id)
    : m_parent(parent), m_ids(parent->ids())
{
    m_ids.append(std::move(id));
}

bool FolderNode::isInside(const FolderNode *ancestor) const
{
    for (const FolderNode *n = m_parent; n; n = n->parent()) {
        if (n == ancestor)
            return true;
    }
    return false;
}

shell::ShellFolder *FolderNode::parentFolder() const
{
    return m_parent ? m_parent->folder() : nullptr;
}

shell::ShellFolder *FolderNode::folder() const
{
    if (!m_folderTried) {
        m_folderTried = true;
        if (shell::ShellFolder *p = parentFolder())
            m_folder = p->bindToObject(id());
    }
    return m_folder.get();
}

quint32 FolderNode::attributes() const
{
    if (!m_attributes) {
        shell::ShellFolder *p = parentFolder();
        m_attributes = p ? p->attributesOf(id()) : 0u;
    }
    return *m_attributes;
}

QString FolderNode::text(shell::NameForm form) const
{
    if (form != shell::NameForm::InFolder) {
        shell::ShellFolder *p = parentFolder();
        return p ? p->displayNameOf(id(), form) : QString();
    }
    if (!m_text) {
        shell::ShellFolder *p = parentFolder();
        m_text = p ? p->displayNameOf(id(), form) : QString();
    }
    return *m_text;
}

bool FolderNode::populate()
{
    m_populated = true;
    shell::ShellFolder *f = folder();
    auto ids = f ? f->enumerate(shell::Folders) : std::nullopt;
    if (!ids)
        return false;
    f->sortIds(*ids, false);
    m_children.reserve(static_cast<size_t>(ids->size()));
    for (shell::ItemId &id : *ids) {
        m_children.push_back(std::make_unique<FolderNode>(this, std::move(id)));
        m_children.back()->setRow(static_cast<int>(m_children.size()) - 1);
    }
    return true;
}

void FolderNode::reset()
{
    m_children.clear();
    m_populated = false;
    m_attributes.reset();
    // Opened again: a folder replaced under the same name is read, not the one it replaced. The
    // invisible root's folder was given to it, and stays.
    if (m_parent) {
        m_folder.reset();
        m_folderTried = false;
    }
}

void FolderNode::setId(const shell::ItemId &id)
{
    m_ids.last() = id;
    m_text.reset();
    m_attributes.reset();
    rebase(m_parent ? m_parent->ids() : shell::IdList());
}

void FolderNode::rebase(const shell::IdList &parentIds)
{
    const shell::ItemId own = m_ids.last();
    m_ids = parentIds;
    m_ids.append(own);
    m_folder.reset();
    m_folderTried = false;
    for (auto &child : m_children)
        child->rebase(m_ids);
}
