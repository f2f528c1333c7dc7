// Preloaded into brakwen-cli by the fault-injection tests. It acts only on the job's temporary
// output (a file without a name yet, or one named .brakwen-*.tmp), leaving the terminal and every
// other file alone:
//   BRAKWEN_FAULT_LIMIT=N       the disk fills after N bytes: the write that reaches the limit is
//                               short, every later one fails with ENOSPC
//   BRAKWEN_FAULT_CHUNK=N       every write or copy stores at most N bytes (short writes)
//   BRAKWEN_FAULT_NO_KERNEL_COPY=1  copy_file_range fails with ENOSYS, as on an old kernel
//   BRAKWEN_FAULT_KILL_AFTER=N  the process is killed (SIGKILL) once N bytes are written
//   BRAKWEN_FAULT_HOLD_AFTER=N  once N bytes are written, the process says "held" on stderr and
//                               waits for a signal, for a test to stop it in the middle
//   BRAKWEN_FAULT_NO_MEMFD=1    memfd_create fails with ENOSYS, as on older kernels
//   BRAKWEN_FAULT_NO_TMPFILE=1  open(O_TMPFILE) fails with EOPNOTSUPP, as on file systems that
//                               cannot make unnamed files
//   BRAKWEN_FAULT_LINKAT_ERRNO=E  linkat fails with errno E, as in a sandbox
//   BRAKWEN_FAULT_ZERO_WRITES=1   every write or copy to it stores nothing and reports no error
//   BRAKWEN_FAULT_SIZE_DRIFT=N    fstat reports it N bytes longer than it is
//   BRAKWEN_FAULT_FSYNC_EINTR=1   the process's first fsync is interrupted by a signal (EINTR)
//   BRAKWEN_FAULT_FSYNC_ERRNO=E   flushing it, or a PDF (the converter's hidden one, or a name
//                                 ending in .pdf), fails with errno E (fsync and fdatasync)
// and on the trash:
//   BRAKWEN_FAULT_TRASHINFO_ERRNO=E  creating a .trashinfo fails with errno E, as in a read-only
//                                    trash
// and on one source, named by BRAKWEN_FAULT_SOURCE (a bare file name):
//   BRAKWEN_FAULT_OPEN_ERRNO=E  opening it fails with errno E
//   BRAKWEN_FAULT_READ_ERRNO=E  reading from it (read or copy_file_range) fails with errno E
//   BRAKWEN_FAULT_UNLINK_ERRNO=E  deleting it fails with errno E
//   BRAKWEN_FAULT_SOURCE_GREW=N   fstat says it is N bytes shorter than it is (it grew since)

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

long long setting(const char *name, long long fallback)
{
    const char *value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::atoll(value) : fallback;
}

// The path an open descriptor stands for, as the kernel names it; false when it cannot be read.
bool pathOfDescriptor(int fd, char (&target)[PATH_MAX], ssize_t &length)
{
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    length = readlink(link, target, sizeof target - 1);
    if (length <= 0)
        return false;
    target[length] = '\0';
    return true;
}

bool isTemporaryOutput(int fd)
{
    char target[PATH_MAX];
    ssize_t length = 0;
    if (!pathOfDescriptor(fd, target, length))
        return false;
    // A file made with O_TMPFILE reads as "/folder/#<inode> (deleted)".
    static constexpr char deleted[] = " (deleted)";
    const std::size_t suffix = sizeof deleted - 1;
    const bool unnamed = std::strstr(target, "/#") != nullptr &&
                         static_cast<std::size_t>(length) > suffix &&
                         std::strcmp(target + length - suffix, deleted) == 0;
    return unnamed || std::strstr(target, "/.brakwen-") != nullptr;
}

bool endsWithFaultySource(const char *path)
{
    const char *name = std::getenv("BRAKWEN_FAULT_SOURCE");
    if (name == nullptr || *name == '\0' || path == nullptr)
        return false;
    const std::size_t pathLength = std::strlen(path);
    const std::size_t nameLength = std::strlen(name);
    // A bare name, as the job names a file in its folder, or the end of a path.
    return pathLength >= nameLength &&
           (pathLength == nameLength || path[pathLength - nameLength - 1] == '/') &&
           std::strcmp(path + pathLength - nameLength, name) == 0;
}

bool isFaultySource(int fd)
{
    char target[PATH_MAX];
    ssize_t length = 0;
    return pathOfDescriptor(fd, target, length) && endsWithFaultySource(target);
}

// Sets errno and returns true when the setting asks for a failure.
bool injected(const char *setting)
{
    const char *value = std::getenv(setting);
    if (value == nullptr || *value == '\0')
        return false;
    errno = std::atoi(value);
    return true;
}

long long written = 0;

