#include "file_system_namespace.h"

#include "desktop_folder.h"
#include "directory_folder.h"
#include "mount_table.h"
#include "path_walk.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <sys/stat.h>

namespace shell {

FileSystemNamespace::FileSystemNamespace() : FileSystemNamespace(systemOptions()) {}

FileSystemNamespace::FileSystemNamespace(Options options) : m_options(std::move(options)) {}

FileSystemNamespace::Options FileSystemNamespace::systemOptions()
{
    Options options;
    options.homePath = QFile::encodeName(QDir::homePath());
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    // Sessions without a desktop folder point it at the home, already on the desktop.
    if (!desktop.isEmpty() && QDir(desktop) != QDir::home() && QDir(desktop).exists())
        options.desktopPath = QFile::encodeName(desktop);
    options.volumes = &MountTable::readSystem;
    return options;
}

std::unique_ptr<ShellFolder> FileSystemNamespace::desktop() const
{
    return std::make_unique<DesktopFolder>(m_options.homePath, m_options.desktopPath,
                                           m_options.volumes);
}

IdList FileSystemNamespace::computerNode() const
{
    return {DesktopFolder::ComputerId};
}

std::optional<IdList> FileSystemNamespace::parseDisplayName(const QString &path) const
{
    if (path.compare(DesktopFolder::ComputerParsingName, Qt::CaseInsensitive) == 0)
        return computerNode();
    if (!path.startsWith(QLatin1Char('/')))
        return std::nullopt;

    // Empty components (a doubled or trailing '/') and "." change nothing; ".." is refused
    // rather than resolved, since through a symbolic link it would not name the folder the
    // text shows.
    QList<QByteArray> components;
    for (const QByteArray &component : path.toUtf8().split('/')) {
        if (component.isEmpty() || component == ".")
            continue;
        if (component == ".." || component.contains('\0'))
            return std::nullopt;
        components.append(component);
    }
    const QByteArray clean = '/' + components.join('/');
    struct stat st = {};
    if (!PathWalk::status(clean, &st, false))
        return std::nullopt;

    const Volume *best = nullptr;
    const QList<Volume> volumes = m_options.volumes ? m_options.volumes() : QList<Volume>{};
    for (const Volume &volume : volumes) {
        const QByteArray &mount = volume.mountPoint;
        const bool holds = mount == "/" || clean == mount || clean.startsWith(mount + '/');
        if (holds && (best == nullptr || mount.size() > best->mountPoint.size()))
            best = &volume;
    }
    if (best == nullptr)
        return std::nullopt;

    IdList ids = {DesktopFolder::ComputerId, best->mountPoint};
    const qsizetype depth = best->mountPoint == "/" ? 0 : best->mountPoint.count('/');
    ids.append(components.mid(depth));
    return ids;
}

} // namespace shell
