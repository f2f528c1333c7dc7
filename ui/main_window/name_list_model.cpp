#include "name_list_model.h"

#include "name_order.h"
#include "shell/name_collation.h"

#include <algorithm>
#include <iterator>

NameListModel::NameListModel(Order order, QObject *parent)
    : QAbstractListModel(parent), m_order(order),
      // The chooser's order: "page 2" before "page 10", so that adding every name assembles
      // numbered files in the order of their numbers.
      m_collator(shell::nameCollator())
{}

int NameListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant NameListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const Entry &entry = m_entries[size_t(index.row())];
    // Invalid UTF-8 shows as replacement characters.
    return role == Qt::DisplayRole ? QString::fromUtf8(entry.bytes) : QVariant();
}

Qt::ItemFlags NameListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return QAbstractListModel::flags(index) | Qt::ItemIsDragEnabled;
}

QStringList NameListModel::mimeTypes() const
{
    return {QLatin1String(NameRows::MimeType), QStringLiteral("text/uri-list")};
}

QMimeData *NameListModel::mimeData(const QModelIndexList &indexes) const
{
    std::vector<int> rows;
    rows.reserve(size_t(indexes.size()));
    for (const QModelIndex &index : indexes)
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return new NameRows(this, std::move(rows));
}

bool NameListModel::canDropMimeData(const QMimeData *data, Qt::DropAction action, int, int,
                                    const QModelIndex &parent) const
{
    if (!m_dropHandler || !data || parent.isValid())
        return false;
    if (const auto *rows = qobject_cast<const NameRows *>(data))
        return action == Qt::MoveAction && (rows->source() != this || m_order == Order::AsAdded);
    // The view answers a file manager that the files were copied, whatever it proposed.
    return data->hasUrls();
}

bool NameListModel::dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                                 const QModelIndex &parent)
{
    return canDropMimeData(data, action, row, column, parent) && m_dropHandler(*data, row);
}

std::vector<QByteArray> NameListModel::names() const
{
    std::vector<QByteArray> result;
    result.reserve(m_entries.size());
    for (const Entry &entry : m_entries)
        result.push_back(entry.bytes);
    return result;
}

namespace {

// The text of a name, in a string whose room is used again from name to name: a large folder
// would otherwise make and free one string per name.
void decodeInto(QString &text, const QByteArray &bytes)
{
    const bool ascii =
        std::all_of(bytes.cbegin(), bytes.cend(), [](char byte) { return (byte & 0x80) == 0; });
    if (!ascii) {
        text = QString::fromUtf8(bytes);
        return;
    }
    text.resize(bytes.size());
    std::copy(bytes.cbegin(), bytes.cend(), text.data());
}

} // namespace

NameListModel::Entry NameListModel::makeEntry(const QByteArray &bytes, const QString &text) const
{
    Entry entry;
    entry.bytes = bytes;
    if (m_measure)
        entry.textWidth = m_measure(text);
    return entry;
}

std::vector<int> NameListModel::place(Entries &entries)
{
    std::vector<QByteArrayView> names;
    names.reserve(entries.size());
    for (const Entry &entry : entries)
        names.emplace_back(entry.bytes);
    std::vector<int> order = NameOrder(m_collator).sorted(names);
    names = {};

    ++m_placing;
    Entries placed;
    placed.reserve(entries.size());
    for (const int from : order) {
        Entry &entry = entries[size_t(from)];
        entry.placer = this;
        entry.placing = m_placing;
        entry.rank = quint32(placed.size());
        placed.push_back(std::move(entry));
    }
    entries = std::move(placed);
    return order;
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
    QString text;
    for (const QByteArray &name : names) {
        decodeInto(text, name);
        entries.push_back(makeEntry(name, text));
    }
    if (m_order == Order::Alphabetical)
        place(entries);
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
        entries.push_back(makeEntry(name, QString::fromUtf8(name)));
    addEntries(std::move(entries));
}

void NameListModel::addEntries(Entries added)
{
    if (added.empty())
        return;
    for (const Entry &entry : added)
        m_widestTextWidth = std::max(m_widestTextWidth, entry.textWidth);

    if (m_order == Order::AsAdded) {
        insertEntries(-1, std::move(added));
        return;
    }

    Entries merged;
    merged.reserve(m_entries.size() + added.size());
    std::vector<bool> isNew;
    isNew.reserve(m_entries.size() + added.size());
    const bool allPlaced = std::all_of(added.cbegin(), added.cend(),
                                       [this](const Entry &entry) { return isPlaced(entry); });
    if (!allPlaced) {
        // A name from elsewhere has no rank here: every name is placed again, those listed
        // first before an equal newcomer, so that the names listed keep their order.
        const size_t oldCount = m_entries.size();
        merged = m_entries; // copied: the model stays whole until the rows are inserted
        std::move(added.begin(), added.end(), std::back_inserter(merged));
        for (const int from : place(merged))
            isNew.push_back(size_t(from) >= oldCount);
    } else {
        std::sort(added.begin(), added.end(),
                  [](const Entry &a, const Entry &b) { return a.rank < b.rank; });
        size_t oldRow = 0;
        size_t addedRow = 0;
        while (oldRow < m_entries.size() || addedRow < added.size()) {
            const bool takeOld =
                addedRow == added.size() ||
                (oldRow < m_entries.size() && m_entries[oldRow].rank < added[addedRow].rank);
            // Copied: the model stays whole until the rows are inserted.
            merged.push_back(takeOld ? m_entries[oldRow++] : std::move(added[addedRow++]));
            isNew.push_back(!takeOld);
        }
    }
    insertAmong(std::move(merged), isNew);
}