void recordWritten(ssize_t result)
{
    if (result <= 0)
        return;
    written += result;
    const long long killAfter = setting("BRAKWEN_FAULT_KILL_AFTER", -1);
    if (killAfter >= 0 && written >= killAfter)
        std::raise(SIGKILL);
    static bool held = false;
    const long long holdAfter = setting("BRAKWEN_FAULT_HOLD_AFTER", -1);
    if (holdAfter >= 0 && written >= holdAfter && !held) {
        held = true;
        // Blocked from before it says so, so that a signal sent at once is not handled before
        // the wait begins, which would then never end.
        sigset_t all;
        sigset_t before;
        sigfillset(&all);
        ::sigprocmask(SIG_BLOCK, &all, &before);
        static constexpr char said[] = "held\n";
        if (::write(STDERR_FILENO, said, sizeof said - 1) == sizeof said - 1)
            ::sigsuspend(&before);
        ::sigprocmask(SIG_SETMASK, &before, nullptr);
    }
}

// How many of count bytes this call may store; -1 with errno set when the disk is full.
long long allowance(size_t count)
{
    long long allowed = static_cast<long long>(count);
    const long long chunk = setting("BRAKWEN_FAULT_CHUNK", 0);
    if (chunk > 0 && allowed > chunk)
        allowed = chunk;
    const long long limit = setting("BRAKWEN_FAULT_LIMIT", -1);
    if (limit >= 0) {
        if (written >= limit) {
            errno = ENOSPC;
            return -1;
        }
        if (allowed > limit - written)
            allowed = limit - written;
    }
    return allowed;
}

using Stat = int (*)(int, struct stat *);

int driftedStat(Stat real, int fd, struct stat *status)
{
    const int result = real(fd, status);
    if (result == 0 && isTemporaryOutput(fd))
        status->st_size += setting("BRAKWEN_FAULT_SIZE_DRIFT", 0);
    // The source grew after its size was read: it is larger than fstat says.
    if (result == 0 && isFaultySource(fd))
        status->st_size -= setting("BRAKWEN_FAULT_SOURCE_GREW", 0);
    return result;
}

} // namespace

extern "C" int fstat(int fd, struct stat *status)
{
    static const auto real = reinterpret_cast<Stat>(dlsym(RTLD_NEXT, "fstat"));
    return driftedStat(real, fd, status);
}

extern "C" int fstat64(int fd, struct stat64 *status)
{
    static const auto real = reinterpret_cast<Stat>(dlsym(RTLD_NEXT, "fstat64"));
    return driftedStat(real, fd, reinterpret_cast<struct stat *>(status));
}

namespace {

bool isResultBeingFlushed(int fd)
{
    if (isTemporaryOutput(fd))
        return true;
    char target[PATH_MAX];
    ssize_t length = 0;
    if (!pathOfDescriptor(fd, target, length))
        return false;
    return std::strstr(target, "/.ps2pdf-") != nullptr ||
           (length >= 4 && std::strcmp(target + length - 4, ".pdf") == 0);
}

} // namespace

extern "C" int fdatasync(int fd)
{
    using Sync = int (*)(int);
    static const auto real = reinterpret_cast<Sync>(dlsym(RTLD_NEXT, "fdatasync"));
    if (isResultBeingFlushed(fd) && injected("BRAKWEN_FAULT_FSYNC_ERRNO"))
        return -1;
    return real(fd);
}

extern "C" int fsync(int fd)
{
    using Sync = int (*)(int);
    static const auto real = reinterpret_cast<Sync>(dlsym(RTLD_NEXT, "fsync"));
    if (isResultBeingFlushed(fd) && injected("BRAKWEN_FAULT_FSYNC_ERRNO"))
        return -1;
    static bool interrupted = false;
    if (!interrupted && setting("BRAKWEN_FAULT_FSYNC_EINTR", 0) != 0) {
        interrupted = true;
        errno = EINTR;
        return -1;
    }
    return real(fd);
}

namespace {

// Whether opening path with flags must fail (errno set); sources may be opened by a bare name.
bool openRefused(const char *path, int flags)
{
    const char *name = std::getenv("BRAKWEN_FAULT_SOURCE");
    const bool faulty = endsWithFaultySource(path) ||
                        (name != nullptr && *name != '\0' && std::strcmp(path, name) == 0);
    if (faulty && injected("BRAKWEN_FAULT_OPEN_ERRNO"))
        return true;
    const std::size_t length = std::strlen(path);
    static constexpr char info[] = ".trashinfo";
    if ((flags & O_CREAT) != 0 && length >= sizeof info - 1 &&
        std::strcmp(path + length - (sizeof info - 1), info) == 0 &&
        injected("BRAKWEN_FAULT_TRASHINFO_ERRNO"))
        return true;
    if ((flags & O_TMPFILE) == O_TMPFILE && setting("BRAKWEN_FAULT_NO_TMPFILE", 0) != 0) {
        errno = EOPNOTSUPP;
        return true;
    }
    return false;
}

mode_t modeArgument(int flags, va_list arguments)
{
    if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE)
        return static_cast<mode_t>(va_arg(arguments, int));
    return 0;
}

} // namespace

