#pragma once

// The few file-system questions the job asks, over POSIX calls on raw byte paths.

#include "posix/path.h"

#include <string>

namespace assembly {

using posix::joinPath;
using posix::parentFolder;

// True when something that is not a folder exists at path (links followed).
bool fileExists(const std::string &path);

// Removes the file at path and returns whether it did; the window reports no failure, the
// command line does.
bool deleteFile(const std::string &path);

// Flushes the file at path and its folder to disk so that a rename or a new file survives a
// crash. Throws EInOutError when the system reports a failure.
void syncFileAndFolder(const std::string &path);

// Flushes a folder's entries (a rename into it, a deletion) to disk. Throws EInOutError.
void syncFolder(const std::string &folder);

} // namespace assembly
