#include "assembly/file_copier.h"

#include "assembly/io_error.h"
#include "assembly/job_error.h"

#include <cerrno>
#include <unistd.h>

namespace assembly {

namespace {

// Large enough that a 5 MB source takes one call, small enough that a stop request waits for no
// more than a moment; the kernel splits it as it likes.
constexpr std::size_t kernelChunk = std::size_t{64} << 20;

bool writeSideError(int error)
{
    return error == ENOSPC || error == EDQUOT || error == EFBIG;
}

} // namespace

FileCopier::FileCopier(std::function<bool()> stopRequested)
    : m_stopRequested(std::move(stopRequested)), m_buffer(new char[bufferSize])
{}

void FileCopier::stopIfRequested() const
{
    if (m_stopRequested && m_stopRequested())
        throw JobInterrupted();
}

std::uint64_t FileCopier::append(int source, int output, const std::string &sourcePath,
                                 const std::string &outputPath, std::uint64_t expectedSize)
{
    std::uint64_t copied = 0;
    if (m_kernelCopy)
        copied = appendWithKernel(source, output, sourcePath, outputPath, expectedSize);
    // Also run after the kernel copy: it confirms the end of the source with a read, so a file
    // system whose copy path stops early (it returns 0 before the end) loses nothing.
    copied += appendWithBuffer(source, output, sourcePath, outputPath);
    return copied;
}

std::uint64_t FileCopier::appendWithKernel(int source, int output, const std::string &sourcePath,
                                           const std::string &outputPath,
                                           std::uint64_t expectedSize)
{
    std::uint64_t copied = 0;
    // Stopping at the expected size spares the call that would return 0; the read that follows
    // still finds out whether the source grew, and reads sources whose size says nothing.
    while (copied < expectedSize) {
        stopIfRequested();
        const ssize_t moved = ::copy_file_range(source, nullptr, output, nullptr, kernelChunk, 0);
        if (moved > 0) {
            copied += static_cast<std::uint64_t>(moved);
            continue;
        }
        if (moved == 0)
            return copied;
        const int error = errno;
        if (error == EINTR)
            continue;
        if (error == ENOSYS || error == EXDEV || error == EOPNOTSUPP) {
            // Not offered between these file systems: the buffer serves every later source too.
            m_kernelCopy = false;
            return copied;
        }
        if (error == EINVAL)
            return copied; // not a regular file (a pipe, a device): the buffer copies it
        throw EInOutError::fromErrno(error, writeSideError(error) ? outputPath : sourcePath);
    }
    return copied;
}

std::uint64_t FileCopier::appendWithBuffer(int source, int output, const std::string &sourcePath,
                                           const std::string &outputPath)
{
    std::uint64_t copied = 0;
    for (;;) {
        stopIfRequested();
        const ssize_t got = ::read(source, m_buffer.get(), bufferSize);
        if (got == 0)
            return copied;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw EInOutError::fromErrno(errno, sourcePath);
        }
        writeAll(output, m_buffer.get(), static_cast<std::size_t>(got), outputPath);
        copied += static_cast<std::uint64_t>(got);
    }
}

void FileCopier::writeAll(int output, const char *data, std::size_t size,
                          const std::string &outputPath)
{
    while (size > 0) {
        const ssize_t written = ::write(output, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throw EInOutError::fromErrno(errno, outputPath);
        }
        // A regular file that takes nothing without saying why has no room left; going round
        // again would never end.
        if (written == 0)
            throw EInOutError::fromErrno(ENOSPC, outputPath);
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

} // namespace assembly