extern "C" int open(const char *path, int flags, ...)
{
    using Open = int (*)(const char *, int, ...);
    static const auto real = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "open"));
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    if (openRefused(path, flags))
        return -1;
    return real(path, flags, mode);
}

extern "C" int openat(int folder, const char *path, int flags, ...)
{
    using OpenAt = int (*)(int, const char *, int, ...);
    static const auto real = reinterpret_cast<OpenAt>(dlsym(RTLD_NEXT, "openat"));
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    if (openRefused(path, flags))
        return -1;
    return real(folder, path, flags, mode);
}

extern "C" ssize_t read(int fd, void *buffer, size_t count)
{
    using Read = ssize_t (*)(int, void *, size_t);
    static const auto real = reinterpret_cast<Read>(dlsym(RTLD_NEXT, "read"));
    if (count > 0 && fd > 2 && isFaultySource(fd) && injected("BRAKWEN_FAULT_READ_ERRNO"))
        return -1;
    return real(fd, buffer, count);
}

extern "C" ssize_t write(int fd, const void *buffer, size_t count)
{
    using Write = ssize_t (*)(int, const void *, size_t);
    static const auto real = reinterpret_cast<Write>(dlsym(RTLD_NEXT, "write"));
    if (count == 0 || !isTemporaryOutput(fd))
        return real(fd, buffer, count);
    if (setting("BRAKWEN_FAULT_ZERO_WRITES", 0) != 0)
        return 0;
    const long long allowed = allowance(count);
    if (allowed < 0)
        return -1;
    const ssize_t result = real(fd, buffer, static_cast<size_t>(allowed));
    recordWritten(result);
    return result;
}

extern "C" ssize_t copy_file_range(int in, off64_t *inOffset, int out, off64_t *outOffset,
                                   size_t count, unsigned int flags)
{
    using Copy = ssize_t (*)(int, off64_t *, int, off64_t *, size_t, unsigned int);
    static const auto real = reinterpret_cast<Copy>(dlsym(RTLD_NEXT, "copy_file_range"));
    if (count > 0 && isFaultySource(in) && injected("BRAKWEN_FAULT_READ_ERRNO"))
        return -1;
    if (count == 0 || !isTemporaryOutput(out))
        return real(in, inOffset, out, outOffset, count, flags);
    if (setting("BRAKWEN_FAULT_NO_KERNEL_COPY", 0) != 0) {
        errno = ENOSYS;
        return -1;
    }
    if (setting("BRAKWEN_FAULT_ZERO_WRITES", 0) != 0)
        return 0;
    const long long allowed = allowance(count);
    if (allowed < 0)
        return -1;
    const ssize_t result = real(in, inOffset, out, outOffset, static_cast<size_t>(allowed), flags);
    recordWritten(result);
    return result;
}

extern "C" int linkat(int fromFolder, const char *from, int toFolder, const char *to, int flags)
{
    using Link = int (*)(int, const char *, int, const char *, int);
    static const auto real = reinterpret_cast<Link>(dlsym(RTLD_NEXT, "linkat"));
    if (injected("BRAKWEN_FAULT_LINKAT_ERRNO"))
        return -1;
    return real(fromFolder, from, toFolder, to, flags);
}

extern "C" int memfd_create(const char *name, unsigned int flags)
{
    using MemfdCreate = int (*)(const char *, unsigned int);
    static const auto real = reinterpret_cast<MemfdCreate>(dlsym(RTLD_NEXT, "memfd_create"));
    if (setting("BRAKWEN_FAULT_NO_MEMFD", 0) != 0) {
        errno = ENOSYS;
        return -1;
    }
    return real(name, flags);
}

extern "C" int unlinkat(int folder, const char *path, int flags)
{
    using Unlinkat = int (*)(int, const char *, int);
    static const auto real = reinterpret_cast<Unlinkat>(dlsym(RTLD_NEXT, "unlinkat"));
    if (endsWithFaultySource(path) && injected("BRAKWEN_FAULT_UNLINK_ERRNO"))
        return -1;
    return real(folder, path, flags);
}

extern "C" int unlink(const char *path)
{
    using Unlink = int (*)(const char *);
    static const auto real = reinterpret_cast<Unlink>(dlsym(RTLD_NEXT, "unlink"));
    if (endsWithFaultySource(path) && injected("BRAKWEN_FAULT_UNLINK_ERRNO"))
        return -1;
    return real(path);
}
