#include "folder_contents.h"

#include "builtin_details.h"
#include "column_set.h"
#include "rename_failure.h"

#include <algorithm>
#include <cerrno>

void FolderContents::setFolder(std::shared_ptr<shell::ShellFolder> folder, bool fileSystem)
{
    m_rows.clear();
    m_folder = std::move(folder);
    m_columns = m_folder ? ColumnSet::build(*m_folder, fileSystem) : QList<ListColumn>();
}

void FolderContents::fill(bool sorted)
{
    m_rows.clear();
    if (!m_folder)
        return;
    std::optional<QList<shell::ItemId>> ids =
        m_folder->enumerate(shell::Folders | shell::NonFolders);
    if (!ids)
        return;
    const shell::ShellFolder &f = *m_folder;
    const auto isFolder = [&f](const shell::ItemId &id) {
        return (f.attributesOf(id) & shell::Folder) != 0;
    };
    qsizetype folderCount = -1;
    if (sorted) {
        m_folder->sortIds(*ids, true);
        // Folders come first: the boundary is found with a few attribute queries instead of one
        // per row, which for a large folder would cost more than the listing itself.
        folderCount = std::partition_point(ids->cbegin(), ids->cend(), isFolder) - ids->cbegin();
    }
    m_rows.reserve(static_cast<size_t>(ids->size()));
    for (qsizetype i = 0; i < ids->size(); ++i) {
        shell::ItemId &id = (*ids)[i];
        const bool folder = folderCount >= 0 ? i < folderCount : isFolder(id);
        m_rows.push_back({std::move(id), folder, nullptr});
    }
}

FolderContents::Cache &FolderContents::fetched(int r) const
{
    Row &row = m_rows[static_cast<size_t>(r)];
    if (!row.cache) {
        row.cache = std::make_unique<Cache>();
        row.cache->text = m_folder->displayNameOf(row.id, shell::NameForm::InFolder);
        row.cache->attributes = m_folder->attributesOf(row.id);
        fetchCells(row, *row.cache);
    }
    return *row.cache;
}

void FolderContents::fetchCells(const Row &row, Cache &cache) const
{
    std::optional<BuiltinCells> builtin;
    for (qsizetype c = 1; c < m_columns.size(); ++c) {
        const ListColumn &column = m_columns.at(c);
        if (column.source == ListColumn::Source::Namespace) {
            cache.cells.append(m_folder->detailsOf(row.id, column.sourceColumn));
            continue;
        }
        if (!builtin) {
            const std::optional<QByteArray> path = m_folder->fileSystemPath(row.id);
            builtin = path ? BuiltinDetails::read(*path) : BuiltinCells{{}, {}, {}, ENOENT};
            if (builtin->error != 0 && onDetailsError)
                onDetailsError(BuiltinDetails::errorMessage(cache.text, builtin->error));
        }
        switch (column.source) {
        case ListColumn::Source::BuiltinSize:
            cache.cells.append(builtin->size);
            break;
        case ListColumn::Source::BuiltinType:
            cache.cells.append(builtin->type);
            break;
        case ListColumn::Source::BuiltinMtime:
            cache.cells.append(builtin->modified);
            break;
        default:
            cache.cells.append(QString());
            break;
        }
    }
}

std::optional<QString> FolderContents::rename(int r, const QString &newName)
{
    Row &row = m_rows[static_cast<size_t>(r)];
    const std::optional<shell::ItemId> newId = m_folder->setNameOf(row.id, newName);
    if (!newId)
        return renameFailureMessage(newName);
    row.id = *newId;
    row.cache.reset();
    return std::nullopt;
}
