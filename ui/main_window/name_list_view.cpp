#include "name_list_view.h"

#include <QDropEvent>

void NameListView::dropEvent(QDropEvent *event)
{
    // A list view first moves the highlighted rows of a drop within it one by one, each a move
    // the names' model does not offer; it then hands the drop to the model, which moves all the
    // names at once. Going to the model straight away spares thousands of refused moves.
    QAbstractItemView::dropEvent(event); // NOLINT(bugprone-parent-virtual-call)
}
