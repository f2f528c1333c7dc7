// A process's memory in use moved onto 2 MiB pages, so that forking it copies fewer entries.

#include "posix/huge_pages.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/mman.h>
#include <sys/utsname.h>

namespace {

// Whether this kernel collapses on request (Linux 6.1 on) and huge pages are not turned off.
bool collapsesOnRequest()
{
    utsname system = {};
    int major = 0;
    int minor = 0;
    char dot = 0;
    std::istringstream release(::uname(&system) == 0 ? system.release : "");
    release >> major >> dot >> minor;
    std::ifstream policy("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string text;
    std::getline(policy, text);
    return (major > 6 || (major == 6 && minor >= 1)) && !text.empty() &&
           text.find("[never]") == std::string::npos;
}

// The kilobytes on huge pages in the mapping holding address, from /proc/self/smaps.
long hugeKilobytesAround(const void *address)
{
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    std::ifstream smaps("/proc/self/smaps");
    bool inside = false;
    for (std::string line; std::getline(smaps, line);) {
        std::uintptr_t start = 0;
        std::uintptr_t end = 0;
        char dash = 0;
        if (std::istringstream(line) >> std::hex >> start >> dash >> end && dash == '-')
            inside = start <= at && at < end;
        else if (inside && line.rfind("AnonHugePages:", 0) == 0)
            return std::stol(line.substr(line.find(':') + 1));
    }
    return -1;
}

} // namespace

TEST(HugePages, MemoryInUseMovesOntoHugePagesWithItsBytesKept)
{
    if (!collapsesOnRequest())
        GTEST_SKIP() << "this kernel does not collapse memory on request";
    // Mapped off the 2 MiB boundaries the kernel would choose: 9 MiB from 1 MiB past one.
    constexpr std::size_t mebibyte = std::size_t{1} << 20;
    constexpr std::size_t length = 9 * mebibyte;
    char *mapped = static_cast<char *>(::mmap(nullptr, length + mebibyte, PROT_READ | PROT_WRITE,
                                              MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(mapped, MAP_FAILED);
    ::munmap(mapped, mebibyte);
    char *area = mapped + mebibyte;
    std::memset(area, 'b', length);

    EXPECT_GE(posix::moveMemoryToHugePages(), 6 * mebibyte);
    // Wherever the area begins, at least three whole 2 MiB pages lie inside it.
    EXPECT_GE(hugeKilobytesAround(area + length / 2), 6 * 1024);
    EXPECT_EQ(area[length - 1], 'b');
    ::munmap(area, length);
}
