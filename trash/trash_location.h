#pragma once

// Which trash takes the entries of a folder, found and made where missing. An entry goes to a
// trash on its own file system, so that it moves there by a rename and never by a copy:
//   - the home trash, $XDG_DATA_HOME/Trash (by default ~/.local/share/Trash), when the folder is
//     on the home trash's file system;
//   - elsewhere, on the folder's file system, below its top directory (where it is mounted):
//     $topdir/.Trash/$uid when $topdir/.Trash is a real folder (not a link) with the sticky bit,
//     else $topdir/.Trash-$uid. Either must be a real folder owned by the user: one that another
//     user put there would show them what is trashed.
// Folders made on the way get mode 0700.

#include "posix/unique_fd.h"

#include <optional>
#include <string>

namespace trash {

struct TrashLocation
{
    std::string path;      // the trash folder, for messages
    bool home = false;     // the home trash, rather than a top directory's
    posix::UniqueFd files; // its two halves, open
    posix::UniqueFd info;
    // How a .trashinfo names the folder's entries: the folder's path, absolute for the home
    // trash, relative to the top directory otherwise; percent-encoded, ending in "/" unless empty.
    std::string encodedFolder;
};

// The trash for the entries of the folder open on folderFd; nullopt with errno set when none can
// be used (none can be made, or the folder's own path cannot be told).
std::optional<TrashLocation> locateTrash(int folderFd);

// The home trash's folder, as the environment names it; empty when it names none.
std::string homeTrashPath();

} // namespace trash
