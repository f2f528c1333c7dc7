#pragma once

// A watcher that removes the converter's temporary files and folders even when the converter and
// Ghostscript are killed outright (kill -9 of their process group): it runs in a session of its
// own, holds one end of a pipe whose other end the converter and Ghostscript keep open, and when
// the last of them is gone it removes every path it was told about. After a normal end the paths
// are already gone and it has nothing left to do.

#include "posix/unique_fd.h"

#include <string>

namespace converter {

class LeftoverGuard
{
public:
    // Starts the watcher; without one (fork refused) the converter still cleans up after itself.
    LeftoverGuard();

    // Tells the watcher to remove path (a file, or a folder with everything in it) if it is still
    // there when every holder of the pipe has ended. Call it before the path is created.
    void watch(const std::string &path);

    // The pipe end a child (Ghostscript) must hold open as long as it runs; -1 without a watcher.
    int holderDescriptor() const { return m_pipe.get(); }

private:
    posix::UniqueFd m_pipe;
};

} // namespace converter
