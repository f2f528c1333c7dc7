// The ways to arrange the assembly order directly, beside the buttons that add one selection at a
// time: names dragged within the selected list and between the two lists, and Alt+Up and
// Alt+Down, which move the highlighted names of the selected list one place.
#pragma once

#include <QObject>
#include <functional>

class FileLists;
class NameListModel;
class QListView;
class QMimeData;

class ListArrangement : public QObject
{
public:
    // `changed` runs after each drop: the window applies its control rules.
    ListArrangement(QListView *available, QListView *selected, FileLists &lists,
                    std::function<void()> changed);

private:
    void step(int step);
    bool drop(NameListModel &target, const QMimeData &data, int row);

    QListView *m_selected;
    FileLists &m_lists;
    std::function<void()> m_changed;
};
