#pragma once

// One Ghostscript run over the driver program, sandboxed: -dSAFER, a private temporary folder as
// its only writable place, the input readable only through descriptor 3, the PDF written to its
// standard output, never a path of ours on its command line but the driver's. What the driver
// reports on stderr is collected; everything else Ghostscript says is passed on.

#include "converter/part.h"
#include "posix/child_process.h"

#include <functional>
#include <string>
#include <vector>

namespace converter {

struct GhostscriptSetup
{
    std::string program;         // the gs executable
    std::string responseFile;    // pdfwrite.rsp
    std::string driverPath;      // in temporaryFolder
    std::string temporaryFolder; // private, 0700
    std::string key;             // marks the driver's report lines
    int input = -1;              // the joined EPS
    int output = -1;             // the PDF being written
    int guardHolder = -1;        // held open by Ghostscript while it runs, -1 for none
    std::function<bool()> stopRequested;
    bool passOnOutput = true; // Ghostscript's own words (and the documents') reach stderr
};

struct PartOutcome
{
    std::uint64_t number = 0;
    std::string status; // "ok", "stop", or the PostScript error's name
    std::string detail; // for an error, the command that failed
    long pages = 0;
};

struct GhostscriptResult
{
    posix::ExitStatus exit;
    std::vector<PartOutcome> outcomes; // in the order the parts ran
    bool finished = false;             // the driver reached its end
    long totalPages = -1;
    bool stopped = false; // ended on request
};

GhostscriptResult runGhostscript(const GhostscriptSetup &setup);

} // namespace converter
