#include "job_input_gate.h"

#include <QCoreApplication>
#include <QKeyEvent>

JobInputGate::JobInputGate(std::function<void()> escapePressed)
    : m_escapePressed(std::move(escapePressed))
{
    QCoreApplication::instance()->installEventFilter(this);
}

JobInputGate::~JobInputGate()
{
    processEvents();
    QCoreApplication::instance()->removeEventFilter(this);
}

void JobInputGate::processEvents()
{
    // Input is let out of the window system's queue too, so that it meets the filter now;
    // excluding it would only keep it waiting for the end of the job.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

JobInputGate::Opening::Opening(JobInputGate &gate) : m_gate(gate)
{
    // What was clicked before the box came up was not meant for it.
    m_gate.processEvents();
    m_gate.m_open = true;
}

JobInputGate::Opening::~Opening()
{
    m_gate.m_open = false;
}

bool JobInputGate::isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
    case QEvent::HoverLeave:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::NativeGesture:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

bool JobInputGate::eventFilter(QObject *watched, QEvent *event)
{
    if (m_open || !isUserInput(event->type()))
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress && m_escapePressed) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier &&
            !key->isAutoRepeat())
            m_escapePressed();
    }
    return true;
}
