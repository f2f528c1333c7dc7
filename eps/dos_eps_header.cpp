#include "eps/dos_eps_header.h"

#include "eps/eps_error.h"
#include "posix/eintr.h"

#include <algorithm>
#include <unistd.h>

namespace eps {

namespace {

constexpr std::size_t headerSize = 30;

std::uint64_t u32(const unsigned char *bytes)
{
    return std::uint64_t{bytes[0]} | std::uint64_t{bytes[1]} << 8 | std::uint64_t{bytes[2]} << 16 |
           std::uint64_t{bytes[3]} << 24;
}

} // namespace

std::optional<DosEpsSections> readDosEpsHeader(int fd, std::uint64_t offset, std::uint64_t limit,
                                               const std::string &what)
{
    unsigned char header[headerSize] = {};
    const ssize_t got = posix::retryOnInterrupt(
        [&] { return ::pread(fd, header, sizeof header, static_cast<off_t>(offset)); });
    if (got < 4 || header[0] != 0xC5 || header[1] != 0xD0 || header[2] != 0xD3 || header[3] != 0xC6)
        return std::nullopt;

    const std::string incoherent = what + " : en-tête EPS DOS incohérent";
    const std::uint64_t available = std::min<std::uint64_t>(limit - offset, headerSize);
    if (static_cast<std::uint64_t>(got) < headerSize || available < headerSize)
        throw EpsError(incoherent + " (partie PostScript hors du fichier)");
    const std::uint64_t psOffset = u32(header + 4);
    const std::uint64_t psLength = u32(header + 8);
    const std::uint64_t tiffOffset = u32(header + 20);
    const std::uint64_t tiffLength = u32(header + 24);
    const std::uint64_t end = std::max(
        {psOffset + psLength, u32(header + 12) + u32(header + 16), tiffOffset + tiffLength});
    if (psLength == 0 && psOffset >= headerSize)
        throw EpsError(incoherent + " (partie PostScript vide)");
    if (psOffset < headerSize || psLength == 0 || offset + end > limit)
        throw EpsError(incoherent + " (partie PostScript hors du fichier)");
    return DosEpsSections{offset + psOffset, psLength, offset + end,
                          tiffLength > 0 ? offset + tiffOffset : 0, tiffLength};
}

} // namespace eps
