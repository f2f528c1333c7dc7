#include "file_lists.h"

#include "eps_directory_listing.h"

#include <algorithm>

FileLists::FileLists(QObject *parent) : QObject(parent) {}

void FileLists::list(const QByteArray &directory)
{
    m_selected.takeAll();
    m_available.setNames(EpsDirectoryListing::list(directory));
}

void FileLists::clear()
{
    m_selected.takeAll();
    m_available.takeAll();
}

void FileLists::moveSelection(NameListModel &from, QItemSelectionModel &fromSelection,
                              NameListModel &to)
{
    std::vector<int> rows;
    const QModelIndexList highlighted = fromSelection.selectedRows();
    rows.reserve(size_t(highlighted.size()));
    for (const QModelIndex &index : highlighted)
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    to.addNames(from.takeRows(rows));
    fromSelection.setCurrentIndex(from.index(0), QItemSelectionModel::NoUpdate);
}

void FileLists::addSelection()
{
    moveSelection(m_available, m_availableSelection, m_selected);
}

void FileLists::removeSelection()
{
    moveSelection(m_selected, m_selectedSelection, m_available);
}

void FileLists::addAll()
{
    m_selected.addNames(m_available.takeAll());
}

void FileLists::removeAll()
{
    m_available.addNames(m_selected.takeAll());
}
