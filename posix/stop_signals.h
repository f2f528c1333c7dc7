#pragma once

// SIGINT, SIGTERM and SIGHUP ask the program to stop at its next step rather than kill it
// outright: it then stops its children, removes what it made and keeps what it was given, after
// which it ends by the same signal, as a shell expects of a program it interrupted.

namespace posix {

class StopSignals
{
public:
    // Installs the handlers; until then the signals keep their default action.
    static void install();
    // The signal received, or 0.
    static int received();
    // Ends the program by the signal received, its default action restored.
    [[noreturn]] static void endByReceivedSignal();
};

} // namespace posix
