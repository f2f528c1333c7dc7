#include "path_walk.h"

#include <QList>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace shell {

FileDescriptor::~FileDescriptor()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

FileDescriptor &FileDescriptor::operator=(FileDescriptor &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

namespace PathWalk {

namespace {

constexpr int FolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;

bool fitsOneCall(const QByteArray &path)
{
    return path.size() < PATH_MAX;
}

} // namespace

FileDescriptor openFolderAt(int parent, const QByteArray &name)
{
    return FileDescriptor(::openat(parent, name.constData(), FolderFlags));
}

FileDescriptor openFolder(const QByteArray &path)
{
    if (path.isEmpty() || path.contains('\0')) {
        errno = ENOENT;
        return FileDescriptor();
    }
    if (fitsOneCall(path))
        return FileDescriptor(::open(path.constData(), FolderFlags));
    FileDescriptor folder(::open(path.startsWith('/') ? "/" : ".", FolderFlags));
    for (const QByteArray &name : path.split('/')) {
        if (!folder.isOpen())
            break;
        if (!name.isEmpty())
            folder = openFolderAt(folder.get(), name);
    }
    return folder;
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
    QByteArray trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith('/'))
        trimmed.chop(1);
    const qsizetype slash = trimmed.lastIndexOf('/');
    if (slash < 0)
        return ::fstatat(AT_FDCWD, trimmed.constData(), st, followLink ? 0 : AT_SYMLINK_NOFOLLOW) ==
               0;
    const FileDescriptor parent = openFolder(slash == 0 ? QByteArray("/") : trimmed.left(slash));
    return parent.isOpen() && ::fstatat(parent.get(), trimmed.mid(slash + 1).constData(), st,
                                        followLink ? 0 : AT_SYMLINK_NOFOLLOW) == 0;
}

} // namespace PathWalk

} // namespace shell
