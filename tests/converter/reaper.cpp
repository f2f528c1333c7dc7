// reaper PIDFILE COMMAND [ARGUMENT...]: runs COMMAND and ends only when it and every process it
// started have ended, wherever they went (a watcher that left its session, a child whose parent
// died): they are all reaped here. The command's pid is in PIDFILE before it starts, for a test
// to signal it. Ends with the command's status, 128 + N when signal N ended it, as a shell says.
// The tests wait on it rather than on the time a run might take to clear up after itself.

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s PIDFILE COMMAND [ARGUMENT...]\n", argv[0]);
        return 2;
    }
    int started[2];
    if (::prctl(PR_SET_CHILD_SUBREAPER, 1) != 0 || ::pipe2(started, O_CLOEXEC) != 0) {
        std::perror("reaper");
        return 2;
    }
    const pid_t command = ::fork();
    if (command < 0) {
        std::perror("reaper: fork");
        return 2;
    }
    if (command == 0) {
        // Held until the pid is written: nothing of the command runs before it can be signalled.
        ::close(started[1]);
        char nothing = 0;
        while (::read(started[0], &nothing, 1) < 0 && errno == EINTR) {
        }
        ::execvp(argv[2], argv + 2);
        std::perror(argv[2]);
        ::_exit(127);
    }
    ::close(started[0]);
    std::FILE *pidFile = std::fopen(argv[1], "w");
    const bool written = pidFile != nullptr && std::fprintf(pidFile, "%d\n", command) > 0 &&
                         std::fclose(pidFile) == 0;
    if (!written)
        ::kill(command, SIGKILL);
    ::close(started[1]);

    int result = 2;
    for (;;) {
        int status = 0;
        const pid_t ended = ::waitpid(-1, &status, 0);
        if (ended < 0 && errno == EINTR)
            continue;
        if (ended < 0)
            break;
        if (ended == command && written)
            result = WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
    }
    return result;
}
