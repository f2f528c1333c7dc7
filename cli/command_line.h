#pragma once

// The command line of brakwen-cli, in the GNU manner: short and long options read as
// getopt_long reads them (option_parser.h), --help and --version, errors on stderr after the
// program's name.

#include "assembly/job_inputs.h"

#include <optional>
#include <string>

namespace cli {

constexpr int exitSuccess = 0;
constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

struct CommandLine
{
    assembly::JobInputs inputs;
    bool verbose = false; // Ghostscript's own output shown
    bool force = false;   // a result whose sources may be gone is replaced all the same
    // Set when the program must stop at once with this status: the help or the version was
    // shown, or the command line was wrong (and said so on stderr).
    std::optional<int> exitNow;
};

CommandLine parseCommandLine(int argc, char **argv);

// Says what is wrong on stderr, with a pointer to --help, and returns exitUsage.
int usageError(const std::string &message);

} // namespace cli
