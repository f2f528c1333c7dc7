// The ways to arrange the assembly order directly, beside the buttons that add one selection at a
// time: names dragged within the selected list and between the two lists; Alt+Up and Alt+Down,
// which move the highlighted names of the selected list one place; and files dropped from a file
// manager onto either list or anywhere on the window.
#pragma once

#include <QList>
#include <QObject>
#include <QUrl>
#include <functional>

class FileLists;
class NameListModel;
class QListView;
class QMimeData;
class QWidget;

class ListArrangement : public QObject
{
    Q_OBJECT

public:
    // The files dropped, and the selected list's row they were dropped before (-1: after the
    // last one).
    using FilesDropped = std::function<void(const QList<QUrl> &files, int row)>;

    // `namesMoved` runs after names were dragged: the window applies its control rules.
    ListArrangement(QWidget *window, QListView *available, QListView *selected, FileLists &lists,
                    std::function<void()> namesMoved, FilesDropped filesDropped);

protected:
    // Files dropped anywhere on the window that no list took, the base-name field included.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void step(int step);
    bool drop(NameListModel &target, const QMimeData &data, int row);

    QListView *m_selected;
    FileLists &m_lists;
    std::function<void()> m_namesMoved;
    FilesDropped m_filesDropped;
};
