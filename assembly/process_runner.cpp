#include "assembly/process_runner.h"

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>

extern char **environ;

namespace assembly {

namespace {

// posix_spawn's attributes, released on every path.
class SpawnAttributes
{
public:
    SpawnAttributes()
    {
        posix_spawnattr_init(&m_attributes);
        // A child must not inherit a blocked or ignored SIGCHLD or SIGPIPE: a shell script
        // waiting for its own children would never see them end.
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&m_attributes, &none);
        sigset_t reset;
        sigemptyset(&reset);
        sigaddset(&reset, SIGCHLD);
        sigaddset(&reset, SIGPIPE);
        posix_spawnattr_setsigdefault(&m_attributes, &reset);
        posix_spawnattr_setflags(&m_attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    SpawnAttributes(const SpawnAttributes &) = delete;
    SpawnAttributes &operator=(const SpawnAttributes &) = delete;
    ~SpawnAttributes() { posix_spawnattr_destroy(&m_attributes); }

    const posix_spawnattr_t *get() const { return &m_attributes; }

private:
    posix_spawnattr_t m_attributes;
};

// Blocks until the child ends; with whileWaiting, polls instead, often enough that a window
// calling it repaints smoothly and notices the end within a frame or two.
pid_t waitForChild(pid_t child, int &status, const WhileWaiting &whileWaiting)
{
    const int flags = whileWaiting ? WNOHANG : 0;
    for (;;) {
        const pid_t waited = ::waitpid(child, &status, flags);
        if (waited < 0 && errno == EINTR)
            continue;
        if (waited != 0)
            return waited;
        whileWaiting();
        const timespec pause{0, 20'000'000};
        ::nanosleep(&pause, nullptr);
    }
}

} // namespace

ProcessResult runProcess(const std::vector<std::string> &arguments,
                         const WhileWaiting &whileWaiting)
{
    ProcessResult result;
    if (arguments.empty())
        return result;

    std::vector<char *> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);

    SpawnAttributes attributes;
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], nullptr, attributes.get(), argv.data(), environ) != 0)
        return result;
    result.started = true;

    int status = 0;
    if (waitForChild(child, status, whileWaiting) != child)
        return result; // reaped elsewhere (SIGCHLD ignored): how it ended is unknown

    if (WIFEXITED(status)) {
        result.exited = true;
        result.exitStatus = WEXITSTATUS(status);
    }
    return result;
}

} // namespace assembly
