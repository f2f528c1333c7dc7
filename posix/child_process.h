#pragma once

// Starts a program from an argument vector, never through a shell, and watches it end. What the
// child gets is spelt out: its descriptors, its environment, whether it leads a process group of
// its own (so that it and everything it starts can be stopped together) and whether it dies with
// its parent (so that a killed program never leaves a converter running).

#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace posix {

struct ExitStatus
{
    bool exited = false; // ended by exit(), not by a signal
    int code = -1;       // the exit code when exited
    int signal = 0;      // the signal that ended it otherwise

    bool succeeded() const { return exited && code == 0; }
};

struct ChildSetup
{
    // arguments[0] is the program: a path, or a bare name looked up in PATH when searchPath.
    std::vector<std::string> arguments;
    bool searchPath = false;
    // The child's whole environment ("NAME=value"); the parent's when unset.
    std::optional<std::vector<std::string>> environment;
    // Descriptor numbers in the child and the parent's descriptors they stand for. The child
    // inherits nothing else but what is not close-on-exec.
    std::vector<std::pair<int, int>> descriptors;
    bool ownProcessGroup = false;
    bool endsWithParent = false;
    // Resource limits (RLIMIT_*) the child runs under, soft and hard alike.
    std::vector<std::pair<int, rlim_t>> limits;
};

class ChildProcess
{
public:
    // Starts the child; nullopt (errno set) when the program could not be run at all.
    static std::optional<ChildProcess> start(const ChildSetup &setup);

    ChildProcess(ChildProcess &&other) noexcept;
    ChildProcess &operator=(ChildProcess &&other) = delete;
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;
    // A child still running when its owner goes is stopped (killed with its group) and reaped.
    ~ChildProcess();

    pid_t pid() const { return m_pid; }

    // The status once the child has ended, without waiting.
    std::optional<ExitStatus> poll();
    ExitStatus wait();
    // Sends the signal to the child's process group when it leads one, else to the child.
    void signal(int number) const;
    // SIGTERM, then SIGKILL if it has not ended within graceMilliseconds; returns its status.
    ExitStatus stop(int graceMilliseconds);

private:
    ChildProcess(pid_t pid, bool groupLeader) : m_pid(pid), m_groupLeader(groupLeader) {}

    pid_t m_pid = -1;
    bool m_groupLeader = false;
    std::optional<ExitStatus> m_status;
};

// The absolute path of a program name as PATH finds it (a name with a slash is returned as it is);
// empty when none is executable.
std::string findInPath(const std::string &name);

} // namespace posix
