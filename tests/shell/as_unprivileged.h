#pragma once

// Runs a check in a child process as the unprivileged user "nobody" (65534), so that permission
// cases fail as they do for users even when the tests run as root, which ignores file modes.

#include <functional>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

// True when `check` returned true in the child.
inline bool asUnprivileged(const std::function<bool()> &check)
{
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
             ::setresuid(65534, 65534, 65534) != 0))
            ::_exit(2);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
