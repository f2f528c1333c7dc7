#include "frame_centring.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QWidget>

namespace {

// Events that follow the window manager's framing of a window. A manager that keeps the window
// where it was and draws the frame around it moves nothing: the first painting comes after.
bool isFramingNews(QEvent::Type type)
{
    return type == QEvent::Move || type == QEvent::Paint || type == QEvent::ActivationChange;
}

QMargins frameMargins(const QWidget *window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                    frame.right() - client.right(), frame.bottom() - client.bottom());
}

} // namespace

FrameCentring::FrameCentring(QWidget *window, Placement placement, QWidget *reference)
    : QObject(window), m_window(window), m_placement(std::move(placement)), m_reference(reference)
{
    window->installEventFilter(this);
}

void FrameCentring::atNextShow(QWidget *window, Placement placement, QWidget *reference)
{
    new FrameCentring(window, std::move(placement), reference);
}

FrameCentring::Placement FrameCentring::screenCentre(QWidget *window)
{
    return [window](const QSize &frame) {
        const QScreen *screen =
            window->screen() ? window->screen() : QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect();
        return QPoint(area.left() + (area.width() - frame.width()) / 2,
                      area.top() + (area.height() - frame.height()) / 2);
    };
}

FrameCentring::Placement FrameCentring::overFrameOf(QWidget *over)
{
    return [over = QPointer<QWidget>(over)](const QSize &frame) {
        const QRect area = over ? over->frameGeometry() : QRect();
        return QPoint(area.left() + (area.width() - frame.width()) / 2,
                      area.top() + (area.height() - frame.height()) / 2);
    };
}

void FrameCentring::finish()
{
    m_window->removeEventFilter(this);
    deleteLater();
}

void FrameCentring::place(const QSize &frame)
{
    // A window's position is its frame's.
    m_window->move(m_placement(frame));
}

bool FrameCentring::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::Show && !m_shown) {
        m_shown = true;
        // Shown before, the window knows its frame; else another framed window lends its own.
        QMargins margins = frameMargins(m_window);
        if (margins.isNull() && m_reference && m_reference->isVisible())
            margins = frameMargins(m_reference);
        place(m_window->size().grownBy(margins));
    } else if (isFramingNews(event->type()) && m_shown && !frameMargins(m_window).isNull()) {
        // The window manager has framed the window: placed again if its frame is not the one
        // guessed, then done. Without a manager that draws frames, nothing is left to do.
        const QRect frame = m_window->frameGeometry();
        if (frame.topLeft() != m_placement(frame.size()))
            place(frame.size());
        finish();
    } else if (event->type() == QEvent::Hide && m_shown) {
        finish();
    }
    return QObject::eventFilter(watched, event);
}
