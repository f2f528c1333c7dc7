#include "assembly/temporary_output.h"

#include "assembly/file_system.h"
#include "assembly/io_error.h"
#include "posix/eintr.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace assembly {

namespace {

constexpr int nameAttempts = 100;

std::string randomSuffix()
{
    static constexpr char digits[] = "0123456789abcdef";
    std::random_device device;
    std::uniform_int_distribution<int> pick(0, 15);
    std::string suffix(12, '0');
    for (char &c : suffix)
        c = digits[pick(device)];
    return suffix;
}

// Calls create with fresh hidden names in folder until one is free, and returns it. create
// returns false with errno set on failure; any failure but a name already taken is final.
template <typename Create>
std::string createUnderHiddenName(const std::string &folder, const std::string &resultPath,
                                  Create create)
{
    for (int attempt = 0; attempt < nameAttempts; ++attempt) {
        std::string candidate = joinPath(folder, ".brakwen-" + randomSuffix() + ".tmp");
        if (create(candidate))
            return candidate;
        if (errno != EEXIST)
            throw EInOutError::fromErrno(errno, resultPath);
    }
    throw EInOutError::fromErrno(EEXIST, resultPath);
}

std::string descriptorPath(int fd)
{
    return "/proc/self/fd/" + std::to_string(fd);
}

// The file systems that cannot make unnamed files say so in one of these ways.
bool unnamedUnsupported(int error)
{
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

} // namespace

TemporaryOutput::TemporaryOutput(std::string resultPath) : m_resultPath(std::move(resultPath))
{
    // A folder in the result's place could only fail the rename, after all the copying.
    struct stat status = {};
    if (::lstat(m_resultPath.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
        throw EInOutError::fromErrno(EISDIR, m_resultPath);
    const std::string folder = parentFolder(m_resultPath);
    // Naming the file later goes through /proc; without it, it is named from the start.
    if (::access("/proc/self/fd", X_OK) == 0) {
        const int fd = posix::retryOnInterrupt(
            [&] { return ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666); });
        if (fd >= 0) {
            m_fd = posix::UniqueFd(fd);
            return;
        }
        if (!unnamedUnsupported(errno))
            throw EInOutError::fromErrno(errno, m_resultPath);
    }
    createNamed(folder);
}

void TemporaryOutput::createNamed(const std::string &folder)
{
    int fd = -1;
    m_temporaryPath = createUnderHiddenName(folder, m_resultPath, [&](const std::string &path) {
        fd = posix::retryOnInterrupt([&] {
            return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        });
        return fd >= 0;
    });
    m_fd = posix::UniqueFd(fd);
}

void TemporaryOutput::linkUnnamed(const std::string &folder)
{
    const std::string source = descriptorPath(m_fd.get());
    m_temporaryPath = createUnderHiddenName(folder, m_resultPath, [&](const std::string &path) {
        return ::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0;
    });
}

TemporaryOutput::~TemporaryOutput()
{
    m_fd.reset();
    if (!m_committed && !m_temporaryPath.empty())
        ::unlink(m_temporaryPath.c_str());
}

FileIdentity TemporaryOutput::identity() const
{
    const std::optional<FileIdentity> identity = FileIdentity::ofDescriptor(m_fd.get());
    if (!identity)
        throw EInOutError::fromErrno(errno, m_resultPath);
    return *identity;
}

FileIdentity TemporaryOutput::commit(std::uint64_t expectedSize, bool durable)
{
    struct stat status = {};
    if (::fstat(m_fd.get(), &status) != 0)
        throw EInOutError::fromErrno(errno, m_resultPath);
    // The copy counted every byte it moved; a file of another size lost or gained some on the
    // way (another writer, a file system that dropped data).
    if (static_cast<std::uint64_t>(status.st_size) != expectedSize)
        throw EInOutError::fromErrno(EIO, m_resultPath);
    if (durable && posix::retryOnInterrupt([&] { return ::fsync(m_fd.get()); }) != 0)
        throw EInOutError::fromErrno(errno, m_resultPath);
    // rename() needs a name to move; the unnamed file gets one only now that it is complete.
    if (m_temporaryPath.empty())
        linkUnnamed(parentFolder(m_resultPath));
    // Kept open past the close below: the result's identity is read once it is in place, since
    // renaming it changes its change time.
    posix::UniqueFd observer(::fcntl(m_fd.get(), F_DUPFD_CLOEXEC, 0));
    if (!observer.valid())
        throw EInOutError::fromErrno(errno, m_resultPath);
    // Some file systems only report a failed write-back at close.
    if (m_fd.close() != 0 && errno != EINTR)
        throw EInOutError::fromErrno(errno, m_resultPath);
    if (::rename(m_temporaryPath.c_str(), m_resultPath.c_str()) != 0)
        throw EInOutError::fromErrno(errno, m_resultPath);
    m_committed = true;
    const std::optional<FileIdentity> placed = FileIdentity::ofDescriptor(observer.get());
    if (!placed)
        throw EInOutError::fromErrno(errno, m_resultPath);
    if (durable)
        syncFolder(parentFolder(m_resultPath));
    return *placed;
}

} // namespace assembly
