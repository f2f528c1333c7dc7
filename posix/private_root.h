#pragma once

// A process's own view of the file system, for work on untrusted documents that must not depend
// on one kernel feature alone: namespaces of its own, in which the root holds only what the work
// reads, read-only, and each child mounts a small in-memory file system of its own for its
// scratch files. Linux only; nothing of it is seen outside the process and its children.

#include <cstdint>
#include <string>
#include <vector>

namespace posix {

enum class OwnNamespaces {
    None,        // the system refused them: nothing changed
    WithOwnUser, // in a user namespace of its own, where its user holds every right
    Privileged,  // without one (a user namespace cannot be made in a chroot), on root's own rights
};

// Enters new mount, network and IPC namespaces: inside a user namespace of its own (its user
// and group mapped to themselves) where the system allows one, else, for a process privileged
// enough, without. The process must have one thread, and /proc to write its user's mapping.
OwnNamespaces enterOwnNamespaces();

class PrivateRoot
{
public:
    // A folder, file or device of the system, seen read-only at its own path; nothing when it
    // is not there. Parents come before what lies inside them.
    void show(std::string path) { m_shown.push_back(std::move(path)); }
    // An empty folder, where a child mounts a file system of its own.
    void makeFolder(std::string path) { m_folders.push_back(std::move(path)); }

    // In a mount namespace of the caller's own: builds the root on a small read-only file system
    // mounted on `workFolder` (an empty folder nothing else uses), makes it the process's root
    // and its working folder. Where the root cannot be swapped (in a chroot), enters it with
    // chroot instead, which holds once the process can no longer call chroot. False when the
    // root could not be built: the process is then left as it was, or unusable.
    bool enter(const std::string &workFolder) const;

private:
    std::vector<std::string> m_shown;
    std::vector<std::string> m_folders;
};

// In a mount namespace of its own, made now, a new in-memory file system on `folder` of at most
// `bytes` and `files` files, for the caller alone. Needs the right to mount, as
// enterOwnNamespaces gives.
bool mountOwnScratch(const char *folder, std::uint64_t bytes, std::uint64_t files);

} // namespace posix
