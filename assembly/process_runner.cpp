#include "assembly/process_runner.h"

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>

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

} // namespace

ProcessResult runProcess(const std::vector<std::string> &arguments)
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
    pid_t waited = 0;
    do {
        waited = ::waitpid(child, &status, 0);
    } while (waited < 0 && errno == EINTR);
    if (waited != child)
        return result; // reaped elsewhere (SIGCHLD ignored): how it ended is unknown

    if (WIFEXITED(status)) {
        result.exited = true;
        result.exitStatus = WEXITSTATUS(status);
    }
    return result;
}

} // namespace assembly
