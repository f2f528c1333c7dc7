#include "converter/ceilings.h"

#include "posix/memory_ceiling.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <sys/resource.h>
#include <unistd.h>

namespace converter {

namespace {

constexpr std::uint64_t mebibyte = std::uint64_t{1} << 20;

// Ghostscript's scratch files are few and large; a part making thousands is up to no good.
constexpr std::uint64_t scratchFileCount = 4096;
// Its PDF writer's files, the fonts it reads, and room to spare.
constexpr std::uint64_t openFileCount = 64;
// Past the scratch space, so that in it the space runs out first and Ghostscript says so; a file
// elsewhere (its PDF) that grows past it ends the part.
constexpr std::uint64_t fileSizeMargin = std::uint64_t{64} << 10;

// The variable's mebibytes when set to a whole number from 1 on, else `share` within its bounds.
std::uint64_t limit(const char *variable, std::uint64_t share, std::uint64_t least,
                    std::uint64_t most)
{
    if (const char *value = std::getenv(variable); value != nullptr) {
        const char *end = value + std::char_traits<char>::length(value);
        std::uint64_t mebibytes = 0;
        const auto [last, error] = std::from_chars(value, end, mebibytes);
        if (error == std::errc() && last == end && mebibytes > 0 && mebibytes < (1U << 30))
            return mebibytes * mebibyte;
    }
    return std::clamp(share, least, most);
}

std::uint64_t machineShare(unsigned processes)
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    const std::uint64_t machine =
        pages > 0 && pageSize > 0
            ? static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize)
            : 0;
    return machine / std::max(processes, 1U);
}

// Set for good, hard limit included, never above what this process was given.
bool setLimit(int resource, std::uint64_t value)
{
    rlimit limit = {};
    if (::getrlimit(resource, &limit) != 0)
        return false;
    if (limit.rlim_max != RLIM_INFINITY)
        value = std::min<std::uint64_t>(value, limit.rlim_max);
    limit.rlim_cur = value;
    limit.rlim_max = value;
    return ::setrlimit(resource, &limit) == 0;
}

} // namespace

std::uint64_t memoryLimit(unsigned processes)
{
    return limit(memoryLimitVariable, machineShare(processes) / 2, 256 * mebibyte, 2048 * mebibyte);
}

std::uint64_t scratchLimit(unsigned processes)
{
    return limit(scratchLimitVariable, machineShare(processes) / 4, 64 * mebibyte, 1024 * mebibyte);
}

PartLimits partLimits(unsigned processes)
{
    return {memoryLimit(processes), scratchLimit(processes), scratchFileCount, openFileCount};
}

bool applyPartLimits(const PartLimits &limits, std::uint64_t dataAtStart)
{
    if (dataAtStart > 0 && !posix::MemoryCeiling::limitGrowthFrom(dataAtStart, limits.memoryBytes))
        return false;
    return setLimit(RLIMIT_FSIZE, limits.scratchBytes + fileSizeMargin) &&
           setLimit(RLIMIT_NOFILE, limits.openFiles) && setLimit(RLIMIT_CORE, 0) &&
           setLimit(RLIMIT_MEMLOCK, 0) && setLimit(RLIMIT_MSGQUEUE, 0);
}

std::string binarySize(std::uint64_t bytes)
{
    const char *const units[] = {"octets", "Kio", "Mio", "Gio", "Tio"};
    std::size_t unit = 0;
    while (unit + 1 < std::size(units) && bytes >= 1024 && bytes % 1024 == 0) {
        bytes /= 1024;
        ++unit;
    }
    return std::to_string(bytes) + " " + units[unit];
}

std::string memoryExhausted(const std::string &description, std::uint64_t limit)
{
    return description + " : mémoire épuisée (limite " + binarySize(limit) + ")";
}

std::string scratchExhausted(const std::string &description, std::uint64_t limit)
{
    return description + " : espace de travail épuisé (limite " + binarySize(limit) + ")";
}

} // namespace converter
