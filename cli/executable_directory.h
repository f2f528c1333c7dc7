#pragma once

// The Tool directory of the command line: the folder of the running executable (links
// resolved), ending in '/', where the converter is looked for.

#include <string>

namespace cli {

std::string executableDirectory(const char *argv0);

} // namespace cli
