// What the brakwen program is told on its command line: files or a folder to open, as a file
// manager's "Open with" gives them, or a question (--help, --version) answered without a window.
#pragma once

#include <QByteArray>
#include <optional>
#include <vector>

namespace ProgramArguments {

// Answers before anything needs a display, and gives the exit status: --help and --version on
// the standard output, an option that is neither the program's nor one of Qt's own as a usage
// error on the standard error; nullopt when the program is to open its window.
std::optional<int> answerWithoutWindow(int argc, char **argv);

struct Named
{
    std::vector<QByteArray> paths; // absolute, in the order given, the file system's own bytes
    std::optional<int> exitNow;    // a usage error, already said on the standard error
};

// The files and folders named, once the application has taken its own options out of argv. A
// name that starts with "-" is given after "--".
Named paths(int argc, char **argv);

} // namespace ProgramArguments
