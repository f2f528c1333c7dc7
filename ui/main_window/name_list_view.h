// A list of file names whose names can be dragged, within it and to the window's other list.
#pragma once

#include <QListView>

class NameListView : public QListView
{
public:
    using QListView::QListView;

protected:
    void dropEvent(QDropEvent *event) override;
};
