#include "posix/folder.h"

#include "posix/eintr.h"

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

std::optional<Folder> Folder::open(const std::string &path)
{
    if (path.empty()) {
        errno = ENOENT;
        return std::nullopt;
    }
    if (path.size() < PATH_MAX) {
        UniqueFd fd(openFolder(AT_FDCWD, path.c_str(), O_RDONLY));
        if (fd.valid())
            return Folder(std::move(fd));
        if (errno != ENAMETOOLONG)
            return std::nullopt;
    }
    // Component by component; the folders on the way need only be searchable.
    UniqueFd current(openFolder(AT_FDCWD, path.front() == '/' ? "/" : ".", O_PATH));
    std::size_t start = 0;
    while (current.valid() && start < path.size()) {
        const std::size_t slash = path.find('/', start);
        const std::size_t end = slash == std::string::npos ? path.size() : slash;
        if (end > start) {
            const std::string component = path.substr(start, end - start);
            const bool last = path.find_first_not_of('/', end) == std::string::npos;
            current =
                UniqueFd(openFolder(current.get(), component.c_str(), last ? O_RDONLY : O_PATH));
        }
        start = end + 1;
    }
    if (!current.valid())
        return std::nullopt;
    // A path of slashes only, or one ending in a folder reached by O_PATH: open it for real.
    UniqueFd opened(openFolder(current.get(), ".", O_RDONLY));
    if (!opened.valid())
        return std::nullopt;
    return Folder(std::move(opened));
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
