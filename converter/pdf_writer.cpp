#include "converter/pdf_writer.h"

#include "converter/conversion_failure.h"
#include "posix/eintr.h"
#include "posix/write_all.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <unistd.h>

namespace converter {

namespace {

constexpr std::size_t bufferSize = 1 << 16;
// The header's version is settled last, once every part's is known: "1.7" is its place holder.
constexpr std::string_view header = "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n";
constexpr off_t versionOffset = 5;

} // namespace

PdfWriter::PdfWriter(int fd) : m_fd(fd), m_offsets(1, 0)
{
    if (::lseek(m_fd, 0, SEEK_SET) != 0 || ::ftruncate(m_fd, 0) != 0)
        m_error = errno;
    m_buffer.reserve(bufferSize);
    append(header);
}

std::uint32_t PdfWriter::allocate()
{
    m_offsets.push_back(0);
    return static_cast<std::uint32_t>(m_offsets.size() - 1);
}

void PdfWriter::beginObject(std::uint32_t number)
{
    m_offsets[number] = offset();
    append(std::to_string(number));
    append(" 0 obj\n");
}

void PdfWriter::endObject()
{
    append("\nendobj\n");
}

void PdfWriter::append(std::string_view bytes)
{
    m_buffer.append(bytes);
    if (m_buffer.size() >= bufferSize)
        flush();
}

void PdfWriter::flush()
{
    if (m_error == 0)
        m_error = posix::writeAll(m_fd, m_buffer.data(), m_buffer.size());
    m_flushed += m_buffer.size();
    m_buffer.clear();
}

bool PdfWriter::readBack(std::uint64_t at, char *into, std::size_t length)
{
    if (at + length > m_flushed)
        flush();
    while (length > 0 && m_error == 0) {
        const ssize_t got = posix::retryOnInterrupt(
            [&] { return ::pread(m_fd, into, length, static_cast<off_t>(at)); });
        if (got <= 0)
            return false;
        into += got;
        at += static_cast<std::uint64_t>(got);
        length -= static_cast<std::size_t>(got);
    }
    return m_error == 0;
}

bool PdfWriter::matches(std::uint64_t at, std::string_view bytes)
{
    char chunk[8192];
    while (!bytes.empty()) {
        const std::size_t length = std::min(bytes.size(), sizeof chunk);
        if (!readBack(at, chunk, length) ||
            bytes.substr(0, length) != std::string_view(chunk, length))
            return false;
        at += length;
        bytes.remove_prefix(length);
    }
    return true;
}

void PdfWriter::throwIfFailed() const
{
    if (m_error == ENOSPC || m_error == EDQUOT || m_error == EFBIG)
        throw ConversionFailure("écriture du PDF impossible : disque plein");
    if (m_error != 0)
        throw ConversionFailure("écriture du PDF impossible (erreur " + std::to_string(m_error) +
                                ")");
}

void PdfWriter::finish(std::string_view version, std::uint32_t catalog, std::uint32_t info,
                       std::string_view identifier)
{
    const std::uint64_t table = offset();
    append("xref\n0 " + std::to_string(m_offsets.size()) + "\n0000000000 65535 f \n");
    for (std::size_t number = 1; number < m_offsets.size(); ++number) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010" PRIu64 " 00000 n \n", m_offsets[number]);
        append(entry);
    }
    append("trailer\n<</Size " + std::to_string(m_offsets.size()) + "/Root " +
           std::to_string(catalog) + " 0 R/Info " + std::to_string(info) + " 0 R/ID [<" +
           std::string(identifier) + "><" + std::string(identifier) + ">]>>\nstartxref\n" +
           std::to_string(table) + "\n%%EOF\n");
    flush();
    if (m_error == 0) {
        const ssize_t written = posix::retryOnInterrupt(
            [&] { return ::pwrite(m_fd, version.data(), version.size(), versionOffset); });
        if (written != static_cast<ssize_t>(version.size()))
            m_error = written < 0 ? errno : ENOSPC;
    }
    throwIfFailed();
}

} // namespace converter
