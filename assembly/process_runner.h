#pragma once

// Starts a program from an argument vector, never from a command line that a shell re-parses,
// and waits for it to end without a time limit, unless asked to stop it. The child inherits the
// environment and the current folder; the program's own files are close-on-exec and do not leak
// into it. It leads a process group of its own, so that stopping it stops everything it started,
// and it is killed if this program dies first.

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace assembly {

struct ProcessResult
{
    bool started = false;
    bool exited = false; // ended by exit() rather than a signal
    int exitStatus = -1;
    bool stopped = false; // ended on request, before it finished

    bool succeeded() const { return started && exited && exitStatus == 0 && !stopped; }
};

// Called now and then while the child runs, so a window can repaint during a long conversion.
using WhileWaiting = std::function<void()>;
// Asked as often; true ends the child (and its process group) and the wait.
using StopRequested = std::function<bool()>;

struct ProcessRequest
{
    // arguments[0] is the program's path (not searched in PATH) and also its argv[0].
    std::vector<std::string> arguments;
    std::vector<std::string> extraEnvironment;    // "NAME=value", replacing inherited ones
    std::vector<std::pair<int, int>> descriptors; // descriptor in the child <- ours
    WhileWaiting whileWaiting;
    StopRequested stopRequested;
};

ProcessResult runProcess(const ProcessRequest &request);
// Without whileWaiting the caller simply blocks until the child ends.
ProcessResult runProcess(const std::vector<std::string> &arguments,
                         const WhileWaiting &whileWaiting = {});

// The current environment with the given "NAME=value" entries added or replacing.
std::vector<std::string> environmentWith(const std::vector<std::string> &entries);

} // namespace assembly
