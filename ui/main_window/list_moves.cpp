#include "list_moves.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QListView>

ListMoves::ListMoves(QListView *list, QAbstractButton *moveSelection,
                     std::function<void(int row)> moveRow)
    : QObject(list), m_moveSelection(moveSelection)
{
    list->installEventFilter(this);
    connect(list, &QAbstractItemView::doubleClicked, this,
            [moveRow = std::move(moveRow)](const QModelIndex &index) { moveRow(index.row()); });
}

bool ListMoves::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            m_moveSelection->click();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
