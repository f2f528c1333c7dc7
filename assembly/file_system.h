#pragma once

// The few file-system questions the job asks, over POSIX calls on raw byte paths.

#include <string>

namespace assembly {

// directory + "/" + name, joined as plain text (a directory "/" gives "//name", which the
// system accepts).
std::string joinPath(const std::string &directory, const std::string &name);

// The folder part of a path ("." when it has none).
std::string parentFolder(const std::string &path);

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
