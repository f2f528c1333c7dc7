#include "assembly/source_file.h"

#include "assembly/io_error.h"
#include "assembly/job_error.h"
#include "posix/eintr.h"
#include "posix/unique_fd.h"

#include <cerrno>
#include <fcntl.h>

namespace assembly {

namespace {

// A FIFO would hold the job forever, a device such as /dev/zero would feed it until the disk is
// full: only regular files (links followed) are assembled. A folder fails like any file that
// cannot be read. Checked on the open file, which costs no extra call per source.
bool isSpecialFile(const struct stat &status)
{
    return !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode);
}

JobError specialFileRefused(const std::string &name)
{
    return JobError("Le fichier « " + name +
                    " » n'est pas un fichier ordinaire : il ne peut pas être assemblé");
}

} // namespace

SourceStamp::State SourceStamp::stateNow(int folderFd) const
{
    const std::optional<FileIdentity> now = FileIdentity::ofName(folderFd, name);
    if (!now)
        return errno == ENOENT ? State::Gone : State::Changed;
    return now->unchangedAs(identity) ? State::Unchanged : State::Changed;
}

std::uint64_t appendSource(int folderFd, const std::string &name, const std::string &path,
                           FileCopier &copier, const std::vector<FileIdentity> &refused,
                           SourceStamp *stamp)
{
    // Read-only: a source the user may read but not write is still assembled. Non-blocking, so
    // that opening a FIFO returns at once, to be refused; on a regular file the flag changes
    // nothing.
    posix::UniqueFd source(posix::retryOnInterrupt([&] {
        return ::openat(folderFd, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    }));
    // A socket cannot be opened at all, and says so with ENXIO.
    if (!source.valid() && errno == ENXIO)
        throw specialFileRefused(name);
    if (!source.valid())
        throw EInOutError::fromErrno(errno, path);
    struct stat status = {};
    if (::fstat(source.get(), &status) != 0)
        throw EInOutError::fromErrno(errno, path);
    if (S_ISDIR(status.st_mode))
        throw EInOutError::fromErrno(EISDIR, path);
    if (isSpecialFile(status))
        throw specialFileRefused(name);
    // Read while it is written, the output would grow until the disk is full; a result about to
    // be replaced cannot be one of its own sources.
    const FileIdentity identity = FileIdentity::of(status);
    for (const FileIdentity &result : refused)
        if (identity.sameFile(result))
            throw JobError(resultRefusalMessage(name));

    const std::uint64_t copied =
        copier.append(source.get(), path, static_cast<std::uint64_t>(status.st_size));
    if (source.close() != 0 && errno != EINTR)
        throw EInOutError::fromErrno(errno, path);

    // The time seen before reading, with the bytes actually read: a source written to while it
    // was read, or since, no longer matches at deletion and is kept.
    if (stamp != nullptr) {
        *stamp = {name, path, identity};
        stamp->identity.size = static_cast<off_t>(copied);
    }
    return copied;
}

} // namespace assembly
