#pragma once

// One source of the job: opened read-only, accepted only as a regular file, appended whole to
// the output, and stamped as it was read so that it is deleted later only if still unchanged.

#include "assembly/file_copier.h"

#include <cstdint>
#include <string>
#include <sys/stat.h>

namespace assembly {

struct SourceStamp
{
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    struct timespec modified = {};

    // True when path is still that file, with that size and modification time.
    bool stillMatches() const;
};

// Appends the source at path (name is its bare name, for messages) to output. Throws
// EInOutError when the system reports a failure and JobError when the source is no regular
// file. Returns the bytes copied; fills stamp when given.
std::uint64_t appendSource(const std::string &name, const std::string &path, FileCopier &copier,
                           int output, const std::string &outputPath, SourceStamp *stamp);

} // namespace assembly
