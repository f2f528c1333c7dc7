#pragma once

// A folder held open, files in it named relative to it. It is reached one component at a time
// from the root when its path is too long for the system to take whole, so that a folder as deep
// as the chooser can browse is as good as any other.

#include "posix/unique_fd.h"

#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace posix {

// A descriptor of the folder at path, relative paths from the working folder, however long the
// path: where the system cannot take it whole, it is walked a folder at a time, each opened from
// the one before. With access O_PATH it serves the *at calls only and every folder needs only be
// searchable; O_RDONLY reads or locks it. Not valid, with errno set, when no folder is there.
UniqueFd openFolderPath(std::string_view path, int access);

class Folder
{
public:
    // The folder at path; nullopt with errno set.
    static std::optional<Folder> open(const std::string &path);
    // The folder open on fd (another program's, handed down), on a descriptor of its own.
    static std::optional<Folder> duplicate(int fd);

    int fd() const { return m_fd.get(); }

    // The entry named (links followed); nullopt with errno set.
    std::optional<struct stat> status(const std::string &name) const;
    // Opens the entry named; -1 with errno set.
    int openFile(const std::string &name, int flags, mode_t mode = 0) const;
    // False with errno set.
    bool remove(const std::string &name) const;
    bool rename(const std::string &from, const std::string &to) const;
    // Flushes the folder's entries to disk; a file system that cannot sync folders is no failure.
    bool sync() const;

    // Takes the folder's exclusive lock, held until this object goes; false at once
    // (EWOULDBLOCK) when another process holds it.
    bool tryLock() const;

private:
    explicit Folder(UniqueFd fd) : m_fd(std::move(fd)) {}

    UniqueFd m_fd;
};

} // namespace posix
