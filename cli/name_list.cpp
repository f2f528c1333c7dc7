#include "cli/name_list.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace cli {

NameList readNameList(const std::string &path, bool nulSeparated)
{
    NameList list;
    const bool standardInput = path == "-";
    std::FILE *file = standardInput ? stdin : std::fopen(path.c_str(), "re");
    if (file == nullptr) {
        list.error = errno;
        return list;
    }
    const auto closeFile = [standardInput](std::FILE *opened) {
        if (!standardInput)
            std::fclose(opened);
    };
    const std::unique_ptr<std::FILE, decltype(closeFile)> owner(file, closeFile);

    const char separator = nulSeparated ? '\0' : '\n';
    char *buffer = nullptr;
    std::size_t capacity = 0;
    errno = 0;
    for (ssize_t length; (length = ::getdelim(&buffer, &capacity, separator, file)) >= 0;) {
        std::string name(buffer, static_cast<std::size_t>(length));
        if (!name.empty() && name.back() == separator)
            name.pop_back();
        if (!name.empty())
            list.names.push_back(std::move(name));
    }
    // A folder, for one, opens but cannot be read: its names are not all there.
    if (std::ferror(file) != 0)
        list.error = errno != 0 ? errno : EIO;
    std::free(buffer);
    return list;
}

} // namespace cli
