#pragma once

// The binary header of a DOS EPS file (C5 D0 D3 C6, then offsets and lengths of its PostScript
// section and of its Windows metafile and TIFF previews, little-endian).

#include <cstdint>
#include <optional>
#include <string>

namespace eps {

struct DosEpsSections
{
    std::uint64_t postScriptOffset = 0; // from the start of the input
    std::uint64_t postScriptLength = 0;
    std::uint64_t fileEnd = 0;    // where the DOS file, previews included, ends in the input
    std::uint64_t tiffOffset = 0; // from the start of the input; length 0: no TIFF preview
    std::uint64_t tiffLength = 0;
};

// Reads a header at offset when one is there, its sections bounded by limit. Throws
// EpsError, naming `what`, when the header is cut short or points outside.
std::optional<DosEpsSections> readDosEpsHeader(int fd, std::uint64_t offset, std::uint64_t limit,
                                               const std::string &what);

} // namespace eps
