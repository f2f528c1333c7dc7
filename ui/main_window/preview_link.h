// Ties the "Aperçu" window to the main window's two lists: F3 in either list shows or hides it
// (Space keeps its list role), Escape there closes it, and it follows the current row of the list
// last moved in, the rows after it rendered ahead. While the job runs it keeps what it shows.
#pragma once

#include <QByteArray>
#include <QObject>
#include <functional>
#include <initializer_list>
#include <vector>

class PreviewWindow;
class QListView;

class PreviewLink : public QObject
{
public:
    // `directory` gives the folder the lists' names are in; `busy` tells whether the job runs.
    PreviewLink(QWidget *window, std::initializer_list<QListView *> lists,
                std::function<QByteArray()> directory, std::function<bool()> busy);

    PreviewWindow *preview() const { return m_preview; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void toggle(QListView *list);
    void follow(QListView *list);

    PreviewWindow *m_preview;
    std::function<QByteArray()> m_directory;
    std::function<bool()> m_busy;
};
