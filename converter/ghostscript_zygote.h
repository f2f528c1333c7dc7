#pragma once

// The process every part's Ghostscript child is forked from. It is forked before the converter
// reads any document and initialises Ghostscript there (tens of milliseconds, paid once), so that
// each part costs only a fork: every part runs in an address space of its own, started from an
// interpreter that has seen no document, and dies with its part.

#include "converter/ceilings.h"
#include "converter/part_request.h"
#include "converter/part_walls.h"
#include "posix/unique_fd.h"

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace converter {

class GhostscriptZygote
{
public:
    // Forks the zygote, which starts Ghostscript with these options (argv[0] excluded), raises
    // the walls its children run in, each within `limits`, and says when it is ready. guardHolder
    // is a descriptor the zygote keeps open while it lives (-1: none); folder, a private folder
    // of the converter's it may use.
    GhostscriptZygote(const std::vector<std::string> &options, bool passOnOutput, int guardHolder,
                      const PartLimits &limits, const std::string &folder);
    GhostscriptZygote(const GhostscriptZygote &) = delete;
    GhostscriptZygote &operator=(const GhostscriptZygote &) = delete;
    // Ends the zygote, and with it every child still running.
    ~GhostscriptZygote();

    // Waits for the zygote to be ready; throws ConversionFailure when it could not start.
    void waitUntilReady();
    // Once ready: the walls the system let it raise around its children.
    const PartWalls &walls() const { return m_walls; }

    // Asks for a child running the part; the descriptors are duplicated into it (the caller may
    // close its own). False when the zygote is gone.
    bool launch(const PartRequest &request, const int (&fds)[requestDescriptors]);

    // The descriptor that becomes readable when an event is waiting.
    int eventDescriptor() const { return m_socket.get(); }
    // The next event, or nullopt when the zygote is gone.
    std::optional<ZygoteEvent> nextEvent();

    // Kills the zygote and its children at once.
    void stop();

private:
    posix::UniqueFd m_socket;
    pid_t m_pid = -1;
    PartWalls m_walls;
};

} // namespace converter
