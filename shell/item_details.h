#pragma once

// The detail texts of file-system items, in French as the desktop's file managers write them.

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace shell {

class ItemDetails
{
public:
    // "0 octet", "512 octets", "12,3 Ko", "4,0 Mo": binary multiples, one decimal.
    static QString formatSize(qint64 bytes);
    // Short date and time, French style: "07/12/2026 08:20".
    static QString formatTime(const QDateTime &time);
    // The type shown for the entry at `path` named `name`: "Dossier" for folders, else the MIME
    // type's French description (from the name, then from the first bytes of the content).
    static QString typeName(const QByteArray &path, const QByteArray &name);
    // The same for the entry `name` of the open folder `folder`.
    static QString typeNameAt(int folder, const QByteArray &name);
    // The theme icon name of a non-folder entry, from its name alone (cheap enough for a listing).
    static QString iconName(const QByteArray &name);

    // The details of the folder columns "Nom", "Taille", "Type", "Modifié le" for the entry at
    // `path`; an empty text when the entry cannot be read or the column has no text (the size of
    // a folder).
    static QString columnText(const QByteArray &path, const QByteArray &name, int column);
    // The same for the entry `name` of the open folder `folder`.
    static QString columnTextAt(int folder, const QByteArray &name, int column);

private:
    // The entry `entry` relative to the open folder `folder`, or an absolute path with AT_FDCWD;
    // `name` is the name it is shown under.
    static QString typeNameOf(int folder, const QByteArray &entry, const QByteArray &name);
    static QString columnTextOf(int folder, const QByteArray &entry, const QByteArray &name,
                                int column);
};

} // namespace shell
