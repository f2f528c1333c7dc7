#pragma once

// The PostScript the converter's own code runs around one part, inside that part's Ghostscript
// child. The part is read from descriptor 3 and the PDF written to descriptor 4.

#include "converter/part_request.h"

#include <string>

namespace converter {

// Run once in the zygote: loads what every child would otherwise load again (the common fonts,
// the colour transforms of the PDF writer), none of it from any document.
std::string warmUpProgram();

// Selects the PDF writer on descriptor 4 when openWriter (else the zygote's is in use already)
// and, for an EPS, a page of the box's size onto which every page of the part is drawn, the
// box's corner at the page's origin.
std::string pageSetupProgram(const PartRequest &request, bool openWriter);

// Runs the part inside a save; leaves a boolean on the operand stack: whether it stopped.
std::string partProgram();

// Prints "ok", "stop", or "error <name> <command>" for how the part ended.
std::string outcomeProgram();

// Undoes what the part left, shows one page when it showed none, prints the pages shown and
// closes the PDF.
std::string finishProgram();

} // namespace converter
