#pragma once

// The rows of one folder for the contents list, without any widget: enumeration, ordering, the
// columns, and the texts of each row fetched the first time the row is asked for and kept.

#include "list_column.h"
#include "shell/shell_namespace.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

class FolderContents
{
public:
    struct Cache
    {
        QString text;
        QStringList cells; // one per column after the first
        quint32 attributes = 0;
        QVariant icon; // filled by whoever draws the row
    };
    struct Row
    {
        shell::ItemId id;
        bool folder = false;
        std::unique_ptr<Cache> cache; // null until the row is first asked for
    };

    // Drops the rows and builds the columns of `folder`. `fileSystem` gives it the built-in
    // columns when it describes none.
    void setFolder(std::shared_ptr<shell::ShellFolder> folder, bool fileSystem);
    // Enumerates the folder again; empty when it cannot be read.
    void fill(bool sorted);

    shell::ShellFolder *folder() const { return m_folder.get(); }
    const QList<ListColumn> &columns() const { return m_columns; }
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    const Row &row(int r) const { return m_rows[static_cast<size_t>(r)]; }
    // The row's texts, fetched on the first call.
    Cache &fetched(int r) const;

    // The error message when the namespace refuses the name; the row keeps its old name then.
    std::optional<QString> rename(int r, const QString &newName);

    // Called with the message when a built-in column's entry cannot be read.
    std::function<void(const QString &)> onDetailsError;

private:
    void fetchCells(const Row &row, Cache &cache) const;

    std::shared_ptr<shell::ShellFolder> m_folder;
    QList<ListColumn> m_columns;
    mutable std::vector<Row> m_rows;
};
