#pragma once

// The folder brakwen-cli runs from, where it looks for the converter: the running executable's
// folder (links resolved), ending in '/'.

#include <string>

namespace cli {

std::string executableDirectory(const char *argv0);

} // namespace cli
