#include "file_lists.h"

#include "eps_directory_listing.h"
#include "row_moves.h"

#include <QHash>
#include <algorithm>
#ifdef __GLIBC__
#include <malloc.h>
#endif

FileLists::FileLists(QObject *parent) : QObject(parent) {}

void FileLists::list(const QByteArray &directory)
{
    m_selected.takeAll();
    m_available.setNames(EpsDirectoryListing::list(directory));
#ifdef __GLIBC__
    // Sorting a large folder needs several times the room of its names for a moment. The C
    // library keeps the freed pages for later, and they would count against the window for as
    // long as it stays open: they go back to the system now.
    ::malloc_trim(0);
#endif
}

void FileLists::clear()
{
    m_selected.takeAll();
    m_available.takeAll();
}

std::vector<int> FileLists::highlightedRows(const QItemSelectionModel &selection)
{
    // Read the ranges directly: selectedRows() tests every row against every range, which
    // takes seconds when every other row of a long list is highlighted.
    std::vector<int> rows;
    for (const QItemSelectionRange &range : selection.selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void FileLists::moveSelection(NameListModel &from, QItemSelectionModel &fromSelection,
                              NameListModel &to)
{
    const std::vector<int> rows = highlightedRows(fromSelection);
    // Every highlighted row leaves, so nothing stays highlighted here. Dropping the selection
    // quietly first spares carrying thousands of ranges through the move; the views repaint
    // the whole list once the rows have moved anyway.
    fromSelection.reset();
    to.addEntries(from.takeRows(rows));
    fromSelection.setCurrentIndex(from.index(0), QItemSelectionModel::NoUpdate);
}

void FileLists::moveName(NameListModel &from, QItemSelectionModel &fromSelection, int row,
                         NameListModel &to)
{
    if (row < 0 || row >= from.rowCount())
        return;
    to.addEntries(from.takeRows({row}));
    if (from.rowCount() > 0)
        fromSelection.setCurrentIndex(from.index(std::min(row, from.rowCount() - 1)),
                                      QItemSelectionModel::NoUpdate);
}

void FileLists::addName(int row)
{
    moveName(m_available, m_availableSelection, row, m_selected);
}

void FileLists::removeName(int row)
{
    moveName(m_selected, m_selectedSelection, row, m_available);
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
    m_selected.addEntries(m_available.takeAll());
}

void FileLists::removeAll()
{
    m_available.addEntries(m_selected.takeAll());
}

void FileLists::stepSelected(int step)
{
    const std::vector<int> rows = highlightedRows(m_selectedSelection);
    if (!rows.empty())
        m_selected.rearrange(row_moves::stepped(m_selected.rowCount(), rows, step));
}

void FileLists::highlightRun(QItemSelectionModel &selection, int first, int count)
{
    const QAbstractItemModel *model = selection.model();
    selection.select(QItemSelection(model->index(first, 0), model->index(first + count - 1, 0)),
                     QItemSelectionModel::ClearAndSelect);
    selection.setCurrentIndex(model->index(first, 0), QItemSelectionModel::NoUpdate);
}

bool FileLists::dropRows(const NameRows &dragged, NameListModel &target, int row)
{
    NameListModel *source = nullptr;
    if (dragged.source() == &m_available)
        source = &m_available;
    else if (dragged.source() == &m_selected)
        source = &m_selected;
    if (!source || dragged.rows().empty() || !dragged.stillHeld())
        return false;

    if (source == &target) {
        // The available list keeps its own order.
        if (&target != &m_selected)
            return false;
        const int count = m_selected.rowCount();
        m_selected.rearrange(row_moves::dropped(count, dragged.rows(), row < 0 ? count : row));
        return true;
    }
    NameListModel::Entries moved = source->takeRows(dragged.rows());
    if (&target == &m_available) {
        m_available.addEntries(std::move(moved));
        return true;
    }
    const int at = row < 0 ? m_selected.rowCount() : std::min(row, m_selected.rowCount());
    const int count = int(moved.size());
    m_selected.insertEntries(at, std::move(moved));
    highlightRun(m_selectedSelection, at, count);
    return true;
}

void FileLists::insertSelected(const std::vector<QByteArray> &names, int row)
{
    // Each name once, in the order given.
    QHash<QByteArray, size_t> place;
    std::vector<QByteArray> wanted;
    for (const QByteArray &name : names) {
        if (!place.contains(name)) {
            place.insert(name, wanted.size());
            wanted.push_back(name);
        }
    }
    if (wanted.empty())
        return;
    std::vector<bool> found(wanted.size(), false);
    const auto rowsHolding = [&](const NameListModel &list) {
        std::vector<int> rows;
        for (int at = 0; at < list.rowCount(); ++at) {
            const auto it = place.constFind(list.nameAt(at));
            if (it != place.cend() && !found[*it]) {
                found[*it] = true;
                rows.push_back(at);
            }
        }
        return rows;
    };
    const std::vector<int> fromAvailable = rowsHolding(m_available);
    const std::vector<int> fromSelected = rowsHolding(m_selected);

    int at = row < 0 ? m_selected.rowCount() : std::min(row, m_selected.rowCount());
    // The names taken from above the drop leave their places, which moves it up.
    at -=
        int(std::lower_bound(fromSelected.begin(), fromSelected.end(), at) - fromSelected.begin());
    std::vector<NameListModel::Entry> entries(wanted.size());
    for (NameListModel::Entry &entry : m_available.takeRows(fromAvailable))
        entries[place.value(entry.bytes)] = std::move(entry);
    for (NameListModel::Entry &entry : m_selected.takeRows(fromSelected))
        entries[place.value(entry.bytes)] = std::move(entry);
    for (size_t i = 0; i < wanted.size(); ++i) {
        if (!found[i])
            entries[i] = m_selected.entryFor(wanted[i]);
    }
    m_selected.insertEntries(at, std::move(entries));
    highlightRun(m_selectedSelection, at, int(wanted.size()));
}
