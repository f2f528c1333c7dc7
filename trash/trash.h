#pragma once

// The desktop trash as freedesktop.org lays it out, for the job's sources and the chooser's
// « Supprimer » alike. Which trash an entry goes to is trash_location.h's: one on the entry's own
// file system, so that it moves by a rename. For each entry, info/NAME.trashinfo is written
// first, created exclusively, which reserves NAME; then the entry is renamed to files/NAME. A
// NAME already taken in either half gets a free variant ("a.eps.2"). Whatever fails leaves the
// entry where it was and no .trashinfo behind. Names are the file system's bytes.
//
// Deleting many entries, the reservations can all be made before any entry moves: a caller then
// knows which entries no trash will take before anything is gone (the job asks its window).

#include "trash/trash_location.h"

#include <ctime>
#include <optional>
#include <string>

namespace trash {

class Trash
{
public:
    // The trash for the entries of the folder open on folderFd, made where missing; nullopt with
    // errno set when none can be used.
    static std::optional<Trash> forFolder(int folderFd);

    struct Reservation
    {
        std::string entry; // in the folder
        std::string name;  // in the trash
        int variant = 1;
    };

    // Writes the .trashinfo for `entry` under a free name; nullopt with errno set.
    std::optional<Reservation> reserve(const std::string &entry);
    // Renames the entry into the trash under its reserved name, or under the next free one if
    // another took that name in files/ meanwhile. False with errno set, the .trashinfo removed.
    bool move(int folderFd, Reservation &reservation);
    // Gives up a reservation: its .trashinfo goes.
    void release(const Reservation &reservation);

    // reserve() then move(); false with errno set.
    bool put(int folderFd, const std::string &entry);

    const std::string &path() const { return m_location.path; }
    bool isHome() const { return m_location.home; }

private:
    explicit Trash(TrashLocation location) : m_location(std::move(location)) {}
    std::optional<Reservation> reserveFrom(const std::string &entry, int variant);
    const std::string &now();

    TrashLocation m_location;
    std::time_t m_dateSecond = -1;
    std::string m_date;
};

// Moves the entry at path (a file, a link or a folder) to its trash; false with errno set.
bool moveToTrash(const std::string &path);

} // namespace trash
