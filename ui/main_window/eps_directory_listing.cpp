#include "eps_directory_listing.h"

#include "shell/path_walk.h"

#include <cstring>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace {

struct DirCloser
{
    void operator()(DIR *dir) const { closedir(dir); }
};

bool isDirectory(DIR *directory, const dirent *entry)
{
    if (entry->d_type == DT_DIR)
        return true;
    if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
        return false;
    // A link is judged by what it points to: a link to a folder cannot be joined as a file.
    // A dangling link is offered; the job then reports the missing file.
    struct stat info = {};
    return ::fstatat(::dirfd(directory), entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
}

// The folder opened for reading, however long its path.
DIR *openForReading(const QByteArray &directory)
{
    const posix::UniqueFd folder = shell::PathWalk::openFolder(directory);
    return folder.valid() ? shell::PathWalk::readEntries(folder.get()) : nullptr;
}

} // namespace

bool EpsDirectoryListing::matchesEpsPattern(const QByteArray &name)
{
    return matchesEpsPattern(name.constData(), size_t(name.size()));
}

bool EpsDirectoryListing::matchesEpsPattern(const char *name, size_t length)
{
    static constexpr char extension[] = ".eps";
    constexpr size_t extensionLength = sizeof(extension) - 1;
    return length >= extensionLength &&
           qstrnicmp(name + length - extensionLength, extension, extensionLength) == 0;
}

std::vector<QByteArray> EpsDirectoryListing::list(const QByteArray &directory)
{
    std::vector<QByteArray> names;
    const QByteArray openPath = directory.isEmpty() ? QByteArray("/") : directory;
    std::unique_ptr<DIR, DirCloser> dir(openForReading(openPath));
    if (!dir)
        return names;
    while (const dirent *entry = readdir(dir.get())) {
        // Most entries of a large folder are not EPS files: test the name before copying it.
        // "." and ".." never match.
        if (!matchesEpsPattern(entry->d_name, std::strlen(entry->d_name)))
            continue;
        if (isDirectory(dir.get(), entry))
            continue;
        names.emplace_back(entry->d_name);
    }
    return names;
}
