#include "posix/stop_signals.h"

#include <csignal>
#include <cstdlib>
#include <initializer_list>
#include <unistd.h>

namespace posix {

namespace {

// Written by the handler, read by the job between two steps: the one thing a handler may share.
volatile std::sig_atomic_t receivedSignal = 0;

void remember(int number)
{
    if (receivedSignal == 0)
        receivedSignal = number;
}

} // namespace

void StopSignals::install()
{
    struct sigaction action = {};
    action.sa_handler = remember;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls resume: the job notices the request at its next step.
    action.sa_flags = SA_RESTART;
    for (int number : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal ignored from the start stays ignored: nohup, or a script's background job
        // that the terminal's Ctrl+C must not reach.
        struct sigaction current = {};
        if (::sigaction(number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN)
            continue;
        ::sigaction(number, &action, nullptr);
    }
}

int StopSignals::received()
{
    return receivedSignal;
}

void StopSignals::endByReceivedSignal()
{
    const int number = receivedSignal != 0 ? receivedSignal : SIGTERM;
    struct sigaction byDefault = {};
    byDefault.sa_handler = SIG_DFL;
    ::sigaction(number, &byDefault, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, number);
    ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(number);
    std::_Exit(128 + number);
}

} // namespace posix
