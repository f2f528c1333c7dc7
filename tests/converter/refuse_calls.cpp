// refuse_calls WHAT COMMAND [ARGUMENT...]: runs the command on a system that lacks WHAT, as an
// older kernel or a container would: "landlock" (its calls answer ENOSYS), "namespaces" (new
// namespaces are refused, EPERM), "both", or "entry" (namespaces refused, and Landlock offered
// but refusing to confine a process, EPERM, as a container's policy may).

#include "posix/confinement.h"

#include <cerrno>
#include <cstdio>
#include <string_view>
#include <sys/syscall.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    const std::string_view what = argc > 2 ? argv[1] : "";
    const bool landlock = what == "landlock" || what == "both";
    const bool entry = what == "entry";
    const bool namespaces = what == "namespaces" || what == "both" || entry;
    if (!landlock && !namespaces) {
        std::fprintf(stderr, "usage: refuse_calls landlock|namespaces|both|entry COMMAND...\n");
        return 2;
    }
    const long landlockCalls[] = {SYS_landlock_create_ruleset, SYS_landlock_add_rule,
                                  SYS_landlock_restrict_self};
    const long entryCalls[] = {SYS_landlock_restrict_self};
    const long namespaceCalls[] = {SYS_unshare, SYS_setns};
    if ((landlock && !posix::refuseSystemCalls(landlockCalls, ENOSYS)) ||
        (entry && !posix::refuseSystemCalls(entryCalls, EPERM)) ||
        (namespaces && !posix::refuseSystemCalls(namespaceCalls, EPERM))) {
        std::perror("refuse_calls");
        return 1;
    }
    ::execvp(argv[2], argv + 2);
    std::perror(argv[2]);
    return 127;
}
