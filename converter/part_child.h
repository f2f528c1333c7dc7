#pragma once

// One part's Ghostscript child: forked from the zygote's initialised interpreter, it keeps only
// the four descriptors of its request, confines itself (its own folder is the only place it may
// write; its input, the system's fonts and resources are all it may read), runs the part with a
// time limit, writes its report and ends without tidying anything.

#include "converter/ghostscript_interpreter.h"
#include "converter/part_request.h"
#include "converter/pdf_writer_files.h"
#include "posix/unique_fd.h"

#include <vector>

namespace converter {

// Never returns. fds are the request's descriptors in order; writer is what the zygote opened
// of the PDF writer (nothing when each child opens its own); zygote is the parent's pid.
[[noreturn]] void runPartChild(GhostscriptInterpreter &interpreter, const PdfWriterFiles &writer,
                               const PartRequest &request, std::vector<posix::UniqueFd> fds,
                               pid_t zygote);

// Report lines: "ok", "stop", "quit" or "error <name> <command>", then "pages <count>".
struct PartReport
{
    std::string outcome;
    std::string errorName;
    std::string command;
    long pages = -1;
};
PartReport parsePartReport(std::string_view text);

} // namespace converter
