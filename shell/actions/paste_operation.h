#pragma once

// Copies or moves files and folders into a folder, as pasting does in a file manager. Nothing
// is ever overwritten: an entry whose name is taken arrives as "nom (copie).ext", then
// "nom (copie 2).ext" and so on. Copies are written under a temporary name and renamed into
// place, so an interrupted copy never leaves a half file under the real name; a move across
// file systems removes the source only once its copy is complete.

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace shell::actions {

class PasteOperation
{
public:
    struct Result
    {
        QList<QByteArray> created; // paths of the entries made in the folder
        QStringList errors;        // one French message per entry that failed
    };

    static Result run(const QList<QByteArray> &sources, const QByteArray &folder, bool move);

    // The first name not taken in `folder` for an entry named `name`.
    static QByteArray freeName(const QByteArray &folder, const QByteArray &name, bool isFolder);
};

} // namespace shell::actions
