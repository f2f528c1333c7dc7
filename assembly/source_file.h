#pragma once

// One source of the job: opened read-only, accepted only as a regular file, appended whole to
// the output, and stamped as it was read so that it is deleted later only if still unchanged.

#include "assembly/file_copier.h"
#include "assembly/file_identity.h"

#include <cstdint>
#include <string>

namespace assembly {

struct SourceStamp
{
    std::string path;
    FileIdentity identity;

    // True when path is still that file, unchanged since it was read.
    bool stillMatches() const;
};

// The job's output while it is written: its descriptor, its path for messages, and the file it
// is, so that no path, /proc/self/fd included, can feed it back into itself.
struct OutputFile
{
    int fd = -1;
    std::string path;
    FileIdentity identity;
};

// Appends the source at path (name is its bare name, for messages) to output. Throws
// EInOutError when the system reports a failure, and JobError when the source is no regular
// file or is the output itself. Returns the bytes copied; fills stamp when given.
std::uint64_t appendSource(const std::string &name, const std::string &path, FileCopier &copier,
                           const OutputFile &output, SourceStamp *stamp);

} // namespace assembly
