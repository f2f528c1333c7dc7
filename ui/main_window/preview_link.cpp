#include "preview_link.h"

#include "name_list_model.h"
#include "posix/path.h"
#include "preview_window.h"

#include <QFile>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QListView>
#include <QShortcut>

namespace {

// Rows rendered ahead of the one shown, the ones a user moving down reaches next.
constexpr int rowsAhead = 2;

} // namespace

PreviewLink::PreviewLink(QWidget *window, std::initializer_list<QListView *> lists,
                         std::function<QByteArray()> directory, std::function<bool()> busy)
    : QObject(window), m_preview(new PreviewWindow(window)), m_directory(std::move(directory)),
      m_busy(std::move(busy))
{
    for (QListView *list : lists) {
        auto *shortcut = new QShortcut(QKeySequence(Qt::Key_F3), list);
        shortcut->setContext(Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, list] { toggle(list); });
        connect(list->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this, list] { follow(list); });
        list->installEventFilter(this);
    }
}

bool PreviewLink::eventFilter(QObject *watched, QEvent *event)
{
    // F3 leaves the keyboard in the list, so Escape there closes the preview too; with the
    // preview closed, the list gets its Escape as before.
    if (event->type() == QEvent::KeyPress && m_preview->isVisible()) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            m_preview->hide();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void PreviewLink::toggle(QListView *list)
{
    if (m_preview->isVisible()) {
        m_preview->hide();
        return;
    }
    // Nothing to show: no blank window.
    if (!list->currentIndex().isValid())
        return;
    m_preview->show();
    follow(list);
    // The list keeps the keyboard: the user goes on moving through it.
    list->activateWindow();
    list->setFocus();
}

void PreviewLink::follow(QListView *list)
{
    const QModelIndex current = list->currentIndex();
    if (!m_preview->isVisible() || m_busy() || !current.isValid())
        return;
    const auto *names = static_cast<const NameListModel *>(list->model());
    const QByteArray folder = m_directory();
    const auto pathOf = [&](int row) {
        return QByteArray::fromStdString(
            posix::joinPath(folder.toStdString(), names->nameAt(row).toStdString()));
    };
    QList<QByteArray> next;
    for (int row = current.row() + 1; row < names->rowCount() && row <= current.row() + rowsAhead;
         ++row)
        next << pathOf(row);
    m_preview->showFile(pathOf(current.row()), QFile::decodeName(names->nameAt(current.row())),
                        next);
}
