#pragma once

#include <cstddef>

namespace posix {

// Writes every byte, going on after short writes and interruptions. Returns 0, or the errno of
// the failure; a write that stores nothing without an error counts as a full disk (ENOSPC), since
// trying again would never end.
int writeAll(int fd, const void *data, std::size_t size);

} // namespace posix
