// One of the main window's two file lists: bare file names, either kept in the user's
// alphabetical order or in the order they were added.
#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QCollator>
#include <QCollatorSortKey>
#include <QString>
#include <optional>
#include <vector>

class NameListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum class Order { Alphabetical, AsAdded };
    // The name's bytes as the file system gave them, for rebuilding paths.
    static constexpr int NameBytesRole = Qt::UserRole;

    explicit NameListModel(Order order, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    Order order() const { return m_order; }
    QByteArray nameAt(int row) const { return m_entries.at(row).bytes; }
    std::vector<QByteArray> names() const;

    // Replaces the whole contents in one reset.
    void setNames(const std::vector<QByteArray> &names);
    // Adds in one batch: sorted into place or appended, by the list's order. Duplicates are
    // kept. Rows already there keep their selection and the current row.
    void addNames(const std::vector<QByteArray> &names);
    // Removes the given rows (ascending, no repeats) in one batch and returns their names in
    // that order. The remaining rows keep their selection and the current row.
    std::vector<QByteArray> takeRows(const std::vector<int> &rows);
    std::vector<QByteArray> takeAll();

private:
    struct Entry
    {
        QByteArray bytes;
        QString text;
        std::optional<QCollatorSortKey> key; // only in the alphabetical list
    };

    Entry makeEntry(const QByteArray &bytes) const;
    bool lessThan(const Entry &a, const Entry &b) const;
    void sortEntries(std::vector<Entry> &entries) const;
    // Installs `entries`, moving every persistent index from its old row to `newRowOfOld`
    // (-1 for a row that is gone).
    void relayout(std::vector<Entry> entries, const std::vector<int> &newRowOfOld);

    Order m_order;
    QCollator m_collator;
    std::vector<Entry> m_entries;
};
