#include "assembly/file_copier.h"

#include "assembly/io_error.h"
#include "assembly/job_error.h"
#include "posix/eintr.h"
#include "posix/write_all.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace assembly {

namespace {

// Large enough that a 5 MB source takes one call, small enough that a stop request waits for no
// more than a moment; the kernel splits it as it likes.
constexpr std::size_t kernelChunk = std::size_t{64} << 20;

constexpr std::uint64_t unlimited = ~std::uint64_t{0};

bool writeSideError(int error)
{
    return error == ENOSPC || error == EDQUOT || error == EFBIG;
}

} // namespace

FileCopier::FileCopier(int output, std::string outputPath, std::function<bool()> stopRequested)
    : m_output(output), m_outputPath(std::move(outputPath)),
      m_stopRequested(std::move(stopRequested)), m_buffer(new char[bufferSize])
{}

void FileCopier::stopIfRequested() const
{
    if (m_stopRequested && m_stopRequested())
        throw JobInterrupted();
}

std::uint64_t FileCopier::append(int source, const std::string &sourcePath,
                                 std::uint64_t expectedSize)
{
    if (expectedSize > 0 && expectedSize <= smallSource)
        return gather(source, sourcePath, expectedSize);
    // The output keeps the sources' order: what is gathered goes first.
    flush();
    std::uint64_t copied = 0;
    if (m_kernelCopy)
        copied = appendWithKernel(source, sourcePath, expectedSize);
    if (expectedSize > 0 && copied == expectedSize)
        return copied;
    // What the kernel did not copy, up to the size announced; everything when it said nothing.
    copied +=
        appendWithBuffer(source, sourcePath, expectedSize > 0 ? expectedSize - copied : unlimited);
    return copied;
}

std::uint64_t FileCopier::gather(int source, const std::string &sourcePath, std::uint64_t size)
{
    if (m_pending + size > bufferSize)
        flush();
    std::uint64_t got = 0;
    while (got < size) {
        const ssize_t read = posix::retryOnInterrupt(
            [&] { return ::read(source, m_buffer.get() + m_pending + got, size - got); });
        if (read < 0)
            throw EInOutError::fromErrno(errno, sourcePath);
        if (read == 0)
            break; // shrunk since its fstat: copied as it is now
        got += static_cast<std::uint64_t>(read);
    }
    m_pending += got;
    return got;
}

void FileCopier::flush()
{
    if (m_pending == 0)
        return;
    const int error = posix::writeAll(m_output, m_buffer.get(), m_pending);
    m_pending = 0;
    if (error != 0)
        throw EInOutError::fromErrno(error, m_outputPath);
}

std::uint64_t FileCopier::appendWithKernel(int source, const std::string &sourcePath,
                                           std::uint64_t expectedSize)
{
    std::uint64_t copied = 0;
    while (copied < expectedSize) {
        stopIfRequested();
        // Never past the size announced: a source growing while it is read is copied as it was.
        const auto chunk =
            static_cast<std::size_t>(std::min<std::uint64_t>(kernelChunk, expectedSize - copied));
        const ssize_t moved = posix::retryOnInterrupt(
            [&] { return ::copy_file_range(source, nullptr, m_output, nullptr, chunk, 0); });
        if (moved > 0) {
            copied += static_cast<std::uint64_t>(moved);
            continue;
        }
        if (moved == 0)
            return copied;
        const int error = errno;
        if (error == ENOSYS || error == EXDEV || error == EOPNOTSUPP) {
            // Not offered between these file systems: the buffer serves every later source too.
            m_kernelCopy = false;
            return copied;
        }
        if (error == EINVAL)
            return copied; // not a regular file (a pipe, a device): the buffer copies it
        throw EInOutError::fromErrno(error, writeSideError(error) ? m_outputPath : sourcePath);
    }
    return copied;
}

std::uint64_t FileCopier::appendWithBuffer(int source, const std::string &sourcePath,
                                           std::uint64_t limit)
{
    std::uint64_t copied = 0;
    while (copied < limit) {
        stopIfRequested();
        const auto wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(bufferSize, limit - copied));
        const ssize_t got =
            posix::retryOnInterrupt([&] { return ::read(source, m_buffer.get(), wanted); });
        if (got == 0)
            return copied;
        if (got < 0)
            throw EInOutError::fromErrno(errno, sourcePath);
        m_pending = static_cast<std::size_t>(got);
        flush();
        copied += static_cast<std::uint64_t>(got);
    }
    return copied;
}

} // namespace assembly
