#include "cli/executable_directory.h"

#include <climits>
#include <unistd.h>
#include <vector>

namespace cli {

std::string executableDirectory(const char *argv0)
{
    std::string path;
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            break;
        if (static_cast<std::size_t>(length) < buffer.size()) {
            path.assign(buffer.data(), static_cast<std::size_t>(length));
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    // Without /proc, the name it was started by is the best there is.
    if (path.empty() && argv0 != nullptr)
        path = argv0;
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return "./";
    return path.substr(0, slash + 1);
}

} // namespace cli
