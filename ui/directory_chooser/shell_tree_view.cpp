#include "shell_tree_view.h"

#include "default_error_box.h"
#include "einvalid_path.h"
#include "file_system_path.h"
#include "folder_list_model.h"
#include "folder_node.h"
#include "folder_tree_model.h"
#include "item_verbs.h"
#include "shell/id_list.h"
#include "shell_list_view.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <sys/stat.h>

TShellTreeView::TShellTreeView(const shell::ShellNamespace &ns, QWidget *parent)
    : QTreeView(parent), m_ns(ns), m_model(new FolderTreeModel(ns, this)),
      m_navigator(*this, *m_model)
{
    setModel(m_model);
    setHeaderHidden(true);
    // Deep folders and long names would otherwise be cut short with an ellipsis, and sibling
    // folders that differ only at their end could not be told apart: the column is as wide as
    // the names shown and the tree scrolls sideways.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    setRootIsDecorated(false);
    setIndentation(19);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TShellTreeView::onSelectionChanged);
    connect(this, &QTreeView::expanded, this, &TShellTreeView::expandNode);
    connect(this, &QTreeView::collapsed, this, &TShellTreeView::onCollapsed);
    // Shown once the label editor has closed, over the node's old name.
    connect(
        m_model, &FolderTreeModel::renameFailed, this,
        [this](const QString &message) { DefaultErrorBox::show(message, this); },
        Qt::QueuedConnection);

    const QModelIndex top = m_model->topIndex();
    expandNode(top);
    setCurrentIndex(top);
}

void TShellTreeView::setShellListView(TShellListView *list)
{
    if (m_list) {
        disconnect(m_list->folderModel(), nullptr, m_model, nullptr);
        disconnect(m_model, nullptr, m_list->folderModel(), nullptr);
    }
    m_list = list;
    // A name changed in one view must not leave the other holding the old one.
    if (m_list) {
        connect(m_list->folderModel(), &FolderListModel::itemRenamed, m_model,
                &FolderTreeModel::followRename);
        connect(m_model, &FolderTreeModel::itemRenamed, m_list->folderModel(),
                &FolderListModel::followRename);
    }
}

void TShellTreeView::mousePressEvent(QMouseEvent *event)
{
    // The right button picks the node for its menu only; the selection stays where it was.
    if (event->button() == Qt::RightButton) {
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QTreeView::mousePressEvent(event);
}

void TShellTreeView::keyPressEvent(QKeyEvent *event)
{
    // The toolkit's "expand everything below" would read every folder of a volume, network
    // mounts included, before the window answers again: '*' opens the one node.
    if (event->key() == Qt::Key_Asterisk) {
        event->accept();
        expandNode(currentIndex());
        return;
    }
    QTreeView::keyPressEvent(event);
}

void TShellTreeView::expandNode(const QModelIndex &index)
{
    m_navigator.expand(index);
}

FolderNode *TShellTreeView::selectedNode() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? nullptr : m_model->nodeFor(selected.first());
}

std::optional<shell::IdList> TShellTreeView::selectedIds() const
{
    const FolderNode *node = selectedNode();
    if (!node)
        return std::nullopt;
    return node->ids();
}

QString TShellTreeView::FolderPath() const
{
    const FolderNode *node = selectedNode();
    if (!node)
        return {};
    const shell::ShellFolder *parent = node->parentFolder();
    if (!parent)
        return {};
    QString path = parent->displayNameOf(node->id(), shell::NameForm::Parsing);
    if (path.startsWith(QLatin1String("::{")))
        return parent->displayNameOf(node->id(), shell::NameForm::Normal);
    return path;
}

void TShellTreeView::setFolderPath(const QString &path)
{
    const std::optional<shell::IdList> ids = m_ns.parseDisplayName(path);
    if (!ids)
        throw EInvalidPath(path);
    showFolder(*ids);
}

void TShellTreeView::setFolderFileSystemPath(const QByteArray &path)
{
    const std::optional<shell::IdList> ids = chooser::parseFileSystemPath(m_ns, path);
    if (!ids)
        throw EInvalidPath(QFile::decodeName(path));
    showFolder(*ids);
}

QByteArray TShellTreeView::folderFileSystemPath() const
{
    const FolderNode *node = selectedNode();
    const shell::ShellFolder *parent = node ? node->parentFolder() : nullptr;
    if (!parent)
        return {};
    return parent->fileSystemPath(node->id()).value_or(QByteArray());
}

void TShellTreeView::showFolder(const shell::IdList &ids)
{
    FolderNode *node = selectedNode();
    if (node && shell::sameItem(node->parentFolder(), node->ids(), ids))
        return;
    if (followFolder(ids) && m_list)
        m_list->showFolder(selectedNode()->ids());
}

bool TShellTreeView::followFolder(const shell::IdList &ids)
{
    FolderNode *selected = selectedNode();
    if (selected && shell::sameItem(selected->parentFolder(), selected->ids(), ids))
        return true;
    QScopedValueRollback<bool> suspended(m_followingSuspended, true);
    FolderNode *target = m_navigator.follow(ids);
    selectNode(target);
    return target != nullptr;
}

void TShellTreeView::selectNode(FolderNode *node)
{
    if (!node) {
        selectionModel()->clear();
        return;
    }
    const QModelIndex index = m_model->indexFor(node);
    setCurrentIndex(index);
    scrollTo(index);
    revealSideways(index);
}

