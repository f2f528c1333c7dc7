#pragma once

// Options read as getopt_long reads them: short options alone or together (-pd), a short
// option's value joined or next (-nBASE, -n BASE), long options whole or by any beginning that
// names one option only, a long option's value after "=" (which may be empty) or next; options
// and operands in any order, "--" ending the options and "-" alone an operand; an option given
// twice, the last one wins. Unlike getopt_long, every complaint is French and quotes the
// argument exactly as it was given.

#include <functional>
#include <string>
#include <vector>

namespace cli {

struct Option
{
    char shortName;       // '\0' for none
    const char *longName; // without its dashes
    bool takesValue;
    // Called for every occurrence, in order, with its value ("" for an option without one).
    std::function<void(const std::string &value)> apply;
};

struct ParsedArguments
{
    std::vector<std::string> operands; // in the order given
    std::string error;                 // what is wrong, in French; empty when nothing is
};

// Reads argv[1] to argv[argc - 1]; stops at the first wrong argument.
ParsedArguments parseOptions(int argc, char **argv, const std::vector<Option> &options);

} // namespace cli
