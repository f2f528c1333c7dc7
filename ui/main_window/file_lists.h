// The main window's two lists and the moves between them, free of widgets so they can be
// driven directly: the available EPS files, in alphabetical order, and the selected files, in
// the order of assembly.
#pragma once

#include "name_list_model.h"

#include <QItemSelectionModel>
#include <QObject>
#include <vector>

class FileLists : public QObject
{
    Q_OBJECT

public:
    explicit FileLists(QObject *parent = nullptr);

    NameListModel *available() { return &m_available; }
    NameListModel *selected() { return &m_selected; }
    QItemSelectionModel *availableSelection() { return &m_availableSelection; }
    QItemSelectionModel *selectedSelection() { return &m_selectedSelection; }

    int availableCount() const { return m_available.rowCount(); }
    int selectedCount() const { return m_selected.rowCount(); }

    // Empties both lists, then offers the EPS files of `directory`.
    void list(const QByteArray &directory);
    void clear();

    // Moves the highlighted names: they join the other list in this list's order, after what it
    // holds (or sorted into place for the available list). Afterwards the caret sits on the
    // first row of the list they left, with nothing highlighted there.
    void addSelection();
    void removeSelection();
    // Moves every name, top to bottom.
    void addAll();
    void removeAll();
    // Moves the name at `row` alone; the other names keep their highlight, and the caret sits
    // on the name that took its place.
    void addName(int row);
    void removeName(int row);

    // Moves the highlighted names of the selected list one place up (step -1) or down (+1),
    // still highlighted.
    void stepSelected(int step);
    // Moves names dragged from either list to `target`: into the selected list before `row`
    // (the end for -1), highlighted there; back into the available list, sorted in. Names
    // dragged within the selected list keep their highlight. False when nothing moved: names
    // dragged from elsewhere, or that their list no longer holds.
    bool dropRows(const NameRows &dragged, NameListModel &target, int row);
    // Puts `names` into the selected list before `row` (the end for -1), in the order given and
    // highlighted there: taken from the list that holds them, or added when neither does.
    void insertSelected(const std::vector<QByteArray> &names, int row);

    // The assembly order.
    std::vector<QByteArray> selectedNames() const { return m_selected.names(); }

private:
    // The highlighted rows, ascending.
    static std::vector<int> highlightedRows(const QItemSelectionModel &selection);
    static void moveSelection(NameListModel &from, QItemSelectionModel &fromSelection,
                              NameListModel &to);
    static void moveName(NameListModel &from, QItemSelectionModel &fromSelection, int row,
                         NameListModel &to);
    // Highlights `count` rows from `first` alone, the caret on the first.
    static void highlightRun(QItemSelectionModel &selection, int first, int count);

    NameListModel m_available{NameListModel::Order::Alphabetical};
    NameListModel m_selected{NameListModel::Order::AsAdded};
    QItemSelectionModel m_availableSelection{&m_available};
    QItemSelectionModel m_selectedSelection{&m_selected};
};
