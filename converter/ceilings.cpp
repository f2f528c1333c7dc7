#include "converter/ceilings.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <unistd.h>

namespace converter {

namespace {

constexpr std::uint64_t mebibyte = std::uint64_t{1} << 20;

} // namespace

std::uint64_t memoryLimit(unsigned processes)
{
    if (const char *value = std::getenv(memoryLimitVariable); value != nullptr) {
        const char *end = value + std::char_traits<char>::length(value);
        std::uint64_t mebibytes = 0;
        const auto [last, error] = std::from_chars(value, end, mebibytes);
        if (error == std::errc() && last == end && mebibytes > 0 && mebibytes < (1U << 30))
            return mebibytes * mebibyte;
    }
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    const std::uint64_t machine =
        pages > 0 && pageSize > 0
            ? static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize)
            : 0;
    const std::uint64_t share = machine / 2 / std::max(processes, 1U);
    return std::clamp(share, 256 * mebibyte, 2048 * mebibyte);
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

} // namespace converter
