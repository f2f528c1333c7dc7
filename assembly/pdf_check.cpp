#include "assembly/pdf_check.h"

#include "posix/child_process.h"
#include "posix/eintr.h"
#include "posix/unique_fd.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <string_view>
#include <unistd.h>

namespace assembly {

std::optional<long> verifiedPageCount(int fd, PdfCheckCeilings ceilings)
{
    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0)
        return std::nullopt;
    posix::UniqueFd outputRead(output[0]);
    posix::UniqueFd outputWrite(output[1]);
    posix::UniqueFd nothing(::open("/dev/null", O_RDWR | O_CLOEXEC));

    posix::ChildSetup setup;
    // The file is read through its descriptor: what is checked is the very file held open, not
    // whatever its name leads to by then.
    setup.arguments = {"qpdf", "--show-npages", "/dev/fd/3"};
    setup.searchPath = true;
    setup.descriptors = {{0, nothing.get()}, {1, outputWrite.get()}, {2, nothing.get()}, {3, fd}};
    setup.endsWithParent = true;
    setup.limits = {{RLIMIT_DATA, ceilings.memory}};
    std::optional<posix::ChildProcess> qpdf = posix::ChildProcess::start(setup);
    outputWrite.reset();
    if (!qpdf)
        return std::nullopt;

    // Working or waiting (a file that never ends, on a remote file system), qpdf is ended by the
    // clock.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(ceilings.seconds);
    std::string text;
    char buffer[256];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd wait = {outputRead.get(), POLLIN, 0};
        if (left <= 0 || posix::retryOnInterrupt([&] {
                             return ::poll(&wait, 1,
                                           static_cast<int>(std::min<long long>(left, INT_MAX)));
                         }) == 0) {
            qpdf->signal(SIGKILL);
            qpdf->wait();
            return std::nullopt;
        }
        const ssize_t got = posix::retryOnInterrupt(
            [&] { return ::read(outputRead.get(), buffer, sizeof buffer); });
        if (got <= 0)
            break;
        // A page count is a few digits; anything longer is not an answer.
        if (text.size() < 64)
            text.append(buffer, static_cast<std::size_t>(got));
    }
    // Exit status 3 means warnings: qpdf had to repair something.
    if (!qpdf->wait().succeeded())
        return std::nullopt;
    long pages = 0;
    const char *const last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, pages);
    if (error != std::errc() ||
        std::string_view(end, static_cast<std::size_t>(last - end)) != "\n" || pages < 0)
        return std::nullopt;
    return pages;
}

} // namespace assembly
