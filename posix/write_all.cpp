#include "posix/write_all.h"

#include <cerrno>
#include <unistd.h>

namespace posix {

int writeAll(int fd, const void *data, std::size_t size)
{
    const char *next = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd, next, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return ENOSPC;
        next += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

} // namespace posix
