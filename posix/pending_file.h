#pragma once

// A file being written in a folder that takes its final name only once complete. It is made
// without a name (O_TMPFILE) where the file system can, so that nothing stays if the program is
// killed; elsewhere under a hidden name, removed if the file is never put in place. Either way an
// older file under the final name stays as it was until then.

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
    // Creates the file in folder, readable as well when readable is set, with the permissions a
    // new file gets (umask applied). nullopt with errno set when the folder takes no file.
    static std::optional<PendingFile> create(const std::string &folder, bool readable,
                                             HiddenName naming);

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
    // Renames the named file over finalPath; from then on it is no longer removed. False with
    // errno set.
    bool placeAt(const std::string &finalPath);

private:
    PendingFile(std::string folder, HiddenName naming)
        : m_folder(std::move(folder)), m_naming(std::move(naming))
    {}
    // Tries fresh hidden names until create succeeds; false with errno set on any failure but a
    // name already taken.
    template <typename Create> bool underHiddenName(Create create);

    std::string m_folder;
    HiddenName m_naming;
    UniqueFd m_fd;
    std::string m_hiddenPath; // empty while the file has no name
    bool m_placed = false;
};

// Hexadecimal digits from the system's random source.
std::string randomHex(int digits);

} // namespace posix
