#include "posix/huge_pages.h"

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
        if (last > first)
            areas.push_back({first, last});
    }
    return areas;
}

} // namespace

std::size_t moveMemoryToHugePages()
{
    std::size_t moved = 0;
    for (const Area &area : anonymousAreas()) {
        // NOLINTNEXTLINE(performance-no-int-to-ptr): the addresses come from the kernel's map.
        void *start = reinterpret_cast<void *>(area.start);
        const std::size_t length = area.end - area.start;
        ::madvise(start, length, MADV_HUGEPAGE);
        if (::madvise(start, length, MADV_COLLAPSE) == 0)
            moved += length;
    }
    return moved;
}

} // namespace posix
