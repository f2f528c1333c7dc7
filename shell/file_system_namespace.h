#pragma once

// The namespace over the Linux file system: the desktop holds the computer node "Ordinateur",
// the user's home folder and the entries of the XDG desktop folder; the computer node holds the
// mounted volumes; below a volume come folders and files by their raw names.

#include "shell_namespace.h"
#include "volume.h"

#include <functional>

namespace shell {

class FileSystemNamespace : public ShellNamespace
{
public:
    using VolumeSource = std::function<QList<Volume>()>;

    struct Options
    {
        QByteArray homePath;    // the home folder shown on the desktop
        QByteArray desktopPath; // the XDG desktop folder whose entries the desktop shows
        VolumeSource volumes;   // asked each time the computer level is listed or a path parsed
    };

    // The running user's home, desktop folder and mount table.
    FileSystemNamespace();
    explicit FileSystemNamespace(Options options);

    std::unique_ptr<ShellFolder> desktop() const override;
    IdList computerNode() const override;
    std::optional<IdList> parseDisplayName(const QString &path) const override;

    // The options the running session gives: $HOME, the XDG desktop folder, /proc/self/mountinfo.
    static Options systemOptions();

private:
    Options m_options;
};

} // namespace shell
