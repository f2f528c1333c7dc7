#include "name_list_model.h"

#include <algorithm>

NameListModel::NameListModel(Order order, QObject *parent)
    : QAbstractListModel(parent), m_order(order)
{
    // The C locale collates by code point and ignores the case setting, which would put "Z"
    // before "a"; such a session still gets a case-insensitive order, in the window's language.
    if (m_collator.locale().language() == QLocale::C)
        m_collator.setLocale(QLocale(QLocale::French, QLocale::France));
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

int NameListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant NameListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const Entry &entry = m_entries[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return entry.text;
    case NameBytesRole:
        return entry.bytes;
    default:
        return {};
    }
}

std::vector<QByteArray> NameListModel::names() const
{
    std::vector<QByteArray> result;
    result.reserve(m_entries.size());
    for (const Entry &entry : m_entries)
        result.push_back(entry.bytes);
    return result;
}

NameListModel::Entry NameListModel::makeEntry(const QByteArray &bytes) const
{
    Entry entry{bytes, QString::fromUtf8(bytes), std::nullopt, 0};
    if (m_order == Order::Alphabetical)
        entry.key = m_collator.sortKey(entry.text);
    if (m_measure)
        entry.textWidth = m_measure(entry.text);
    return entry;
}

bool NameListModel::lessThan(const Entry &a, const Entry &b) const
{
    const int byKey = a.key->compare(*b.key);
    if (byKey != 0)
        return byKey < 0;
    // Names equal but for letter case still get one fixed order.
    return a.bytes < b.bytes;
}

void NameListModel::sortEntries(Entries &entries) const
{
    std::stable_sort(entries.begin(), entries.end(),
                     [this](const Entry &a, const Entry &b) { return lessThan(a, b); });
}

void NameListModel::updateWidestTextWidth()
{
    m_widestTextWidth = 0;
    for (const Entry &entry : m_entries)
        m_widestTextWidth = std::max(m_widestTextWidth, entry.textWidth);
}

void NameListModel::setNames(const std::vector<QByteArray> &names)
{
    Entries entries;
    entries.reserve(names.size());
    for (const QByteArray &name : names)
        entries.push_back(makeEntry(name));
    if (m_order == Order::Alphabetical)
        sortEntries(entries);
    beginResetModel();
    m_entries = std::move(entries);
    updateWidestTextWidth();
    endResetModel();
}

void NameListModel::addNames(const std::vector<QByteArray> &names)
{
    Entries entries;
    entries.reserve(names.size());
    for (const QByteArray &name : names)
        entries.push_back(makeEntry(name));
    addEntries(std::move(entries));
}

void NameListModel::addEntries(Entries added)
{
    if (added.empty())
        return;
    for (const Entry &entry : added)
        m_widestTextWidth = std::max(m_widestTextWidth, entry.textWidth);

    if (m_order == Order::AsAdded) {
        const int first = int(m_entries.size());
        beginInsertRows(QModelIndex(), first, first + int(added.size()) - 1);
        std::move(added.begin(), added.end(), std::back_inserter(m_entries));
        endInsertRows();
        return;
    }

    for (Entry &entry : added) {
        if (!entry.key)
            entry.key = m_collator.sortKey(entry.text);
    }
    sortEntries(added);
    // Merge, a new name going after the equal ones already listed.
    Entries merged;
    merged.reserve(m_entries.size() + added.size());
    std::vector<int> newRowOfOld(m_entries.size());
    size_t oldRow = 0;
    size_t addedRow = 0;
    while (oldRow < m_entries.size() || addedRow < added.size()) {
        const bool takeOld =
            addedRow == added.size() ||
            (oldRow < m_entries.size() && !lessThan(added[addedRow], m_entries[oldRow]));
        if (takeOld) {
            newRowOfOld[oldRow] = int(merged.size());
            // Copied: the model stays whole until relayout.
            merged.push_back(m_entries[oldRow++]);
        } else {
            merged.push_back(std::move(added[addedRow++]));
        }
    }
    relayout(std::move(merged), newRowOfOld);
}

NameListModel::Entries NameListModel::takeRows(const std::vector<int> &rows)
{
    Entries taken;
    if (rows.empty())
        return taken;
    taken.reserve(rows.size());
    Entries kept;
    kept.reserve(m_entries.size() - std::min(m_entries.size(), rows.size()));
    std::vector<int> newRowOfOld(m_entries.size(), -1);
    auto next = rows.begin();
    for (size_t row = 0; row < m_entries.size(); ++row) {
        if (next != rows.end() && *next == int(row)) {
            taken.push_back(m_entries[row]);
            ++next;
        } else {
            newRowOfOld[row] = int(kept.size());
            kept.push_back(m_entries[row]);
        }
    }
    relayout(std::move(kept), newRowOfOld);
    return taken;
}

NameListModel::Entries NameListModel::takeAll()
{
    Entries taken;
    if (!m_entries.empty()) {
        beginRemoveRows(QModelIndex(), 0, int(m_entries.size()) - 1);
        taken = std::move(m_entries);
        m_entries.clear();
        m_widestTextWidth = 0;
        endRemoveRows();
    }
    return taken;
}

void NameListModel::relayout(Entries entries, const std::vector<int> &newRowOfOld)
{
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before) {
        const int row = newRowOfOld[size_t(index.row())];
        after.append(row < 0 ? QModelIndex() : createIndex(row, 0));
    }
    m_entries = std::move(entries);
    updateWidestTextWidth();
    changePersistentIndexList(before, after);
    emit layoutChanged();
}
