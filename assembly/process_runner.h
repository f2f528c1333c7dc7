#pragma once

// Starts a program from an argument vector, never from a command line that a shell re-parses,
// and waits for it to end without a time limit. The child inherits the environment and the
// current folder; the program's own files are close-on-exec and do not leak into it.

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

// arguments[0] is the program's path (not searched in PATH) and also its argv[0].
ProcessResult runProcess(const std::vector<std::string> &arguments);

} // namespace assembly
