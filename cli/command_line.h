#pragma once

// The command line of brakwen-cli: its French help, its usage errors and the job's inputs it
// carries.

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
    // Set when the program must stop at once with this status: the help was shown, or the
    // command line was wrong (and said so on stderr).
    std::optional<int> exitNow;
};

CommandLine parseCommandLine(int argc, char **argv);

// Says what is wrong on stderr, with a pointer to --help, and returns exitUsage.
int usageError(const std::string &message);

} // namespace cli
