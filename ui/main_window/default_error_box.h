// The program's default error handling: an error that ends an event handler is shown in a
// modal box, and the event loop goes on.
#pragma once

#include <QString>
#include <exception>

class DefaultErrorBox
{
public:
    static const QString &caption();
    // The error's message as the box shows it, with its final period.
    static QString textFor(const std::exception &error);
    // Shows the box over the active window and returns once the user closed it.
    static void show(const std::exception &error);

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
