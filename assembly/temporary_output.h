#pragma once

// The result being written: a new file in the result's folder, under a hidden name ending in
// ".tmp" that the EPS listing never shows, renamed over the result only once it is complete.
// Until then an older result stays as it was; a temporary that is not committed is removed.

#include "assembly/unique_fd.h"

#include <cstdint>
#include <string>

namespace assembly {

class TemporaryOutput
{
public:
    // Creates the temporary file empty, with the permissions a new file gets (umask applied).
    // Failures are reported as EInOutError naming resultPath.
    explicit TemporaryOutput(std::string resultPath);
    TemporaryOutput(const TemporaryOutput &) = delete;
    TemporaryOutput &operator=(const TemporaryOutput &) = delete;
    ~TemporaryOutput();

    int fd() const { return m_fd.get(); }
    const std::string &temporaryPath() const { return m_temporaryPath; }

    // Checks that the file holds expectedSize bytes, optionally flushes it to disk, closes it
    // and renames it over the result (and, when durable, flushes the folder as well).
    void commit(std::uint64_t expectedSize, bool durable);

private:
    std::string m_resultPath;
    std::string m_temporaryPath;
    UniqueFd m_fd;
    bool m_committed = false;
};

} // namespace assembly
