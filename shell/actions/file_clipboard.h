#pragma once

// File lists exchanged with other applications through the clipboard: text/uri-list, GNOME's
// "x-special/gnome-copied-files" (copy or cut) and KDE's cut marker, so that file managers paste
// what we copy and we paste what they copy. Paths are raw bytes and survive non-UTF-8 names.
// Only the clipboard's contents: putting them on the desktop's clipboard is the windows' part.

#include <QByteArray>
#include <QList>
#include <QMimeData>
#include <memory>

namespace shell::actions {

class FileClipboard
{
public:
    struct Content
    {
        QList<QByteArray> paths;
        bool cut = false;
    };

    static std::unique_ptr<QMimeData> encode(const QList<QByteArray> &paths, bool cut);
    // The local files `data` names; empty paths when it names none.
    static Content decode(const QMimeData *data);
};

} // namespace shell::actions
