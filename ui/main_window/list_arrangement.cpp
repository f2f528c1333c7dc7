#include "list_arrangement.h"

#include "file_lists.h"

#include <QListView>
#include <QShortcut>

ListArrangement::ListArrangement(QListView *available, QListView *selected, FileLists &lists,
                                 std::function<void()> changed)
    : QObject(selected), m_selected(selected), m_lists(lists), m_changed(std::move(changed))
{
    for (QListView *view : {available, selected}) {
        view->setDragDropMode(QAbstractItemView::DragDrop);
        view->setDefaultDropAction(Qt::MoveAction);
        auto *names = static_cast<NameListModel *>(view->model());
        names->setDropHandler(
            [this, names](const QMimeData &data, int row) { return drop(*names, data, row); });
    }
    // The available list keeps its own order: a name dropped there goes to its sorted place,
    // wherever it is let go.
    available->setDropIndicatorShown(false);
    selected->setDropIndicatorShown(true);

    const struct
    {
        Qt::Key key;
        int step;
    } keys[] = {{Qt::Key_Up, -1}, {Qt::Key_Down, +1}};
    for (const auto &key : keys) {
        auto *shortcut = new QShortcut(QKeySequence(Qt::ALT | key.key), selected);
        shortcut->setContext(Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this,
                [this, step = key.step] { this->step(step); });
    }
}

void ListArrangement::step(int step)
{
    m_lists.stepSelected(step);
    // The names moved with the caret: keep it in sight.
    m_selected->scrollTo(m_selected->currentIndex());
}

bool ListArrangement::drop(NameListModel &target, const QMimeData &data, int row)
{
    const auto *rows = qobject_cast<const NameRows *>(&data);
    if (!rows || !m_lists.dropRows(*rows, target, row))
        return false;
    m_changed();
    return true;
}
