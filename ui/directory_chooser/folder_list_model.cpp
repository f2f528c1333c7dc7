#include "folder_list_model.h"

#include "busy_cursor.h"
#include "item_icon.h"
#include "shell/id_list.h"

namespace {

// The list shows folders first, each group in its folder's order.
constexpr bool Sorted = true;

} // namespace

FolderListModel::FolderListModel(const shell::ShellNamespace &ns, QObject *parent)
    : QAbstractTableModel(parent), m_ns(ns)
{
    m_contents.onDetailsError = [this](const QString &message) { emit detailsFailed(message); };
}

int FolderListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_contents.rowCount();
}

int FolderListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_contents.columns().size());
}

QVariant FolderListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_contents.rowCount())
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
        const FolderContents::Cache &cache = m_contents.fetched(index.row());
        if (column == 0)
            return cache.text;
        return cache.cells.value(column - 1);
    }
    case Qt::DecorationRole: {
        if (column != 0)
            return {};
        FolderContents::Cache &cache = m_contents.fetched(index.row());
        if (!cache.icon.isValid())
            cache.icon = ItemIcon::of(*m_contents.folder(), m_contents.row(index.row()).id);
        return cache.icon;
    }
    case Qt::TextAlignmentRole:
        return headerData(column, Qt::Horizontal, role);
    default:
        return {};
    }
}

QVariant FolderListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_contents.columns().size())
        return QAbstractTableModel::headerData(section, orientation, role);
    const ListColumn &c = m_contents.columns().at(section);
    switch (role) {
    case Qt::DisplayRole:
        return c.header;
    case Qt::TextAlignmentRole: {
        const Qt::Alignment h = c.format == 1   ? Qt::AlignRight
                                : c.format == 2 ? Qt::AlignHCenter
                                                : Qt::AlignLeft;
        return QVariant::fromValue(h | Qt::AlignVCenter);
    }
    default:
        return {};
    }
}

Qt::ItemFlags FolderListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // The view asks every row for its flags while laying out: asking the namespace here would
    // fetch all rows. Whether the item takes the new name is decided when the edit ends.
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0)
        f |= Qt::ItemIsEditable;
    return f;
}

bool FolderListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || index.column() != 0)
        return false;
    const QString newName = value.toString();
    const FolderContents::Cache &cache = m_contents.fetched(index.row());
    if (newName.isEmpty() || newName == cache.text || !(cache.attributes & shell::CanRename))
        return false;
    const shell::IdList before = idsOf(index.row());
    if (const std::optional<QString> error = m_contents.rename(index.row(), newName)) {
        emit renameFailed(*error);
        return false;
    }
    emit itemRenamed(before, idsOf(index.row()));
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
    return true;
}

void FolderListModel::setFolder(const shell::IdList &ids)
{
    beginResetModel();
    std::shared_ptr<shell::ShellFolder> folder = shell::bindFolder(m_ns, ids);
    m_ids = ids;
    if (!folder) {
        // What cannot be opened is shown as the desktop, the one folder always at hand.
        folder = m_ns.desktop();
        m_ids.clear();
    }
    m_contents.setFolder(std::move(folder), isFileSystem(m_ids));
    {
        BusyCursor busy;
        m_contents.fill(Sorted);
    }
    endResetModel();
    emit folderChanged();
}

void FolderListModel::refill()
{
    beginResetModel();
    // Opened again: a folder replaced under the same name is read, not the one it replaced.
    if (std::shared_ptr<shell::ShellFolder> folder = shell::bindFolder(m_ns, m_ids))
        m_contents.setFolder(std::move(folder), isFileSystem(m_ids));
    {
        BusyCursor busy;
        m_contents.fill(Sorted);
    }
    endResetModel();
}

shell::IdList FolderListModel::idsOf(int row) const
{
    shell::IdList ids = m_ids;
    ids.append(m_contents.row(row).id);
    return ids;
}

bool FolderListModel::isFolderRow(int row) const
{
    return m_contents.row(row).folder;
}

QList<int> FolderListModel::columnWidths() const
{
    QList<int> widths;
    for (const ListColumn &c : m_contents.columns())
        widths.append(c.widthInCharacters);
    return widths;
}

bool FolderListModel::isFileSystem(const shell::IdList &ids) const
{
    if (ids.isEmpty())
        return false;
    shell::IdList parentIds = ids;
    parentIds.removeLast();
    const std::shared_ptr<shell::ShellFolder> parent = shell::bindFolder(m_ns, parentIds);
    return parent && (parent->attributesOf(ids.last()) & shell::FileSystem);
}

void FolderListModel::followRename(const shell::IdList &before, const shell::IdList &after)
{
    if (m_ids.size() < before.size() || m_ids.mid(0, before.size()) != before)
        return;
    // The list shows the renamed folder or one inside it: it opens it under its new name.
    shell::IdList ids = after;
    ids.append(m_ids.mid(before.size()));
    setFolder(ids);
}
