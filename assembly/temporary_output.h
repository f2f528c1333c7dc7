#pragma once

// The result being written: a file in the result's folder that has no name while it is written
// (O_TMPFILE), so a job killed at any point leaves nothing behind; it gets a hidden name ending in
// ".tmp", which the EPS listing never shows, only to be renamed over the result once complete.
// Where the file system cannot make unnamed files, the file carries that hidden name from the
// start, locked as long as the job lives, and the next job in the folder removes it if the job
// was killed. Until the rename an older result stays as it was; a file not committed is removed.

#include "assembly/file_identity.h"
#include "posix/folder.h"
#include "posix/pending_file.h"

#include <cstdint>
#include <string>

namespace assembly {

class TemporaryOutput
{
public:
    // Creates the temporary file empty in folder, to become resultName, with the permissions a
    // new file gets (umask applied). Failures are reported as EInOutError naming resultPath.
    TemporaryOutput(const posix::Folder &folder, const std::string &folderPath,
                    std::string resultName, std::string resultPath);

    int fd() const { return m_file.fd(); }
    // The file being written, as it is now.
    FileIdentity identity() const;

    // Checks that the file holds expectedSize bytes, optionally flushes it to disk, closes it
    // and renames it over the result (and, when durable, flushes the folder as well). Returns
    // the result as it stands once in place, for later checks that it is still the same.
    FileIdentity commit(std::uint64_t expectedSize, bool durable);

    // The hidden names the file takes.
    static posix::HiddenName naming();

private:
    const posix::Folder &m_folder;
    std::string m_resultName;
    std::string m_resultPath;
    posix::PendingFile m_file;
};

} // namespace assembly
