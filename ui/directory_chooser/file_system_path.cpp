#include "file_system_path.h"

#include "shell/id_list.h"
#include "shell/path_walk.h"

#include <QFile>
#include <sys/stat.h>

namespace chooser {

namespace {

bool survivesText(const QByteArray &bytes)
{
    return QFile::encodeName(QFile::decodeName(bytes)) == bytes;
}

} // namespace

std::optional<shell::IdList> parseFileSystemPath(const shell::ShellNamespace &ns,
                                                 const QByteArray &path)
{
    if (survivesText(path))
        return ns.parseDisplayName(QFile::decodeName(path));
    if (!path.startsWith('/') || path.contains('\0'))
        return std::nullopt;

    QList<QByteArray> components;
    for (const QByteArray &component : path.split('/')) {
        if (component.isEmpty() || component == ".")
            continue;
        // Through a symbolic link ".." would not name the folder the path shows.
        if (component == "..")
            return std::nullopt;
        components.append(component);
    }
    struct stat st = {};
    const QByteArray clean = '/' + components.join('/');
    if (!shell::PathWalk::status(clean, &st) || !S_ISDIR(st.st_mode))
        return std::nullopt;

    qsizetype known = 0;
    while (known < components.size() && survivesText(components.at(known)))
        ++known;
    std::optional<shell::IdList> ids =
        ns.parseDisplayName(QFile::decodeName('/' + components.first(known).join('/')));
    if (!ids)
        return std::nullopt;
    ids->append(components.mid(known));
    // Only a folder that the namespace opens at that very place is the one the path names.
    ids->removeLast();
    const std::unique_ptr<shell::ShellFolder> parent = shell::bindFolder(ns, *ids);
    ids->append(components.last());
    if (!parent || parent->fileSystemPath(ids->last()) != clean)
        return std::nullopt;
    return ids;
}

} // namespace chooser
