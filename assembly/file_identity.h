#pragma once

// What tells one file from another and a file from itself changed: device and inode, size,
// modification and change times. The change time moves with every write and every rename or
// link, and cannot be set back by a program, so a file rewritten in place at the same size with
// its modification time restored still reads as changed.

#include <optional>
#include <string>
#include <sys/stat.h>

namespace assembly {

struct FileIdentity
{
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified = {};
    timespec changed = {};

    static FileIdentity of(const struct stat &status);
    // The file at path (links followed) or behind fd; nullopt when there is none.
    static std::optional<FileIdentity> ofPath(const std::string &path);
    // The file named in the folder open on folderFd (links followed).
    static std::optional<FileIdentity> ofName(int folderFd, const std::string &name);
    static std::optional<FileIdentity> ofDescriptor(int fd);

    bool sameFile(const FileIdentity &other) const
    {
        return device == other.device && inode == other.inode;
    }
    // The same file, not changed in between.
    bool unchangedAs(const FileIdentity &other) const;
};

} // namespace assembly
