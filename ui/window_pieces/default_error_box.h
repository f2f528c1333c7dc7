// The program's default error handling: an error that ends an event handler is shown in a modal
// box under the application's title, and the event loop goes on. The chooser's views show what
// they refuse in the same box.
#pragma once

#include <QString>
#include <exception>

class QWidget;

class DefaultErrorBox
{
public:
    // The message as the box shows it: a period is added after a letter or a digit, not after
    // ".", ",", ")" or a blank; the same rule as the command line's.
    static QString textFor(const QString &message);
    // Shows the box over `owner`, or over the active window without one, and returns once the
    // user closed it. A `cause` shows below the message, on a line of its own.
    static void show(const QString &message, QWidget *owner = nullptr,
                     const QString &cause = QString());
    // Shows the box for an error that ended a handler: its message, and below it which file
    // (by its name: the window shows its folder) and why, in brakwen-cli's words, then `after`,
    // on lines of its own.
    static void show(const std::exception &error, const QString &after = QString());

    // Runs `handler`; an error leaving it is shown in the box instead of unwinding further, so
    // it never crosses the toolkit's own frames.
    template <typename Handler> static void guard(Handler &&handler)
    {
        try {
            handler();
        } catch (const std::exception &error) {
            show(error);
        }
    }
};
