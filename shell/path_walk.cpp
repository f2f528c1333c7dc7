#include "path_walk.h"

#include "posix/folder.h"
#include "raw_path.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace shell {

namespace PathWalk {

namespace {

constexpr int FolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;

bool fitsOneCall(const QByteArray &path)
{
    return path.size() < PATH_MAX;
}

} // namespace

posix::UniqueFd openFolderAt(int parent, const QByteArray &name)
{
    return posix::UniqueFd(::openat(parent, name.constData(), FolderFlags));
}

posix::UniqueFd openFolder(const QByteArray &path)
{
    return posix::openFolderPath(std::string_view(path.constData(), path.size()), O_PATH);
}

DIR *readEntries(int folder)
{
    // Opened afresh: the folder's own descriptor may serve only for the *at calls, and a stream
    // over a duplicate would share its reading position.
    const int readable = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (readable < 0)
        return nullptr;
    DIR *entries = ::fdopendir(readable);
    if (entries == nullptr)
        ::close(readable);
    return entries;
}

bool status(const QByteArray &path, struct stat *st, bool followLink)
{
    if (fitsOneCall(path))
        return (followLink ? ::stat(path.constData(), st) : ::lstat(path.constData(), st)) == 0;
    // Only the entry's folder is walked to; the entry itself is looked at from there.
    const posix::UniqueFd parent = openFolder(parentOf(path));
    return parent.valid() && ::fstatat(parent.get(), baseNameOf(path).constData(), st,
                                       followLink ? 0 : AT_SYMLINK_NOFOLLOW) == 0;
}

} // namespace PathWalk

} // namespace shell
