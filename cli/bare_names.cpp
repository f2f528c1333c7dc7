#include "cli/bare_names.h"

#include "assembly/failure_cause.h"
#include "cli/messages.h"
#include "posix/folder.h"
#include "posix/path.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>

namespace cli {

namespace {

// The folder at path, however deep, as the job reaches it; false with errno set.
bool folderStatus(const std::string &path, struct stat &status)
{
    const posix::UniqueFd folder = posix::openFolderPath(path, O_PATH);
    return folder.valid() && ::fstat(folder.get(), &status) == 0;
}

} // namespace

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
            if (!folderStatus(directory, folder)) {
                result.error = outside + " (" + assembly::reasonForErrno(errno) + ")";
                break;
            }
            jobFolder = folder;
        }
        if (!folderStatus(posix::parentFolder(name), folder)) {
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
