#pragma once

// The job opens its files by bare name in its folder. A name given with a folder part
// (DIR/a.eps, as a shell's DIR/*.eps writes it) is taken when that folder is the job's folder,
// whatever path leads to it (same device and inode, so a link to it or ./DIR counts too);
// anything else is refused, so the job can never reach outside its folder.

#include <string>
#include <vector>

namespace cli {

struct BareNames
{
    std::vector<std::string> names;
    std::string error; // what is wrong, in French, quoting the name as given; empty if nothing
};

BareNames bareNames(const std::string &directory, const std::vector<std::string> &given);

} // namespace cli
