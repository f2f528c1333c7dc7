// Places a window by its frame, title bar and borders included, when it is shown. The frame's
// size is known only once the window manager has framed the window: until then it is taken from
// another window the same manager has framed, and the window is placed again, once, if its own
// frame turns out to differ.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <functional>

class QWidget;

class FrameCentring : public QObject
{
    Q_OBJECT

public:
    // Where a frame of the given size puts its top-left corner.
    using Placement = std::function<QPoint(const QSize &frame)>;

    // Places `window` at its next showing, by `placement`; `reference`, if given and shown, lends
    // its frame's borders until the window has its own. Done once the window is framed, or hidden.
    static void atNextShow(QWidget *window, Placement placement, QWidget *reference = nullptr);

    // Frames centred on the middle of the screen `window` shows on.
    static Placement screenCentre(QWidget *window);
    // Frames centred over `over`'s frame, halves rounded toward zero.
    static Placement overFrameOf(QWidget *over);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    FrameCentring(QWidget *window, Placement placement, QWidget *reference);
    void place(const QSize &frame);
    void finish();

    QWidget *m_window;
    Placement m_placement;
    QPointer<QWidget> m_reference;
    bool m_shown = false;
};
