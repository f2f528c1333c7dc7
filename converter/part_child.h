#pragma once

// One part's Ghostscript child: forked from the zygote's initialised interpreter, it keeps only
// the descriptors of its request, takes its own scratch space, shuts itself in (part_walls.h:
// its input, the system's fonts and resources are all it may read, its scratch space and its PDF
// all it may write), runs the part within its limits, writes its report and ends without tidying
// anything.

#include "converter/ghostscript_interpreter.h"
#include "converter/part_request.h"
#include "converter/part_walls.h"
#include "converter/pdf_writer_files.h"
#include "posix/unique_fd.h"

#include <vector>

namespace converter {

// Never returns. fds are the request's descriptors in order; writer is what the zygote opened
// of the PDF writer (nothing when each child opens its own); walls are those the zygote raised;
// zygote is the parent's pid.
[[noreturn]] void runPartChild(GhostscriptInterpreter &interpreter, const PdfWriterFiles &writer,
                               const PartWalls &walls, const PartRequest &request,
                               std::vector<posix::UniqueFd> fds, pid_t zygote);

// Report lines: "ok", "stop", "quit", "error <name> <command>" or "limit memory|scratch" (the
// part reached its limit), then "pages <count>".
struct PartReport
{
    std::string outcome;
    std::string errorName;
    std::string command;
    long pages = -1;
};
PartReport parsePartReport(std::string_view text);

} // namespace converter
