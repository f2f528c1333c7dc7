#include "cli/bare_names.h"

#include "assembly/failure_cause.h"
#include "cli/messages.h"
#include "posix/path.h"

#include <cerrno>
#include <optional>
#include <sys/stat.h>

namespace cli {

BareNames bareNames(const std::string &directory, const std::vector<std::string> &given)
{
    BareNames result;
    result.names.reserve(given.size());
    // Read once, and only when a name has a folder part.
    std::optional<struct stat> jobFolder;
    for (const std::string &name : given) {
        const auto slash = name.rfind('/');
        const std::string bare = slash == std::string::npos ? name : name.substr(slash + 1);
        if (bare.empty()) {
            result.error = quoted(name) + " n'est pas un nom de fichier";
            break;
        }
        if (slash == std::string::npos) {
            result.names.push_back(name);
            continue;
        }
        const std::string outside =
            quoted(name) + " n'est pas dans le répertoire " + quoted(directory);
        struct stat folder = {};
        if (!jobFolder) {
            if (::stat(directory.c_str(), &folder) != 0) {
                result.error = outside + " (" + assembly::reasonForErrno(errno) + ")";
                break;
            }
            jobFolder = folder;
        }
        if (::stat(posix::parentFolder(name).c_str(), &folder) != 0) {
            result.error = outside + " (" + assembly::reasonForErrno(errno) + ")";
            break;
        }
        if (folder.st_dev != jobFolder->st_dev || folder.st_ino != jobFolder->st_ino) {
            result.error = outside;
            break;
        }
        result.names.push_back(bare);
    }
    if (!result.error.empty())
        result.names.clear();
    return result;
}

} // namespace cli
