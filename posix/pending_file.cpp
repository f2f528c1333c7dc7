#include "posix/pending_file.h"

#include "posix/eintr.h"
#include "posix/path.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace posix {

namespace {

constexpr int nameAttempts = 100;

// The file systems that cannot make unnamed files say so in one of these ways.
bool unnamedUnsupported(int error)
{
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

} // namespace

std::string randomHex(int digits)
{
    static constexpr char hex[] = "0123456789abcdef";
    std::random_device device;
    std::uniform_int_distribution<int> pick(0, 15);
    std::string text(static_cast<std::size_t>(digits), '0');
    for (char &c : text)
        c = hex[pick(device)];
    return text;
}

template <typename Create> bool PendingFile::underHiddenName(Create create)
{
    for (int attempt = 0; attempt < nameAttempts; ++attempt) {
        std::string candidate = m_naming.prefix + randomHex(12) + m_naming.suffix;
        if (m_naming.beforeCreating)
            m_naming.beforeCreating(joinPath(m_folderPath, candidate));
        if (create(candidate)) {
            m_hiddenName = std::move(candidate);
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    errno = EEXIST;
    return false;
}

std::optional<PendingFile> PendingFile::create(const Folder &folder, std::string folderPath,
                                               bool readable, HiddenName naming)
{
    PendingFile file(UniqueFd(::fcntl(folder.fd(), F_DUPFD_CLOEXEC, 0)), std::move(folderPath),
                     std::move(naming));
    if (!file.m_folder.valid())
        return std::nullopt;
    const int access = readable ? O_RDWR : O_WRONLY;
    // Naming the file later goes through /proc; without it, it is named from the start.
    if (::access("/proc/self/fd", X_OK) == 0) {
        const int fd = folder.openFile(".", O_TMPFILE | access, 0666);
        if (fd >= 0) {
            file.m_fd = UniqueFd(fd);
            ::flock(fd, LOCK_EX | LOCK_NB);
            return file;
        }
        if (!unnamedUnsupported(errno))
            return std::nullopt;
    }
    int fd = -1;
    const bool created = file.underHiddenName([&](const std::string &name) {
        fd = folder.openFile(name, access | O_CREAT | O_EXCL, 0666);
        return fd >= 0;
    });
    if (!created)
        return std::nullopt;
    file.m_fd = UniqueFd(fd);
    ::flock(fd, LOCK_EX | LOCK_NB);
    return file;
}

void PendingFile::removeLeftovers(const Folder &folder, const HiddenName &naming)
{
    const int listed = ::openat(folder.fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *entries = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (entries == nullptr) {
        if (listed >= 0)
            ::close(listed);
        return;
    }
    while (const dirent *entry = ::readdir(entries)) {
        const std::string_view name(entry->d_name);
        if (name.size() <= naming.prefix.size() + naming.suffix.size() ||
            !name.starts_with(naming.prefix) || !name.ends_with(naming.suffix))
            continue;
        // Only a regular file nobody holds: its lock is free once its maker is gone.
        UniqueFd file(folder.openFile(std::string(name), O_RDONLY | O_NOFOLLOW | O_NONBLOCK));
        struct stat status = {};
        if (file.valid() && ::fstat(file.get(), &status) == 0 && S_ISREG(status.st_mode) &&
            ::flock(file.get(), LOCK_EX | LOCK_NB) == 0)
            folder.remove(std::string(name));
    }
    ::closedir(entries);
}

PendingFile::PendingFile(PendingFile &&other) noexcept
    : m_folder(std::move(other.m_folder)), m_folderPath(std::move(other.m_folderPath)),
      m_naming(std::move(other.m_naming)), m_fd(std::move(other.m_fd)),
      m_hiddenName(std::move(other.m_hiddenName)), m_placed(other.m_placed)
{
    other.m_hiddenName.clear();
}

PendingFile::~PendingFile()
{
    m_fd.reset();
    if (!m_placed && !m_hiddenName.empty() && m_folder.valid())
        ::unlinkat(m_folder.get(), m_hiddenName.c_str(), 0);
}

bool PendingFile::name()
{
    if (!m_hiddenName.empty())
        return true;
    const std::string source = "/proc/self/fd/" + std::to_string(m_fd.get());
    return underHiddenName([&](const std::string &name) {
        return ::linkat(AT_FDCWD, source.c_str(), m_folder.get(), name.c_str(),
                        AT_SYMLINK_FOLLOW) == 0;
    });
}

bool PendingFile::close()
{
    return m_fd.close() == 0 || errno == EINTR;
}

bool PendingFile::placeAt(const std::string &finalName)
{
    if (m_hiddenName.empty() && !name())
        return false;
    if (::renameat(m_folder.get(), m_hiddenName.c_str(), m_folder.get(), finalName.c_str()) != 0)
        return false;
    m_placed = true;
    return true;
}

} // namespace posix
