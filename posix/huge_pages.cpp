#include "posix/huge_pages.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/mman.h>
#include <vector>

namespace posix {

namespace {

// Linux 6.1's synchronous collapse, whatever the system's huge page policy; older C libraries
// do not name it.
#ifndef MADV_COLLAPSE
constexpr int MADV_COLLAPSE = 25;
#endif

constexpr std::uintptr_t hugePage = std::uintptr_t{2} << 20;
constexpr std::size_t smallPage = 4096;
// Larger areas are reserves (a sanitizer's shadow, an allocator's arena) of which little is used.
constexpr std::uintptr_t largestArea = std::uintptr_t{64} << 20;

struct Area
{
    std::uintptr_t start;
    std::uintptr_t end;
};

// The 2 MiB-aligned part of each private anonymous read-write mapping but the stacks.
std::vector<Area> anonymousAreas()
{
    std::vector<Area> areas;
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);) {
        std::istringstream fields(line);
        std::string range, permissions, offset, device, inode, name;
        fields >> range >> permissions >> offset >> device >> inode >> name;
        if (permissions != "rw-p" || inode != "0" || name.rfind("[stack", 0) == 0)
            continue;
        const std::size_t dash = range.find('-');
        if (dash == std::string::npos)
            continue;
        const std::uintptr_t start = std::stoull(range.substr(0, dash), nullptr, 16);
        const std::uintptr_t end = std::stoull(range.substr(dash + 1), nullptr, 16);
        const std::uintptr_t first = (start + hugePage - 1) & ~(hugePage - 1);
        const std::uintptr_t last = end & ~(hugePage - 1);
        if (last > first && end - start <= largestArea)
            areas.push_back({first, last});
    }
    return areas;
}

// Whether nearly all of the huge page at start is in memory already: collapsing a sparse one
// would make the process grow by what it never used.
bool mostlyResident(std::uintptr_t start)
{
    std::array<unsigned char, hugePage / smallPage> resident{};
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the addresses come from the kernel's map.
    if (::mincore(reinterpret_cast<void *>(start), hugePage, resident.data()) != 0)
        return false;
    std::size_t count = 0;
    for (const unsigned char page : resident)
        count += page & 1U;
    return count >= resident.size() * 7 / 8;
}

} // namespace

std::size_t moveMemoryToHugePages()
{
    std::size_t moved = 0;
    for (const Area &area : anonymousAreas()) {
        for (std::uintptr_t at = area.start; at < area.end; at += hugePage) {
            if (!mostlyResident(at))
                continue;
            // NOLINTNEXTLINE(performance-no-int-to-ptr): the addresses come from the kernel's map.
            void *start = reinterpret_cast<void *>(at);
            ::madvise(start, hugePage, MADV_HUGEPAGE);
            if (::madvise(start, hugePage, MADV_COLLAPSE) == 0)
                moved += hugePage;
        }
    }
    return moved;
}

} // namespace posix
