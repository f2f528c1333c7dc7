#pragma once

// Reaching file-system entries whatever the length of their path, with the file system's own
// folder walk (posix::openFolderPath) for paths longer than the system takes in one call.

#include "posix/unique_fd.h"

#include <QByteArray>
#include <dirent.h>
#include <sys/stat.h>

namespace shell {

namespace PathWalk {

// A descriptor of the folder at `path` (relative paths from the working directory), good for the
// *at calls (fstatat, openat, renameat) though not for reading: it needs only the right to pass
// through the folders above. Not valid, with errno set, when no folder is there.
posix::UniqueFd openFolder(const QByteArray &path);
// The folder `name` inside the open folder `parent`, the same way; a link to a folder is
// followed.
posix::UniqueFd openFolderAt(int parent, const QByteArray &name);
// The entries of the open folder `folder`, from the first: a stream of its own, or nullptr when
// the folder may not be read. Closed with closedir().
DIR *readEntries(int folder);
// stat() of `path`, or lstat() when `followLink` is false.
bool status(const QByteArray &path, struct stat *st, bool followLink = true);

} // namespace PathWalk

} // namespace shell
