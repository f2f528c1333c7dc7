#pragma once

// The PostScript program Ghostscript runs: every part of the joined input on its own, in order,
// each reporting how it ended and how many pages it made.

#include "converter/part.h"

#include <string>
#include <vector>

namespace converter {

// The input is read on descriptor 3. Report lines go to stderr and start with reportPrefix(key).
// The PDF gets one bookmark per part, titled after its file (or "Partie N" without a name), and
// the document title and creator given.
std::string driverProgram(const std::vector<Part> &parts, const std::string &key,
                          const std::string &documentTitle, const std::string &creator);

std::string reportPrefix(const std::string &key);

} // namespace converter
