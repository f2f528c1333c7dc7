#include "assembly/file_system.h"

#include "assembly/io_error.h"
#include "posix/eintr.h"
#include "posix/unique_fd.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace assembly {

bool fileExists(const std::string &path)
{
    struct stat status = {};
    return ::stat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

bool deleteFile(const std::string &path)
{
    return ::unlink(path.c_str()) == 0;
}

namespace {

void syncPath(const std::string &path, int flags)
{
    posix::UniqueFd fd(posix::retryOnInterrupt(
        [&] { return ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY); }));
    if (!fd.valid())
        throw EInOutError::fromErrno(errno, path);
    // Some file systems cannot sync a folder (EINVAL): there is nothing more to make durable.
    if (posix::retryOnInterrupt([&] { return ::fsync(fd.get()); }) != 0 && errno != EINVAL)
        throw EInOutError::fromErrno(errno, path);
    if (fd.close() != 0 && errno != EINTR)
        throw EInOutError::fromErrno(errno, path);
}

} // namespace

void syncFolder(const std::string &folder)
{
    syncPath(folder, O_RDONLY | O_DIRECTORY);
}

void syncFileAndFolder(const std::string &path)
{
    syncPath(path, O_RDONLY);
    syncFolder(parentFolder(path));
}

} // namespace assembly
