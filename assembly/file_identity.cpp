#include "assembly/file_identity.h"

#include <fcntl.h>

namespace assembly {

namespace {

bool sameTime(const timespec &a, const timespec &b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

FileIdentity FileIdentity::of(const struct stat &status)
{
    return {status.st_dev, status.st_ino, status.st_size, status.st_mtim, status.st_ctim};
}

std::optional<FileIdentity> FileIdentity::ofPath(const std::string &path)
{
    struct stat status = {};
    if (::stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return of(status);
}

std::optional<FileIdentity> FileIdentity::ofName(int folderFd, const std::string &name)
{
    struct stat status = {};
    if (::fstatat(folderFd, name.c_str(), &status, 0) != 0)
        return std::nullopt;
    return of(status);
}

std::optional<FileIdentity> FileIdentity::ofDescriptor(int fd)
{
    struct stat status = {};
    if (::fstat(fd, &status) != 0)
        return std::nullopt;
    return of(status);
}

bool FileIdentity::unchangedAs(const FileIdentity &other) const
{
    return sameFile(other) && size == other.size && sameTime(modified, other.modified) &&
           sameTime(changed, other.changed);
}

} // namespace assembly
