#pragma once

// Starts a program from an argument vector, never from a command line that a shell re-parses,
// and waits for it to end without a time limit. The child inherits the environment and the
// current folder; the program's own files are close-on-exec and do not leak into it.

#include <functional>
#include <string>
#include <vector>

namespace assembly {

struct ProcessResult
{
    bool started = false;
    bool exited = false; // ended by exit() rather than a signal
    int exitStatus = -1;

    bool succeeded() const { return started && exited && exitStatus == 0; }
};

// Called now and then while the child runs, so a window can repaint during a long conversion.
using WhileWaiting = std::function<void()>;

// arguments[0] is the program's path (not searched in PATH) and also its argv[0]. Without
// whileWaiting the caller simply blocks until the child ends.
ProcessResult runProcess(const std::vector<std::string> &arguments,
                         const WhileWaiting &whileWaiting = {});

} // namespace assembly
