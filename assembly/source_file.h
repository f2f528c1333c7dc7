#pragma once

// One source of the job: opened read-only, accepted only as a regular file, appended to the
// output (a DOS EPS without its binary header and preview picture), and stamped as it was read
// so that it is deleted later only if still unchanged.

#include "assembly/file_copier.h"
#include "assembly/file_identity.h"

#include <cstdint>
#include <string>
#include <vector>

namespace assembly {

struct SourceStamp
{
    std::string name; // in the job's folder
    std::string path; // the same, for messages
    FileIdentity identity;

    enum class State { Unchanged, Changed, Gone };
    // Whether the name in the folder open on folderFd is still that file, unchanged since it was
    // read, or names another file or a changed one, or nothing any more (someone deleted it).
    State stateNow(int folderFd) const;
};

// Appends the file `name` of the folder open on folderFd (path names it in messages) to the
// copier's output: the whole file, or a DOS EPS's PostScript section alone. Throws EInOutError
// when the system reports a failure, and JobError when the source is no regular file or one of
// the refused files: the output itself (so that no path, /proc/self/fd included, feeds it back
// into itself) and the results it replaces. One fstat of the open source serves every check.
// Returns the bytes copied; fills stamp when given.
std::uint64_t appendSource(int folderFd, const std::string &name, const std::string &path,
                           FileCopier &copier, const std::vector<FileIdentity> &refused,
                           SourceStamp *stamp);

} // namespace assembly
