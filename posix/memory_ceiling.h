#pragma once

// A ceiling on the memory a process may still take, counted from what it holds when the ceiling
// is set: the kernel's data limit (RLIMIT_DATA, private writable memory: the heap and anonymous
// maps) set to that amount plus the room given. Counting from the process's own size makes the
// same room mean the same thing in an optimised build and under AddressSanitizer, whose shadow
// memory alone is terabytes of address space (an address-space limit cannot work there).

#include "posix/unique_fd.h"

#include <cstdint>
#include <optional>

namespace posix {

class MemoryCeiling
{
public:
    // Lets the calling process take at most `room` more bytes; nullopt when the kernel refused.
    // Holds /proc/self/status open, so that the process can still weigh itself once confined.
    static std::optional<MemoryCeiling> limitGrowth(std::uint64_t room);

    // The same, counted from `base`, for a process that cannot weigh itself where it runs (no
    // /proc there): what its parent held when forking it, say. False when the kernel refused.
    static bool limitGrowthFrom(std::uint64_t base, std::uint64_t room);
    // What the calling process holds now; nullopt where /proc cannot say.
    static std::optional<std::uint64_t> currentSize();

    // Whether the process has taken so much of its room that an allocation it failed was most
    // likely refused by the ceiling: a growing block fails when the old one and its double no
    // longer fit, so with more than a third of the room taken.
    bool nearlyReached() const;

private:
    MemoryCeiling(UniqueFd status, std::uint64_t base, std::uint64_t room)
        : m_status(std::move(status)), m_base(base), m_room(room)
    {}

    UniqueFd m_status;
    std::uint64_t m_base;
    std::uint64_t m_room;
};

} // namespace posix
