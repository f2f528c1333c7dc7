#include "posix/memory_ceiling.h"

#include "posix/eintr.h"

#include <charconv>
#include <fcntl.h>
#include <string_view>
#include <sys/resource.h>

namespace posix {

namespace {

// The process's private writable memory as /proc/self/status says it (VmData), in bytes.
std::optional<std::uint64_t> dataSize(int status)
{
    char text[4096];
    const ssize_t got = retryOnInterrupt([&] { return ::pread(status, text, sizeof text - 1, 0); });
    if (got <= 0)
        return std::nullopt;
    const std::string_view all(text, static_cast<std::size_t>(got));
    constexpr std::string_view key = "\nVmData:";
    const std::size_t at = all.find(key);
    if (at == std::string_view::npos)
        return std::nullopt;
    std::string_view value = all.substr(at + key.size());
    value.remove_prefix(std::min(value.find_first_not_of(" \t"), value.size()));
    std::uint64_t kilobytes = 0;
    if (std::from_chars(value.data(), value.data() + value.size(), kilobytes).ec != std::errc())
        return std::nullopt;
    return kilobytes * 1024;
}

} // namespace

std::optional<MemoryCeiling> MemoryCeiling::limitGrowth(std::uint64_t room)
{
    UniqueFd status(::open("/proc/self/status", O_RDONLY | O_CLOEXEC));
    const std::optional<std::uint64_t> base =
        status.valid() ? dataSize(status.get()) : std::nullopt;
    if (!base || !limitGrowthFrom(*base, room))
        return std::nullopt;
    return MemoryCeiling(std::move(status), *base, room);
}

bool MemoryCeiling::limitGrowthFrom(std::uint64_t base, std::uint64_t room)
{
    // The hard limit too: nothing the process runs afterwards may raise it again.
    const rlimit ceiling{base + room, base + room};
    return ::setrlimit(RLIMIT_DATA, &ceiling) == 0;
}

std::optional<std::uint64_t> MemoryCeiling::currentSize()
{
    const UniqueFd status(::open("/proc/self/status", O_RDONLY | O_CLOEXEC));
    return status.valid() ? dataSize(status.get()) : std::nullopt;
}

bool MemoryCeiling::nearlyReached() const
{
    const std::optional<std::uint64_t> now = dataSize(m_status.get());
    return now && *now > m_base && *now - m_base > m_room / 3;
}

} // namespace posix
