#pragma once

// A process that is forked again and again copies one page-table entry per page of its memory
// into each child, and each child drops them all when it ends. Moving the process's larger
// private memory areas onto 2 MiB pages leaves one entry where there were 512; a child that
// writes into such a page still gets a copy of the 4 KiB it writes, as before.

#include <cstddef>

namespace posix {

// Best effort: the whole 2 MiB pages inside the process's private anonymous memory (its heap and
// its larger allocations, never its stack nor an area of more than 64 MiB) that are nearly all
// in use become huge pages where the system allows. Returns how many bytes were moved.
std::size_t moveMemoryToHugePages();

} // namespace posix
