#include "list_arrangement.h"

#include "file_lists.h"
#include "name_list_view.h"

#include <QDropEvent>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QShortcut>

ListArrangement::ListArrangement(QWidget *window, QListView *available, QListView *selected,
                                 FileLists &lists, std::function<void()> namesMoved,
                                 FilesDropped filesDropped)
    : QObject(window), m_selected(selected), m_lists(lists), m_namesMoved(std::move(namesMoved)),
      m_filesDropped(std::move(filesDropped))
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

    // A disabled list leaves files to the window. An edit would take them as text.
    window->setAcceptDrops(true);
    window->installEventFilter(this);
    for (QLineEdit *edit : window->findChildren<QLineEdit *>())
        edit->installEventFilter(this);

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
    if (const auto *rows = qobject_cast<const NameRows *>(&data)) {
        if (!m_lists.dropRows(*rows, target, row))
            return false;
        m_namesMoved();
        return true;
    }
    // Files dropped on the available list go to the selected list all the same, at its end.
    m_filesDropped(data.urls(), &target == m_lists.selected() ? row : -1);
    m_selected->scrollTo(m_selected->currentIndex());
    return true;
}

bool ListArrangement::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto *drop = static_cast<QDropEvent *>(event);
    if (!NameListView::carriesFiles(drop))
        return QObject::eventFilter(watched, event);
    if (NameListView::refusesFiles(drop)) {
        drop->ignore();
        return true;
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop) {
        m_filesDropped(drop->mimeData()->urls(), -1);
        m_selected->scrollTo(m_selected->currentIndex());
    }
    return true;
}
