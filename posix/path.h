#pragma once

// Path arithmetic on the file system's own bytes, as plain text: no normalisation.

#include <string>
#include <string_view>

namespace posix {

// directory + "/" + name; a directory that already ends in "/" gets no second one.
std::string joinPath(std::string_view directory, std::string_view name);

// The folder part of a path: "." when it has none, "/" for a name at the root.
std::string parentFolder(std::string_view path);

// The last component of a path.
std::string fileName(std::string_view path);

} // namespace posix
