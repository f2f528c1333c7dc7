#include "converter/leftover_guard.h"

#include "posix/close_descriptors.h"
#include "posix/eintr.h"
#include "posix/write_all.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace converter {

namespace {

// The watcher's whole life: it collects paths until the pipe closes, then removes them.
[[noreturn]] void watchUntilAllEnded(int pipe)
{
    ::setsid();
    for (int number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        ::signal(number, SIG_IGN);
    // Holding anything else open would keep a terminal or a caller's pipe from closing.
    const int devNull = ::open("/dev/null", O_RDWR);
    for (int fd = 0; fd < 3; ++fd)
        ::dup2(devNull, fd);
    posix::closeDescriptorsFrom(3, {pipe});

    std::string received;
    char buffer[4096];
    for (;;) {
        const ssize_t got =
            posix::retryOnInterrupt([&] { return ::read(pipe, buffer, sizeof buffer); });
        if (got <= 0)
            break;
        received.append(buffer, static_cast<std::size_t>(got));
    }
    std::size_t start = 0;
    for (std::size_t end = received.find('\0'); end != std::string::npos;
         start = end + 1, end = received.find('\0', start)) {
        std::error_code ignored;
        std::filesystem::remove_all(received.substr(start, end - start), ignored);
    }
    ::_exit(0);
}

} // namespace

LeftoverGuard::LeftoverGuard()
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return;
    posix::UniqueFd readEnd(ends[0]);
    posix::UniqueFd writeEnd(ends[1]);
    const pid_t watcher = ::fork();
    if (watcher < 0)
        return;
    if (watcher == 0) {
        writeEnd.reset();
        watchUntilAllEnded(readEnd.get());
    }
    m_pipe = std::move(writeEnd);
}

void LeftoverGuard::watch(const std::string &path)
{
    if (!m_pipe.valid())
        return;
    const std::string record = path + '\0';
    posix::writeAll(m_pipe.get(), record.data(), record.size());
}

} // namespace converter
