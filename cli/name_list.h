#pragma once

// The names --files-from reads: one a line, or each ended by a NUL byte (--null), as find's
// -print0 writes them, so that a name may hold a newline. Names are bytes: one that is not
// valid UTF-8 is kept as it is. Empty names are skipped, since no file has one.

#include <string>
#include <vector>

namespace cli {

struct NameList
{
    std::vector<std::string> names;
    int error = 0; // errno of the failure to read the list, 0 when it was read whole
};

// `path` "-" reads the standard input.
NameList readNameList(const std::string &path, bool nulSeparated);

} // namespace cli
