// A list of file names whose names can be dragged, within it and to the window's other list, and
// onto which files can be dropped from a file manager.
#pragma once

#include <QListView>

class NameListView : public QListView
{
    Q_OBJECT

public:
    using QListView::QListView;

    // Files dropped from outside, which the program only reads: a file manager is told they were
    // copied, whatever it proposed. Told they were moved, it would delete them.
    static bool carriesFiles(const QDropEvent *event);
    // Whether such a drop is refused: the file manager does not let them be copied.
    static bool refusesFiles(const QDropEvent *event);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};
