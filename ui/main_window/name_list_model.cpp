#include "name_list_model.h"

#include "name_order.h"
#include "shell/name_collation.h"

#include <algorithm>

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

    const bool allPlaced = std::all_of(added.cbegin(), added.cend(),
                                       [this](const Entry &entry) { return isPlaced(entry); });
    if (!allPlaced) {
        // A name from elsewhere has no rank here: every name is placed again, those listed
        // first before an equal newcomer.
        Entries all = m_entries; // copied: the model stays whole until relayout
        const size_t oldCount = all.size();
        std::move(added.begin(), added.end(), std::back_inserter(all));
        const std::vector<int> order = place(all);
        std::vector<int> newRowOfOld(oldCount);
        for (size_t row = 0; row < order.size(); ++row) {
            if (size_t(order[row]) < oldCount)
                newRowOfOld[size_t(order[row])] = int(row);
        }
        relayout(std::move(all), newRowOfOld);
        return;
    }

    std::sort(added.begin(), added.end(),
              [](const Entry &a, const Entry &b) { return a.rank < b.rank; });
    Entries merged;
    merged.reserve(m_entries.size() + added.size());
    std::vector<int> newRowOfOld(m_entries.size());
    size_t oldRow = 0;
    size_t addedRow = 0;
    while (oldRow < m_entries.size() || addedRow < added.size()) {
        const bool takeOld =
            addedRow == added.size() ||
            (oldRow < m_entries.size() && m_entries[oldRow].rank < added[addedRow].rank);
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

void NameListModel::rearrange(const std::vector<int> &order)
{
    Entries entries;
    entries.reserve(order.size());
    std::vector<int> newRowOfOld(order.size());
    for (size_t row = 0; row < order.size(); ++row) {
        newRowOfOld[size_t(order[row])] = int(row);
        // Copied: the model stays whole until relayout.
        entries.push_back(m_entries[size_t(order[row])]);
    }
    relayout(std::move(entries), newRowOfOld);
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
