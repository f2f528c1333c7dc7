#include "trash/trash_location.h"

#include "posix/eintr.h"
#include "posix/path.h"
#include "trash/trash_info.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace trash {

namespace {

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY;

// The absolute path of the folder open on fd, as the kernel names it: links resolved, and the
// same whatever path the caller used to reach it.
std::optional<std::string> pathOf(int fd)
{
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    std::vector<char> target(PATH_MAX);
    const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
    if (length <= 0)
        return std::nullopt;
    if (static_cast<std::size_t>(length) == target.size() || target[0] != '/') {
        errno = ENAMETOOLONG;
        return std::nullopt;
    }
    return std::string(target.data(), static_cast<std::size_t>(length));
}

std::string homeFolder()
{
    const char *home = std::getenv("HOME");
    if (home != nullptr && *home == '/')
        return home;
    struct passwd entry = {};
    struct passwd *found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr)
        return found->pw_dir;
    return {};
}

// The device of path, or of its nearest folder that exists.
std::optional<dev_t> deviceAt(std::string path)
{
    struct stat status = {};
    while (::stat(path.c_str(), &status) != 0) {
        if (errno != ENOENT || path == "/")
            return std::nullopt;
        path = posix::parentFolder(path);
    }
    return status.st_dev;
}

// Makes path and the folders above it where missing, with mode 0700.
bool makeFolders(const std::string &path)
{
    if (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST)
        return true;
    if (errno != ENOENT || path == "/")
        return false;
    return makeFolders(posix::parentFolder(path)) &&
           (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST);
}

// The folder `name` in parent, made with mode 0700 where missing, opened without following a
// link; nullopt with errno set.
std::optional<posix::UniqueFd> ownFolderIn(int parent, const char *name, bool mustBeOwn)
{
    if (::mkdirat(parent, name, 0700) != 0 && errno != EEXIST)
        return std::nullopt;
    posix::UniqueFd folder(
        posix::retryOnInterrupt([&] { return ::openat(parent, name, folderFlags | O_NOFOLLOW); }));
    struct stat status = {};
    if (!folder.valid() || ::fstat(folder.get(), &status) != 0)
        return std::nullopt;
    if (mustBeOwn && status.st_uid != ::geteuid()) {
        errno = EPERM;
        return std::nullopt;
    }
    return folder;
}

// Opens the trash's two halves, made where missing, and checks they are on `device`.
bool openHalves(int trash, dev_t device, TrashLocation &location)
{
    std::optional<posix::UniqueFd> files = ownFolderIn(trash, "files", false);
    std::optional<posix::UniqueFd> info = files ? ownFolderIn(trash, "info", false) : std::nullopt;
    struct stat status = {};
    if (!info || ::fstat(files->get(), &status) != 0)
        return false;
    // A trash linked to another file system could only be reached by copying.
    if (status.st_dev != device) {
        errno = EXDEV;
        return false;
    }
    location.files = std::move(*files);
    location.info = std::move(*info);
    return true;
}

std::optional<TrashLocation> homeTrash(const std::string &trashPath, dev_t device,
                                       const std::string &folderPath)
{
    if (!makeFolders(trashPath))
        return std::nullopt;
    posix::UniqueFd trash(
        posix::retryOnInterrupt([&] { return ::open(trashPath.c_str(), folderFlags); }));
    TrashLocation location;
    if (!trash.valid() || !openHalves(trash.get(), device, location))
        return std::nullopt;
    location.path = trashPath;
    location.home = true;
    location.encodedFolder = percentEncoded(posix::joinPath(folderPath, ""));
    return location;
}

// The highest folder above folderPath on the same file system: where that file system is
// mounted.
std::string topDirectory(const std::string &folderPath, dev_t device)
{
    std::string top = folderPath;
    struct stat status = {};
    while (top != "/") {
        const std::string parent = posix::parentFolder(top);
        if (::stat(parent.c_str(), &status) != 0 || status.st_dev != device)
            break;
        top = parent;
    }
    return top;
}

std::optional<posix::UniqueFd> topDirectoryTrash(int top, std::string &name)
{
    const std::string uid = std::to_string(::geteuid());
    // The administrator's shared trash, when sound: a real folder that only owners may empty.
    posix::UniqueFd shared(
        posix::retryOnInterrupt([&] { return ::openat(top, ".Trash", folderFlags | O_NOFOLLOW); }));
    struct stat status = {};
    if (shared.valid() && ::fstat(shared.get(), &status) == 0 && (status.st_mode & S_ISVTX) != 0)
        if (std::optional<posix::UniqueFd> own = ownFolderIn(shared.get(), uid.c_str(), true)) {
            name = ".Trash/" + uid;
            return own;
        }
    name = ".Trash-" + uid;
    return ownFolderIn(top, name.c_str(), true);
}

std::optional<TrashLocation> topTrash(dev_t device, const std::string &folderPath)
{
    const std::string top = topDirectory(folderPath, device);
    posix::UniqueFd topFolder(
        posix::retryOnInterrupt([&] { return ::open(top.c_str(), folderFlags); }));
    if (!topFolder.valid())
        return std::nullopt;
    std::string name;
    std::optional<posix::UniqueFd> trash = topDirectoryTrash(topFolder.get(), name);
    TrashLocation location;
    if (!trash || !openHalves(trash->get(), device, location))
        return std::nullopt;
    location.path = posix::joinPath(top, name);
    // Relative to the top directory, so that the entry can be put back wherever the file
    // system is mounted next time.
    const std::string relative = folderPath.substr(top.size());
    const auto start = relative.find_first_not_of('/');
    location.encodedFolder =
        start == std::string::npos ? std::string() : percentEncoded(relative.substr(start) + "/");
    return location;
}

} // namespace

std::string homeTrashPath()
{
    const char *dataHome = std::getenv("XDG_DATA_HOME");
    // A relative setting is no setting.
    if (dataHome != nullptr && *dataHome == '/')
        return posix::joinPath(dataHome, "Trash");
    const std::string home = homeFolder();
    return home.empty() ? std::string() : posix::joinPath(home, ".local/share/Trash");
}

std::optional<TrashLocation> locateTrash(int folderFd)
{
    struct stat folder = {};
    if (::fstat(folderFd, &folder) != 0)
        return std::nullopt;
    const std::optional<std::string> folderPath = pathOf(folderFd);
    if (!folderPath)
        return std::nullopt;
    const std::string home = homeTrashPath();
    const std::optional<dev_t> homeDevice = home.empty() ? std::nullopt : deviceAt(home);
    if (homeDevice && *homeDevice == folder.st_dev)
        return homeTrash(home, folder.st_dev, *folderPath);
    return topTrash(folder.st_dev, *folderPath);
}

} // namespace trash
