#pragma once

// Moving an entry into the user's trash ($XDG_DATA_HOME/Trash, the freedesktop.org layout), for
// the names Qt's own trash cannot take: names that are not UTF-8 would reach Qt as other names.
// Only entries on the trash's own file system are taken; nothing is ever removed for good.

#include <QByteArray>

namespace shell::actions {

class HomeTrash
{
public:
    // The trash folder: $XDG_DATA_HOME/Trash, or ~/.local/share/Trash.
    static QByteArray location();
    // Makes the trash folder and its two halves where they are missing; false when it cannot.
    static bool prepare();
    // True once the entry at the absolute `path` is in the trash with its restore information.
    static bool moveToTrash(const QByteArray &path);
};

} // namespace shell::actions
