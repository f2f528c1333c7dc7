#include "eps_directory_listing.h"

#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace {

struct DirCloser
{
    void operator()(DIR *dir) const { closedir(dir); }
};

bool isDirectory(const QByteArray &directory, const dirent *entry)
{
    if (entry->d_type == DT_DIR)
        return true;
    if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
        return false;
    // A link is judged by what it points to: a link to a folder cannot be joined as a file.
    // A dangling link is offered; the job then reports the missing file.
    QByteArray path = directory;
    if (!path.endsWith('/'))
        path += '/';
    path += entry->d_name;
    struct stat info;
    return stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

bool EpsDirectoryListing::matchesEpsPattern(const QByteArray &name)
{
    static const QByteArray extension(".eps");
    if (name.size() < extension.size())
        return false;
    return name.right(extension.size()).compare(extension, Qt::CaseInsensitive) == 0;
}

std::vector<QByteArray> EpsDirectoryListing::list(const QByteArray &directory)
{
    std::vector<QByteArray> names;
    const QByteArray openPath = directory.isEmpty() ? QByteArray("/") : directory;
    std::unique_ptr<DIR, DirCloser> dir(opendir(openPath.constData()));
    if (!dir)
        return names;
    while (const dirent *entry = readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == ".." || !matchesEpsPattern(name))
            continue;
        if (isDirectory(openPath, entry))
            continue;
        names.push_back(name);
    }
    return names;
}
