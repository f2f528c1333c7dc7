#include "posix/anonymous_file.h"

#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>

namespace posix {

UniqueFd anonymousFile(const char *purpose)
{
    const int fd = ::memfd_create(purpose, MFD_CLOEXEC);
    if (fd >= 0)
        return UniqueFd(fd);
    // Kernels without memory files: an unnamed file in the temporary folder does the same.
    const char *folder = std::getenv("TMPDIR");
    const std::string where = folder != nullptr && *folder != '\0' ? folder : "/tmp";
    return UniqueFd(::open(where.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
}

} // namespace posix
