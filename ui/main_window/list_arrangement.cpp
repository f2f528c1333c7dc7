#include "list_arrangement.h"

#include "file_lists.h"

#include <QListView>
#include <QShortcut>

ListArrangement::ListArrangement(QListView *selected, FileLists &lists)
    : QObject(selected), m_selected(selected), m_lists(lists)
{
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
