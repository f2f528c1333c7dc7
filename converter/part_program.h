#pragma once

// The PostScript the converter's own code runs around one part, inside that part's Ghostscript
// child. The part is read as %stdin; the PDF is written through the writer the zygote opened, or
// one the child opens of its own.

#include "converter/part_request.h"

#include <string>

namespace converter {

// Selects the PDF writer (a copy of it when copy) writing to the file named output, with the
// parameters the command line and its response file gave.
std::string writerOpeningProgram(bool copy, const std::string &output);

// Run once in the zygote: loads what every child would otherwise load again (the common fonts,
// the colour transforms of the PDF writer), none of it from any document.
std::string warmUpProgram();

// Selects a PDF writer of the child's own writing to ownWriterOutput unless that is empty (the
// zygote's is in use already) and, for an EPS, a page of the box's size onto which every page of
// the part is drawn, the box's corner at the page's origin.
std::string pageSetupProgram(const PartRequest &request, const std::string &ownWriterOutput);

// Runs the part inside a save; leaves a boolean on the operand stack: whether it stopped.
std::string partProgram();

// Prints "ok", "stop", or "error <name> <command>" for how the part ended.
std::string outcomeProgram();

// Undoes what the part left, shows one page when it showed none, prints the pages shown and
// closes the PDF; the writer's failing to open a new document afterwards stops nothing.
std::string finishProgram();

} // namespace converter
