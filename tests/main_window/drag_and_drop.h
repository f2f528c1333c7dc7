// Drags and drops as the window system delivers them. The platform the tests run on starts no
// drag of its own (a drag ends at once, dropping nothing): a drag is started with the mouse as a
// user starts it, and what it carries is then moved over and dropped where the user lets go, as
// a drag from a file manager is.
#pragma once

#include <QApplication>
#include <QDrag>
#include <QListView>
#include <QMimeData>
#include <QPointer>
#include <QTest>
#include <QWindow>
#include <memory>
#include <qpa/qplatformdrag.h>
#include <qpa/qwindowsysteminterface.h>

namespace drag_and_drop {

// Moves `data` over `target` at `at` (in the target's coordinates) and drops it there, keys
// `modifiers` held; returns whether the window took it, and with which action.
inline std::pair<bool, Qt::DropAction> deliver(const QMimeData *data, QWidget *target, QPoint at,
                                               Qt::DropActions actions,
                                               Qt::KeyboardModifiers modifiers = {})
{
    QWidget *window = target->window();
    const QPoint point = target->mapTo(window, at);
    QWindow *handle = window->windowHandle();
    const QPlatformDragQtResponse moved =
        QWindowSystemInterface::handleDrag(handle, data, point, actions, Qt::LeftButton, modifiers);
    if (!moved.isAccepted()) {
        // Leaving the window ends the drag there.
        QWindowSystemInterface::handleDrag(handle, nullptr, QPoint(), actions, {}, {});
        return {moved.isAccepted(), moved.acceptedAction()};
    }
    const QPlatformDropQtResponse dropped =
        QWindowSystemInterface::handleDrop(handle, data, point, actions, Qt::LeftButton, modifiers);
    return {dropped.isAccepted(), dropped.acceptedAction()};
}

// Catches the drag a list starts.
class DragCatcher : public QObject
{
public:
    explicit DragCatcher(QObject *source) { source->installEventFilter(this); }
    QDrag *drag() const { return qobject_cast<QDrag *>(m_drag.data()); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ChildAdded)
            m_drag = static_cast<QChildEvent *>(event)->child();
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QObject> m_drag;
};

// Presses on `row` of `source` and moves the mouse far enough for a drag of its highlighted
// names to start, then lets go over `target` at `at`; returns whether the drop was taken.
inline bool dragRows(QListView *source, int row, QWidget *target, QPoint at)
{
    DragCatcher catcher(source);
    QWidget *viewport = source->viewport();
    const QPoint from = source->visualRect(source->model()->index(row, 0)).center();
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    // The first move readies the list for a drag, the next one far enough starts it; the drag
    // takes every move after that.
    for (int step = 1; step <= 3 && !catcher.drag(); ++step)
        QTest::mouseMove(viewport, from + QPoint(0, step * QApplication::startDragDistance()));
    // The drag ended at once, and goes at the next turn of the event loop, its data with it.
    const QPointer<QDrag> drag = catcher.drag();
    const bool taken =
        drag && deliver(drag->mimeData(), target, at, drag->supportedActions()).first;
    // A drag takes the button's release, which the list never sees.
    QTest::mouseRelease(source->window(), Qt::LeftButton, {}, QPoint(1, 1));
    return taken;
}

// Files as a file manager drags them: their URLs, and their paths as text.
inline std::unique_ptr<QMimeData> files(const QList<QByteArray> &paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QByteArray &path : paths)
        urls << QUrl::fromEncoded("file://" + path.toPercentEncoding("/"));
    data->setUrls(urls);
    data->setText(QString::fromUtf8(paths.join('\n')));
    return data;
}

} // namespace drag_and_drop