void NameListModel::insertAmong(Entries merged, const std::vector<bool> &isNew)
{
    const auto first = std::find(isNew.begin(), isNew.end(), true) - isNew.begin();
    const auto last = std::find(isNew.rbegin(), isNew.rend(), true).base() - isNew.begin();
    const auto added = std::count(isNew.begin(), isNew.end(), true);
    if (last - first == added) {
        beginInsertRows(QModelIndex(), int(first), int(last) - 1);
        // The rows around are the same, ranked as this list last placed them.
        m_entries = std::move(merged);
        endInsertRows();
        return;
    }
    // In one run at the end, then each to its place.
    const int oldCount = int(m_entries.size());
    beginInsertRows(QModelIndex(), oldCount, int(merged.size()) - 1);
    std::vector<int> order;
    order.reserve(merged.size());
    int oldRow = 0;
    int newRow = oldCount;
    for (size_t row = 0; row < merged.size(); ++row) {
        if (isNew[row]) {
            m_entries.push_back(merged[row]);
            order.push_back(newRow++);
        } else {
            Q_ASSERT(m_entries[size_t(oldRow)].bytes == merged[row].bytes);
            order.push_back(oldRow++);
        }
    }
    endInsertRows();
    rearrange(order);
    // The same rows, ranked as this list last placed them.
    m_entries = std::move(merged);
}

void NameListModel::insertEntries(int row, Entries added)
{
    if (m_order == Order::Alphabetical) {
        addEntries(std::move(added));
        return;
    }
    if (added.empty())
        return;
    if (row < 0 || size_t(row) > m_entries.size())
        row = int(m_entries.size());
    for (const Entry &entry : added)
        m_widestTextWidth = std::max(m_widestTextWidth, entry.textWidth);
    beginInsertRows(QModelIndex(), row, row + int(added.size()) - 1);
    m_entries.insert(m_entries.begin() + row, std::make_move_iterator(added.begin()),
                     std::make_move_iterator(added.end()));
    endInsertRows();
}

NameListModel::Entries NameListModel::takeRows(const std::vector<int> &rows)
{
    Entries taken;
    if (rows.empty())
        return taken;
    Q_ASSERT(std::is_sorted(rows.begin(), rows.end()) && rows.back() < rowCount());
    const auto length = qsizetype(rows.size());
    qsizetype first = rows.front();
    if (rows.back() - first + 1 != length) {
        std::vector<int> order;
        order.reserve(m_entries.size());
        auto next = rows.begin();
        for (int row = 0; row < rowCount(); ++row) {
            if (next != rows.end() && *next == row)
                ++next;
            else
                order.push_back(row);
        }
        order.insert(order.end(), rows.begin(), rows.end());
        rearrange(order);
        first = qsizetype(m_entries.size()) - length;
    }
    beginRemoveRows(QModelIndex(), int(first), int(first + length) - 1);
    const auto from = m_entries.begin() + first;
    taken.assign(std::make_move_iterator(from), std::make_move_iterator(from + length));
    m_entries.erase(from, from + length);
    updateWidestTextWidth();
    endRemoveRows();
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

void NameListModel::rearrange(const std::vector<int> &order)
{
    Entries entries;
    entries.reserve(order.size());
    std::vector<int> newRowOfOld(order.size());
    for (size_t row = 0; row < order.size(); ++row) {
        newRowOfOld[size_t(order[row])] = int(row);
        // Copied: the model stays whole until its layout changes.
        entries.push_back(m_entries[size_t(order[row])]);
    }
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before)
        after.append(createIndex(newRowOfOld[size_t(index.row())], 0));
    m_entries = std::move(entries);
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

NameRows::NameRows(const NameListModel *source, std::vector<int> rows)
    : m_source(source), m_rows(std::move(rows))
{
    m_names.reserve(m_rows.size());
    for (const int row : m_rows)
        m_names.push_back(source->nameAt(row));
    // The format tells drop targets what is dragged; the rows themselves stay in this object.
    setData(QLatin1String(MimeType), QByteArray());
}

bool NameRows::stillHeld() const
{
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i] >= m_source->rowCount() || m_source->nameAt(m_rows[i]) != m_names[i])
            return false;
    }
    return true;
}
