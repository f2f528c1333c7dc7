// One of the main window's two file lists: bare file names, either kept in the user's
// alphabetical order or in the order the user gives them.
#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QCollator>
#include <QMimeData>
#include <QString>
#include <functional>
#include <vector>

class NameListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum class Order { Alphabetical, AsAdded };

    // A listed name. Its alphabetical place and shown width are worked out once, when it is
    // first listed, and travel with it from one list to the other. Only the bytes are kept: the
    // text is made again for the rows drawn, and whatever sorting needs lives only while it sorts.
    struct Entry
    {
        QByteArray bytes;
        // The alphabetical list that placed the name, and its rank there as of that list's
        // `placing`; a name no list placed yet has no placer.
        const NameListModel *placer = nullptr;
        quint32 placing = 0;
        quint32 rank = 0;
        int textWidth = 0;
    };
    using Entries = std::vector<Entry>;
    // Width of a name as the view will draw it; the model itself knows no fonts.
    using TextMeasure = std::function<int(const QString &text)>;

    explicit NameListModel(Order order, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // Names are dragged as NameRows and taken back as such, and as a list of files dropped from
    // outside. Rows take no drop themselves: a drop goes between rows.
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
    Qt::DropActions supportedDropActions() const override
    {
        return Qt::MoveAction | Qt::CopyAction;
    }
    // Names from the other list, or files, anywhere; names from this list only where the user
    // orders the names.
    bool canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                         const QModelIndex &parent) const override;
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;
    // What a drop does: `data` dropped before `row`, or after the last row for -1. The list
    // itself only reads the rows; whoever owns both lists moves the names.
    using DropHandler = std::function<bool(const QMimeData &data, int row)>;
    void setDropHandler(DropHandler handler) { m_dropHandler = std::move(handler); }

    void setTextMeasure(TextMeasure measure) { m_measure = std::move(measure); }
    // The widest name's width, by the text measure: the width every row is given.
    int widestTextWidth() const { return m_widestTextWidth; }

    QByteArray nameAt(int row) const { return m_entries.at(size_t(row)).bytes; }
    // A name as this list lists it, measured.
    Entry entryFor(const QByteArray &name) const
    {
        return makeEntry(name, QString::fromUtf8(name));
    }
    std::vector<QByteArray> names() const;

    // Replaces the whole contents in one reset.
    void setNames(const std::vector<QByteArray> &names);
    // Adds in one batch: sorted into place or appended, by the list's order. Duplicates are
    // kept. Rows already there keep their selection and the current row.
    void addNames(const std::vector<QByteArray> &names);
    void addEntries(Entries added);
    // Inserts at `row` (the end for -1), in the order given; the alphabetical list sorts them in.
    void insertEntries(int row, Entries added);
    // Removes the given rows (ascending, no repeats) in one batch and returns them in that
    // order. The remaining rows keep their selection and the current row. Rows in several runs
    // are first gathered at the end, the others keeping their order, then leave together: the
    // views hear of a new layout and one removal instead of a removal per run, each of which
    // costs them a pass over every index they keep.
    Entries takeRows(const std::vector<int> &rows);
    Entries takeAll();
    // Puts the rows in a new order (new row -> old row); each name keeps its selection, and the
    // current row stays on its name.
    void rearrange(const std::vector<int> &order);

private:
    Entry makeEntry(const QByteArray &bytes, const QString &text) const;
    bool isPlaced(const Entry &entry) const
    {
        return entry.placer == this && entry.placing == m_placing;
    }
    // Puts `entries` in alphabetical order and ranks them afresh, under a new placing; returns
    // the permutation applied (new row -> old row).
    std::vector<int> place(Entries &entries);
    // Installs `merged`: the rows there are, in their order, with the rows `isNew` marks among
    // them. New rows in several runs are inserted at the end, then put in place by a new layout.
    void insertAmong(Entries merged, const std::vector<bool> &isNew);
    void updateWidestTextWidth();

    Order m_order;
    QCollator m_collator;
    TextMeasure m_measure;
    DropHandler m_dropHandler;
    Entries m_entries;
    int m_widestTextWidth = 0;
    quint32 m_placing = 0;
};

// Names dragged from one of the window's lists: which list, which rows, and the names they held,
// so that a drop can tell they still do. It only ever travels within the program.
class NameRows : public QMimeData
{
    Q_OBJECT

public:
    static constexpr char MimeType[] = "application/x-brakwen-names";

    NameRows(const NameListModel *source, std::vector<int> rows);

    const NameListModel *source() const { return m_source; }
    const std::vector<int> &rows() const { return m_rows; } // ascending, no repeats
    bool stillHeld() const;

private:
    const NameListModel *m_source;
    std::vector<int> m_rows;
    std::vector<QByteArray> m_names;
};
