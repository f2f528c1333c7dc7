#include "assembly/temporary_output.h"

#include "assembly/file_system.h"
#include "assembly/io_error.h"
#include "posix/eintr.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace assembly {

namespace {

posix::PendingFile createIn(const posix::Folder &folder, const std::string &folderPath,
                            const std::string &resultName, const std::string &resultPath)
{
    // A folder in the result's place could only fail the rename, after all the copying.
    struct stat status = {};
    if (::fstatat(folder.fd(), resultName.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(status.st_mode))
        throw EInOutError::fromErrno(EISDIR, resultPath);
    std::optional<posix::PendingFile> file =
        posix::PendingFile::create(folder, folderPath, false, TemporaryOutput::naming());
    if (!file)
        throw EInOutError::fromErrno(errno, resultPath);
    return std::move(*file);
}

} // namespace

TemporaryOutput::TemporaryOutput(const posix::Folder &folder, const std::string &folderPath,
                                 std::string resultName, std::string resultPath)
    : m_folder(folder), m_resultName(std::move(resultName)), m_resultPath(std::move(resultPath)),
      m_file(createIn(folder, folderPath, m_resultName, m_resultPath))
{}

posix::HiddenName TemporaryOutput::naming()
{
    // The EPS listing never shows a name starting with a dot.
    return {".brakwen-", ".tmp", {}};
}

FileIdentity TemporaryOutput::identity() const
{
    const std::optional<FileIdentity> identity = FileIdentity::ofDescriptor(m_file.fd());
    if (!identity)
        throw EInOutError::fromErrno(errno, m_resultPath);
    return *identity;
}

FileIdentity TemporaryOutput::commit(std::uint64_t expectedSize, bool durable)
{
    struct stat status = {};
    if (::fstat(m_file.fd(), &status) != 0)
        throw EInOutError::fromErrno(errno, m_resultPath);
    // The copy counted every byte it moved; a file of another size lost or gained some on the
    // way (another writer, a file system that dropped data).
    if (static_cast<std::uint64_t>(status.st_size) != expectedSize)
        throw EInOutError::fromErrno(EIO, m_resultPath);
    if (durable && posix::retryOnInterrupt([&] { return ::fsync(m_file.fd()); }) != 0)
        throw EInOutError::fromErrno(errno, m_resultPath);
    // rename() needs a name to move; the unnamed file gets one only now that it is complete.
    if (!m_file.name())
        throw EInOutError::fromErrno(errno, m_resultPath);
    // Kept open past the close below: the result's identity is read once it is in place, since
    // renaming it changes its change time.
    posix::UniqueFd observer(::fcntl(m_file.fd(), F_DUPFD_CLOEXEC, 0));
    if (!observer.valid())
        throw EInOutError::fromErrno(errno, m_resultPath);
    if (!m_file.close() || !m_file.placeAt(m_resultName))
        throw EInOutError::fromErrno(errno, m_resultPath);
    const std::optional<FileIdentity> placed = FileIdentity::ofDescriptor(observer.get());
    if (!placed)
        throw EInOutError::fromErrno(errno, m_resultPath);
    if (durable && !m_folder.sync())
        throw EInOutError::fromErrno(errno, m_resultPath);
    return *placed;
}

} // namespace assembly
