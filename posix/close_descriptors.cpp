#include "posix/close_descriptors.h"

#include <algorithm>
#include <unistd.h>

namespace posix {

void closeDescriptorsFrom(int from, std::vector<int> kept)
{
    std::sort(kept.begin(), kept.end());
    for (const int fd : kept) {
        if (fd < from)
            continue;
        if (fd > from)
            ::close_range(static_cast<unsigned>(from), static_cast<unsigned>(fd - 1), 0);
        from = fd + 1;
    }
    ::close_range(static_cast<unsigned>(from), ~0U, 0);
}

} // namespace posix
