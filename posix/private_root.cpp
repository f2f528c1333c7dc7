#include "posix/private_root.h"

#include "posix/unique_fd.h"
#include "posix/write_all.h"

#include <cerrno>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace posix {

namespace {

bool writeFile(const char *path, const std::string &text)
{
    UniqueFd fd(::open(path, O_WRONLY | O_CLOEXEC));
    return fd.valid() && writeAll(fd.get(), text.data(), text.size()) == 0;
}

// Every folder of `path` under `root`, and the last component as a folder or an empty file.
bool makePath(const std::string &root, const std::string &path, bool lastIsFile)
{
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const bool last = slash == std::string::npos;
        const std::string made = root + path.substr(0, last ? path.size() : slash);
        if (last && lastIsFile) {
            UniqueFd file(::open(made.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
            return file.valid();
        }
        if (::mkdir(made.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
        if (last)
            return true;
    }
}

// The flags a bind mount must keep when made read-only: those of the mount it shows, which a
// user namespace may not clear.
unsigned long keptFlags(const std::string &path)
{
    struct statvfs status = {};
    if (::statvfs(path.c_str(), &status) != 0)
        return 0;
    unsigned long flags = 0;
    if ((status.f_flag & ST_NODEV) != 0)
        flags |= MS_NODEV;
    if ((status.f_flag & ST_NOEXEC) != 0)
        flags |= MS_NOEXEC;
    if ((status.f_flag & ST_NODIRATIME) != 0)
        flags |= MS_NODIRATIME;
    if ((status.f_flag & ST_NOATIME) != 0)
        flags |= MS_NOATIME;
    else if ((status.f_flag & ST_RELATIME) != 0)
        flags |= MS_RELATIME;
    else
        flags |= MS_STRICTATIME;
    return flags;
}

bool showReadOnly(const std::string &root, const std::string &path)
{
    struct stat status = {};
    if (path.empty() || path.front() != '/' || ::stat(path.c_str(), &status) != 0)
        return true;
    const std::string target = root + path;
    struct stat already = {};
    // Inside a folder shown before: seen already.
    if (::lstat(target.c_str(), &already) == 0)
        return true;
    if (!makePath(root, path, !S_ISDIR(status.st_mode)) ||
        ::mount(path.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        ::mount(nullptr, target.c_str(), nullptr, MS_PRIVATE, nullptr) != 0)
        return false;
    // A device is what the work writes to; nothing else it shows may hold one.
    const unsigned long devices = S_ISCHR(status.st_mode) ? 0 : MS_NODEV;
    return ::mount(nullptr, target.c_str(), nullptr,
                   MS_BIND | MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NOEXEC | devices |
                       keptFlags(target),
                   nullptr) == 0;
}

// Mounts made beneath `folder` stay in this namespace: its mount, and every other one as a rule,
// stops passing mounts on to the namespaces it was copied from. In a chroot, whose root is no
// mount of its own, the mount that holds the folder is found by trying its parents.
bool keepMountsBeneath(const std::string &folder)
{
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0)
        return true;
    std::string path = folder;
    while (path.size() > 1 && path.front() == '/') {
        if (::mount(nullptr, path.c_str(), nullptr, MS_PRIVATE, nullptr) == 0)
            return true;
        path.resize(path.find_last_of('/'));
    }
    return false;
}

} // namespace

OwnNamespaces enterOwnNamespaces()
{
    const uid_t user = ::getuid();
    const gid_t group = ::getgid();
    constexpr int others = CLONE_NEWNS | CLONE_NEWNET | CLONE_NEWIPC;
    // Looked at first: once in a user namespace, a process whose user could not be mapped owns
    // nothing it could make, and there is no way back.
    if (::access("/proc/self/uid_map", W_OK) == 0 && ::unshare(CLONE_NEWUSER | others) == 0) {
        if (writeFile("/proc/self/setgroups", "deny") &&
            writeFile("/proc/self/uid_map",
                      std::to_string(user) + " " + std::to_string(user) + " 1") &&
            writeFile("/proc/self/gid_map",
                      std::to_string(group) + " " + std::to_string(group) + " 1"))
            return OwnNamespaces::WithOwnUser;
        return OwnNamespaces::None;
    }
    return ::unshare(others) == 0 ? OwnNamespaces::Privileged : OwnNamespaces::None;
}

bool PrivateRoot::enter(const std::string &workFolder) const
{
    if (!keepMountsBeneath(workFolder) ||
        ::mount("tmpfs", workFolder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV | MS_NOEXEC,
                "size=1m,nr_inodes=4096,mode=0755") != 0)
        return false;
    for (const std::string &path : m_shown)
        if (!showReadOnly(workFolder, path))
            return false;
    for (const std::string &path : m_folders)
        if (!makePath(workFolder, path, false))
            return false;
    if (::mount(nullptr, workFolder.c_str(), nullptr,
                MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV | MS_NOEXEC, nullptr) != 0 ||
        ::chdir(workFolder.c_str()) != 0)
        return false;
    // The old root, stacked on the new one, is then detached whole: nothing of it stays
    // reachable. A process in a chroot has no old root to swap.
    if (::syscall(SYS_pivot_root, ".", ".") == 0) {
        if (::umount2(".", MNT_DETACH) != 0)
            return false;
    } else if (::chroot(".") != 0) {
        return false;
    }
    return ::chdir("/") == 0;
}

bool mountOwnScratch(const char *folder, std::uint64_t bytes, std::uint64_t files)
{
    const std::string options =
        "size=" + std::to_string(bytes) + ",nr_inodes=" + std::to_string(files) + ",mode=0700";
    return ::unshare(CLONE_NEWNS) == 0 &&
           ::mount("tmpfs", folder, "tmpfs", MS_NOSUID | MS_NODEV | MS_NOEXEC, options.c_str()) ==
               0;
}

} // namespace posix
