#include "shell_list_view.h"

#include "default_error_box.h"
#include "folder_list_model.h"
#include "item_verbs.h"
#include "shell_tree_view.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>

TShellListView::TShellListView(const shell::ShellNamespace &ns, QWidget *parent)
    : QTreeView(parent), m_model(new FolderListModel(ns, this))
{
    setModel(m_model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    // The selected row stays highlighted when the focus is elsewhere.
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight,
               p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText,
               p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);

    connect(this, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex &index) { activateRow(index.row()); });
    // The message waits until the label editor has closed: while it shows, the row reads its old
    // name, not the one just refused.
    const auto showError = [this](const QString &message) { DefaultErrorBox::show(message, this); };
    connect(m_model, &FolderListModel::renameFailed, this, showError, Qt::QueuedConnection);
    // Each folder brings its own columns; filling the same folder again keeps the user's widths.
    connect(m_model, &FolderListModel::folderChanged, this, &TShellListView::applyColumnWidths);
    // Cells are fetched while painting: the message waits until the painting is over.
    connect(m_model, &FolderListModel::detailsFailed, this, showError, Qt::QueuedConnection);

    showFolder(ns.computerNode());
}

void TShellListView::setShellTreeView(TShellTreeView *tree)
{
    m_tree = tree;
}

const shell::IdList &TShellListView::folderIds() const
{
    return m_model->folderIds();
}

void TShellListView::showFolder(const shell::IdList &ids)
{
    setUpdatesEnabled(false);
    m_model->setFolder(ids);
    setUpdatesEnabled(true);
}

void TShellListView::applyColumnWidths()
{
    const int x = fontMetrics().horizontalAdvance(QLatin1Char('X'));
    const QList<int> widths = m_model->columnWidths();
    for (qsizetype i = 0; i < widths.size(); ++i)
        header()->resizeSection(static_cast<int>(i), widths.at(i) * x);
}

void TShellListView::refill()
{
    setUpdatesEnabled(false);
    m_model->refill();
    setUpdatesEnabled(true);
}

void TShellListView::navigateTo(const shell::IdList &ids)
{
    showFolder(ids);
    if (m_tree)
        m_tree->followFolder(folderIds());
}

void TShellListView::goToParent()
{
    shell::IdList parent = folderIds();
    if (!parent.isEmpty())
        parent.removeLast();
    navigateTo(parent);
}

void TShellListView::activateRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    if (m_model->isFolderRow(row)) {
        navigateTo(m_model->idsOf(row));
        return;
    }
    // Opened from its own folder, as a program started on it expects.
    runVerb(shell::actions::OpenVerb, row);
}

int TShellListView::selectedRow() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TShellListView::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && state() != QAbstractItemView::EditingState) {
        // Enter acts on the row and goes no further: it never closes the window around.
        event->accept();
        const int row = selectedRow();
        if (row < 0)
            return;
        if (event->modifiers() & Qt::AltModifier)
            runVerb(shell::actions::PropertiesVerb, row);
        else
            activateRow(row);
        return;
    }
    if (event->key() == Qt::Key_Backspace && state() != QAbstractItemView::EditingState) {
        event->accept();
        goToParent();
        return;
    }
    if (event->key() == Qt::Key_F5) {
        event->accept();
        refill();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void TShellListView::contextMenuEvent(QContextMenuEvent *event)
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const QString verb = ItemVerbs::chooseVerb(
        *m_model->contents().folder(), m_model->contents().row(row).id, event->globalPos(), this);
    if (!verb.isEmpty())
        runVerb(verb, row);
}

void TShellListView::runVerb(const QString &verb, int row)
{
    const FolderContents &contents = m_model->contents();
    if (!ItemVerbs::runInView(verb, *contents.folder(), contents.row(row).id, this,
                              m_model->index(row, 0)))
        return;
    if (ItemVerbs::is(verb, shell::actions::DeleteVerb) ||
        ItemVerbs::is(verb, shell::actions::PasteVerb))
        refill();
}
