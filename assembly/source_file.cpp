#include "assembly/source_file.h"

#include "assembly/io_error.h"
#include "assembly/job_error.h"
#include "eps/dos_eps_header.h"
#include "eps/eps_error.h"
#include "posix/eintr.h"
#include "posix/unique_fd.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

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

// A DOS EPS's binary header and its TIFF or metafile picture are no PostScript: joined as they
// are, they stop any interpreter or printer in the middle of the result. Only its PostScript
// section goes into the output. A header that does not hold together is no DOS EPS to take
// apart: its bytes go as they are, and the converter names the file if asked to convert it.
std::optional<eps::DosEpsSections> dosEpsSections(int source, std::uint64_t size)
{
    try {
        return eps::readDosEpsHeader(source, 0, size, {});
    } catch (const eps::EpsError &) {
        return std::nullopt;
    }
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

    const auto size = static_cast<std::uint64_t>(status.st_size);
    std::uint64_t wanted = size;
    if (const auto dos = dosEpsSections(source.get(), size)) {
        if (::lseek(source.get(), static_cast<off_t>(dos->postScriptOffset), SEEK_SET) < 0)
            throw EInOutError::fromErrno(errno, path);
        wanted = dos->postScriptLength;
    }
    const std::uint64_t copied = copier.append(source.get(), path, wanted);
    if (source.close() != 0 && errno != EINTR)
        throw EInOutError::fromErrno(errno, path);

    // The time seen before reading, with the bytes actually read (and those of a DOS EPS left
    // out): a source written to while it was read, or since, no longer matches at deletion and
    // is kept.
    if (stamp != nullptr) {
        *stamp = {name, path, identity};
        stamp->identity.size = static_cast<off_t>(copied + (size - wanted));
    }
    return copied;
}

} // namespace assembly
