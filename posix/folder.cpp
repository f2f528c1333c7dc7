#include "posix/folder.h"

#include "posix/eintr.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace posix {

namespace {

int openFolder(int from, const char *path, int access)
{
    return retryOnInterrupt(
        [&] { return ::openat(from, path, access | O_DIRECTORY | O_CLOEXEC | O_NOCTTY); });
}

} // namespace

UniqueFd openFolderPath(std::string_view path, int access)
{
    if (path.empty() || path.find('\0') != std::string_view::npos) {
        errno = ENOENT;
        return UniqueFd();
    }
    if (path.size() < PATH_MAX) {
        UniqueFd fd(openFolder(AT_FDCWD, std::string(path).c_str(), access));
        if (fd.valid() || errno != ENAMETOOLONG)
            return fd;
    }
    UniqueFd current(openFolder(AT_FDCWD, path.front() == '/' ? "/" : ".", O_PATH));
    std::size_t start = 0;
    while (current.valid() && start < path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        if (end > start) {
            const std::string component(path.substr(start, end - start));
            current = UniqueFd(openFolder(current.get(), component.c_str(), O_PATH));
        }
        start = end + 1;
    }
    if (!current.valid())
        return current;
    // Reached with no more right than passing through: opened now as asked.
    return UniqueFd(openFolder(current.get(), ".", access));
}

std::optional<Folder> Folder::open(const std::string &path)
{
    UniqueFd fd = openFolderPath(path, O_RDONLY);
    if (!fd.valid())
        return std::nullopt;
    return Folder(std::move(fd));
}

std::optional<Folder> Folder::duplicate(int fd)
{
    struct stat status = {};
    if (::fstat(fd, &status) != 0)
        return std::nullopt;
    if (!S_ISDIR(status.st_mode)) {
        errno = ENOTDIR;
        return std::nullopt;
    }
    UniqueFd copy(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    if (!copy.valid())
        return std::nullopt;
    return Folder(std::move(copy));
}

std::optional<struct stat> Folder::status(const std::string &name) const
{
    struct stat result = {};
    if (::fstatat(m_fd.get(), name.c_str(), &result, 0) != 0)
        return std::nullopt;
    return result;
}

int Folder::openFile(const std::string &name, int flags, mode_t mode) const
{
    return retryOnInterrupt(
        [&] { return ::openat(m_fd.get(), name.c_str(), flags | O_CLOEXEC | O_NOCTTY, mode); });
}

bool Folder::remove(const std::string &name) const
{
    return ::unlinkat(m_fd.get(), name.c_str(), 0) == 0;
}

bool Folder::rename(const std::string &from, const std::string &to) const
{
    return ::renameat(m_fd.get(), from.c_str(), m_fd.get(), to.c_str()) == 0;
}

bool Folder::sync() const
{
    return retryOnInterrupt([&] { return ::fsync(m_fd.get()); }) == 0 || errno == EINVAL;
}

bool Folder::tryLock() const
{
    return retryOnInterrupt([&] { return ::flock(m_fd.get(), LOCK_EX | LOCK_NB); }) == 0;
}

} // namespace posix