void TShellTreeView::revealSideways(const QModelIndex &index)
{
    // The toolkit scrolls a column wider than the view back to its left edge, which leaves a
    // deep node out of sight to the right: the node's mark, icon and name are brought in.
    if (!index.isValid())
        return;
    const QRect rect = visualRect(index);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const int itemWidth = itemDelegateForIndex(index)->sizeHint(option, index).width();
    const int viewWidth = viewport()->width();
    const int left = rect.left();
    if (left >= indentation() && left + itemWidth <= viewWidth)
        return;
    const int wantedLeft = std::max(indentation(), viewWidth - itemWidth);
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + left - wantedLeft);
}

void TShellTreeView::showEvent(QShowEvent *event)
{
    QTreeView::showEvent(event);
    // The folder was shown while the view was hidden, before its columns had their widths.
    const QModelIndex current = currentIndex();
    if (selectionModel()->isSelected(current))
        revealSideways(current);
}

void TShellTreeView::onSelectionChanged()
{
    if (m_followingSuspended || !m_list)
        return;
    const FolderNode *node = selectedNode();
    if (!node)
        return;
    // The list already on this folder keeps its rows and selection.
    if (shell::sameItem(node->parentFolder(), m_list->folderIds(), node->ids()))
        return;
    m_list->showFolder(node->ids());
}

void TShellTreeView::onCollapsed(const QModelIndex &index)
{
    // A selection hidden inside a closed node would still be the chosen folder, which the user
    // can no longer see: it moves up to the node that closed, and the list follows.
    const FolderNode *selected = selectedNode();
    if (selected && selected->isInside(m_model->nodeFor(index)))
        setCurrentIndex(index);
}

void TShellTreeView::contextMenuEvent(QContextMenuEvent *event)
{
    // The node under the pointer, else the selected one; the selection itself stays put.
    QModelIndex index =
        event->reason() == QContextMenuEvent::Mouse ? indexAt(event->pos()) : QModelIndex();
    if (!index.isValid()) {
        const QModelIndexList selected = selectionModel()->selectedIndexes();
        if (selected.isEmpty())
            return;
        index = selected.first();
    }
    FolderNode *node = m_model->nodeFor(index);
    shell::ShellFolder *parent = node->parentFolder();
    if (!parent)
        return;
    // While its menu is open, the node it acts on is drawn highlighted: otherwise nothing tells
    // it from the selected node, whose highlight stays where it was.
    m_menuTarget = index;
    viewport()->update();
    const QString verb = ItemVerbs::chooseVerb(*parent, node->id(), event->globalPos(), this);
    m_menuTarget = QPersistentModelIndex();
    viewport()->update();
    if (!verb.isEmpty())
        runVerb(verb, node);
}

void TShellTreeView::drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    if (index != m_menuTarget) {
        QTreeView::drawRow(painter, option, index);
        return;
    }
    QStyleOptionViewItem highlighted = option;
    highlighted.state |= QStyle::State_Selected;
    QTreeView::drawRow(painter, highlighted, index);
}

void TShellTreeView::runVerb(const QString &verb, FolderNode *node)
{
    shell::ShellFolder *parent = node->parentFolder();
    // Read before the verb runs: a deleted item has no path left to look at.
    const std::optional<QByteArray> path = parent->fileSystemPath(node->id());
    const FolderNode *selected = selectedNode();
    const QModelIndex label = selected ? m_model->indexFor(selected) : QModelIndex();
    if (!ItemVerbs::runInView(verb, *parent, node->id(), this, label))
        return;
    if (ItemVerbs::is(verb, shell::actions::DeleteVerb)) {
        struct stat st
        {
        };
        const bool regularFile = path && ::stat(path->constData(), &st) == 0 && S_ISREG(st.st_mode);
        if (!regularFile)
            removeNode(node);
    } else if (ItemVerbs::is(verb, shell::actions::PasteVerb)) {
        // Rebuilding the selected subtree may delete `node` with it: the node pasted into is
        // found again by its identifiers.
        const auto findPastedInto = [this, ids = node->ids()] { return m_navigator.find(ids); };
        if (FolderNode *selectedNow = selectedNode())
            rebuildSubtree(selectedNow);
        // The node pasted into may lie outside the rebuilt subtree, still drawn as it was.
        if (FolderNode *pastedInto = findPastedInto())
            m_navigator.showNewChildren(pastedInto);
    }
}

void TShellTreeView::removeNode(FolderNode *node)
{
    // The view moves a selection off a removed node to the one that follows, but a selection
    // deeper inside it would simply vanish, leaving the list on a folder that is gone: it is
    // first brought up to the node itself, quietly, since the list moves once the node goes.
    const FolderNode *selected = selectedNode();
    if (selected && selected->isInside(node)) {
        QScopedValueRollback<bool> suspended(m_followingSuspended, true);
        setCurrentIndex(m_model->indexFor(node));
    }
    m_model->removeNode(m_model->indexFor(node));
}

void TShellTreeView::rebuildSubtree(FolderNode *node)
{
    QScopedValueRollback<bool> suspended(m_followingSuspended, true);
    const FolderTreeNavigator::Rebuilt rebuilt = m_navigator.rebuild(node, selectedIds());
    if (rebuilt.selected)
        selectNode(rebuilt.selected);
    if (rebuilt.topVisible)
        scrollTo(m_model->indexFor(rebuilt.topVisible), QAbstractItemView::PositionAtTop);
}
