#include "posix/pending_file.h"

#include "posix/eintr.h"
#include "posix/path.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
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
        std::string candidate =
            joinPath(m_folder, m_naming.prefix + randomHex(12) + m_naming.suffix);
        if (m_naming.beforeCreating)
            m_naming.beforeCreating(candidate);
        if (create(candidate)) {
            m_hiddenPath = std::move(candidate);
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    errno = EEXIST;
    return false;
}

std::optional<PendingFile> PendingFile::create(const std::string &folder, bool readable,
                                               HiddenName naming)
{
    PendingFile file(folder, std::move(naming));
    const int access = readable ? O_RDWR : O_WRONLY;
    // Naming the file later goes through /proc; without it, it is named from the start.
    if (::access("/proc/self/fd", X_OK) == 0) {
        const int fd = retryOnInterrupt(
            [&] { return ::open(folder.c_str(), O_TMPFILE | access | O_CLOEXEC, 0666); });
        if (fd >= 0) {
            file.m_fd = UniqueFd(fd);
            return file;
        }
        if (!unnamedUnsupported(errno))
            return std::nullopt;
    }
    int fd = -1;
    const bool created = file.underHiddenName([&](const std::string &path) {
        fd = retryOnInterrupt([&] {
            return ::open(path.c_str(), access | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        });
        return fd >= 0;
    });
    if (!created)
        return std::nullopt;
    file.m_fd = UniqueFd(fd);
    return file;
}

PendingFile::PendingFile(PendingFile &&other) noexcept
    : m_folder(std::move(other.m_folder)), m_naming(std::move(other.m_naming)),
      m_fd(std::move(other.m_fd)), m_hiddenPath(std::move(other.m_hiddenPath)),
      m_placed(other.m_placed)
{
    other.m_hiddenPath.clear();
}

PendingFile::~PendingFile()
{
    m_fd.reset();
    if (!m_placed && !m_hiddenPath.empty())
        ::unlink(m_hiddenPath.c_str());
}

bool PendingFile::name()
{
    if (!m_hiddenPath.empty())
        return true;
    const std::string source = "/proc/self/fd/" + std::to_string(m_fd.get());
    return underHiddenName([&](const std::string &path) {
        return ::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0;
    });
}

bool PendingFile::close()
{
    return m_fd.close() == 0 || errno == EINTR;
}

bool PendingFile::placeAt(const std::string &finalPath)
{
    if (m_hiddenPath.empty() && !name())
        return false;
    if (::rename(m_hiddenPath.c_str(), finalPath.c_str()) != 0)
        return false;
    m_placed = true;
    return true;
}

} // namespace posix
