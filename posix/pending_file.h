#pragma once

// A file being written in a folder that takes its final name only once complete. It is made
// without a name (O_TMPFILE) where the file system can, so that nothing stays if the program is
// killed; elsewhere under a hidden name, removed if the file is never put in place. Either way an
// older file under the final name stays as it was until then.

#include "posix/folder.h"
#include "posix/unique_fd.h"

#include <functional>
#include <optional>
#include <string>

namespace posix {

struct HiddenName
{
    std::string prefix; // ".brakwen-"
    std::string suffix; // ".tmp"
    // Told every hidden name before it is created (a watcher may remove it after a kill).
    std::function<void(const std::string &)> beforeCreating;
};

class PendingFile
{
public:
    // Creates the file in folder (whose path folderPath is, for the watcher), readable as well
    // when readable is set, with the permissions a new file gets (umask applied). nullopt with
    // errno set when the folder takes no file. The file stays locked (flock) while it is open,
    // so that a hidden name nobody holds any more is known to be left over.
    static std::optional<PendingFile> create(const Folder &folder, std::string folderPath,
                                             bool readable, HiddenName naming);

    // Removes the files named as naming names them that no live PendingFile holds: what a
    // program killed outright left behind where files cannot be made without a name.
    static void removeLeftovers(const Folder &folder, const HiddenName &naming);

    PendingFile(PendingFile &&other) noexcept;
    PendingFile &operator=(PendingFile &&) = delete;
    PendingFile(const PendingFile &) = delete;
    PendingFile &operator=(const PendingFile &) = delete;
    ~PendingFile();

    int fd() const { return m_fd.get(); }

    // Gives an unnamed file its hidden name, which rename() needs; false with errno set.
    bool name();
    // Closes the file, reporting what close reports (some file systems only report a failed
    // write-back there); false with errno set.
    bool close();
    // Renames the named file over finalName in its folder; from then on it is no longer
    // removed. False with errno set.
    bool placeAt(const std::string &finalName);

private:
    PendingFile(UniqueFd folder, std::string folderPath, HiddenName naming)
        : m_folder(std::move(folder)), m_folderPath(std::move(folderPath)),
          m_naming(std::move(naming))
    {}
    // Tries fresh hidden names until create succeeds; false with errno set on any failure but a
    // name already taken.
    template <typename Create> bool underHiddenName(Create create);

    UniqueFd m_folder;
    std::string m_folderPath;
    HiddenName m_naming;
    UniqueFd m_fd;
    std::string m_hiddenName; // empty while the file has no name
    bool m_placed = false;
};

// Hexadecimal digits from the system's random source.
std::string randomHex(int digits);

} // namespace posix
