#include "name_list_view.h"

#include "name_list_model.h"

#include <QDropEvent>
#include <QMimeData>

namespace {

void takeFilesAsCopied(QDropEvent *event)
{
    if (event->isAccepted() && NameListView::carriesFiles(event))
        event->setDropAction(Qt::CopyAction);
}

} // namespace

bool NameListView::carriesFiles(const QDropEvent *event)
{
    return !qobject_cast<const NameRows *>(event->mimeData()) && event->mimeData()->hasUrls();
}

bool NameListView::refusesFiles(const QDropEvent *event)
{
    return carriesFiles(event) && !(event->possibleActions() & Qt::CopyAction);
}

void NameListView::dragEnterEvent(QDragEnterEvent *event)
{
    if (refusesFiles(event)) {
        event->ignore();
        return;
    }
    QListView::dragEnterEvent(event);
    takeFilesAsCopied(event);
}

void NameListView::dragMoveEvent(QDragMoveEvent *event)
{
    if (refusesFiles(event)) {
        event->ignore();
        return;
    }
    QListView::dragMoveEvent(event);
    takeFilesAsCopied(event);
}

void NameListView::dropEvent(QDropEvent *event)
{
    if (refusesFiles(event)) {
        event->ignore();
        return;
    }
    // A list view first moves the highlighted rows of a drop within it one by one, each a move
    // the names' model does not offer; it then hands the drop to the model, which moves all the
    // names at once. Going to the model straight away spares thousands of refused moves.
    QAbstractItemView::dropEvent(event); // NOLINT(bugprone-parent-virtual-call)
    takeFilesAsCopied(event);
}
