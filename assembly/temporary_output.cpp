#include "assembly/temporary_output.h"

#include "assembly/file_system.h"
#include "assembly/io_error.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace assembly {

namespace {

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

} // namespace

TemporaryOutput::TemporaryOutput(std::string resultPath) : m_resultPath(std::move(resultPath))
{
    const std::string folder = parentFolder(m_resultPath);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = joinPath(folder, ".brakwen-" + randomSuffix() + ".tmp");
        const int fd =
            ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0) {
            m_fd = UniqueFd(fd);
            m_temporaryPath = std::move(candidate);
            return;
        }
        if (errno != EEXIST)
            throw EInOutError::fromErrno(errno, m_resultPath);
    }
    throw EInOutError::fromErrno(EEXIST, m_resultPath);
}

TemporaryOutput::~TemporaryOutput()
{
    if (!m_committed && !m_temporaryPath.empty()) {
        m_fd.reset();
        ::unlink(m_temporaryPath.c_str());
    }
}

void TemporaryOutput::commit(std::uint64_t expectedSize, bool durable)
{
    struct stat status = {};
    if (::fstat(m_fd.get(), &status) != 0)
        throw EInOutError::fromErrno(errno, m_resultPath);
    // The copy counted every byte it moved; a file of another size lost or gained some on the
    // way (another writer, a file system that dropped data).
    if (static_cast<std::uint64_t>(status.st_size) != expectedSize)
        throw EInOutError::fromErrno(EIO, m_resultPath);
    if (durable && ::fsync(m_fd.get()) != 0)
        throw EInOutError::fromErrno(errno, m_resultPath);
    // Some file systems only report a failed write-back at close.
    if (m_fd.close() != 0 && errno != EINTR)
        throw EInOutError::fromErrno(errno, m_resultPath);
    if (::rename(m_temporaryPath.c_str(), m_resultPath.c_str()) != 0)
        throw EInOutError::fromErrno(errno, m_resultPath);
    m_committed = true;
    if (durable)
        syncFolder(parentFolder(m_resultPath));
}

} // namespace assembly
