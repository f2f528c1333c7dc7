// The ways to arrange the assembly order directly, beside the buttons that add one selection at a
// time: Alt+Up and Alt+Down move the highlighted names of the selected list one place.
#pragma once

#include <QObject>

class FileLists;
class QListView;

class ListArrangement : public QObject
{
public:
    ListArrangement(QListView *selected, FileLists &lists);

private:
    void step(int step);

    QListView *m_selected;
    FileLists &m_lists;
};
