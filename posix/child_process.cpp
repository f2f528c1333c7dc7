#include "posix/child_process.h"

#include "posix/eintr.h"
#include "posix/unique_fd.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <initializer_list>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace posix {

namespace {

ExitStatus decode(int status)
{
    ExitStatus result;
    if (WIFEXITED(status)) {
        result.exited = true;
        result.code = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}

std::vector<char *> pointers(const std::vector<std::string> &strings)
{
    std::vector<char *> result;
    result.reserve(strings.size() + 1);
    for (const std::string &text : strings)
        result.push_back(const_cast<char *>(text.c_str()));
    result.push_back(nullptr);
    return result;
}

// Everything between fork and exec: system calls only, since the parent may have other threads
// whose locks the child inherits in whatever state they were.
[[noreturn]] void becomeChild(const ChildSetup &setup, const char *program, char *const *argv,
                              char *const *envp, pid_t parent, int reportFd)
{
    if (setup.ownProcessGroup)
        ::setpgid(0, 0);
    if (setup.endsWithParent) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
    }
    // A child must not inherit a blocked or ignored SIGCHLD or SIGPIPE, nor our handlers' mask.
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction byDefault = {};
    byDefault.sa_handler = SIG_DFL;
    for (int number : {SIGCHLD, SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        ::sigaction(number, &byDefault, nullptr);

    // Two passes, so that a mapping never overwrites a descriptor another mapping still needs.
    // The spare copies go just above the highest target, never far up: under a low descriptor
    // limit (ulimit -n) a high number cannot be had.
    int spareBase = 3;
    for (const auto &[target, source] : setup.descriptors)
        if (target >= spareBase)
            spareBase = target + 1;
    int spare[64];
    const std::size_t count = setup.descriptors.size() < 64 ? setup.descriptors.size() : 64;
    for (std::size_t i = 0; i < count; ++i)
        spare[i] = ::fcntl(setup.descriptors[i].second, F_DUPFD_CLOEXEC, spareBase);
    for (std::size_t i = 0; i < count; ++i) {
        if (spare[i] < 0 || ::dup2(spare[i], setup.descriptors[i].first) < 0)
            ::_exit(127);
    }
    for (const auto &[resource, limit] : setup.limits) {
        const rlimit both = {limit, limit};
        if (::setrlimit(resource, &both) != 0)
            ::_exit(127);
    }
    ::execve(program, argv, envp);
    const int error = errno;
    [[maybe_unused]] const ssize_t ignored = ::write(reportFd, &error, sizeof error);
    ::_exit(127);
}

} // namespace

std::string findInPath(const std::string &name)
{
    if (name.find('/') != std::string::npos)
        return name;
    const char *path = std::getenv("PATH");
    const std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = folders.find(':', start);
        // An empty entry is the current folder.
        std::string candidate =
            end == start ? std::string(".") : folders.substr(start, end - start);
        candidate.append(1, '/').append(name);
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        if (end == std::string::npos)
            return {};
        start = end + 1;
    }
}

std::optional<ChildProcess> ChildProcess::start(const ChildSetup &setup)
{
    if (setup.arguments.empty()) {
        errno = EINVAL;
        return std::nullopt;
    }
    const std::string program =
        setup.searchPath ? findInPath(setup.arguments[0]) : setup.arguments[0];
    if (program.empty()) {
        errno = ENOENT;
        return std::nullopt;
    }
    const std::vector<char *> argv = pointers(setup.arguments);
    const std::vector<char *> ownEnvironment =
        setup.environment ? pointers(*setup.environment) : std::vector<char *>{};
    char *const *envp = setup.environment ? ownEnvironment.data() : environ;

    // The child reports a failed exec through this pipe; a successful exec closes it unread.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return std::nullopt;
    UniqueFd reportRead(report[0]);
    UniqueFd reportWrite(report[1]);

    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0)
        becomeChild(setup, program.c_str(), argv.data(), envp, parent, reportWrite.get());

    // Set here too: whichever of parent and child runs first, the group exists before anyone
    // signals it.
    if (setup.ownProcessGroup)
        ::setpgid(child, child);
    reportWrite.reset();
    int error = 0;
    const ssize_t got =
        retryOnInterrupt([&] { return ::read(reportRead.get(), &error, sizeof error); });
    if (got == static_cast<ssize_t>(sizeof error)) {
        int status = 0;
        retryOnInterrupt([&] { return ::waitpid(child, &status, 0); });
        errno = error;
        return std::nullopt;
    }
    return ChildProcess(child, setup.ownProcessGroup);
}

ChildProcess::ChildProcess(ChildProcess &&other) noexcept
    : m_pid(other.m_pid), m_groupLeader(other.m_groupLeader), m_status(other.m_status)
{
    other.m_pid = -1;
}

ChildProcess::~ChildProcess()
{
    if (m_pid > 0 && !m_status) {
        signal(SIGKILL);
        wait();
    }
}

std::optional<ExitStatus> ChildProcess::poll()
{
    if (m_status || m_pid <= 0)
        return m_status;
    int status = 0;
    const pid_t waited = retryOnInterrupt([&] { return ::waitpid(m_pid, &status, WNOHANG); });
    if (waited == m_pid)
        m_status = decode(status);
    else if (waited < 0)
        m_status = ExitStatus{}; // reaped elsewhere: how it ended is unknown
    return m_status;
}

ExitStatus ChildProcess::wait()
{
    if (m_status || m_pid <= 0)
        return m_status.value_or(ExitStatus{});
    int status = 0;
    const pid_t waited = retryOnInterrupt([&] { return ::waitpid(m_pid, &status, 0); });
    m_status = waited == m_pid ? decode(status) : ExitStatus{};
    return *m_status;
}

void ChildProcess::signal(int number) const
{
    if (m_pid <= 0 || m_status)
        return;
    if (m_groupLeader)
        ::kill(-m_pid, number);
    else
        ::kill(m_pid, number);
}

ExitStatus ChildProcess::stop(int graceMilliseconds)
{
    signal(SIGTERM);
    constexpr int stepMilliseconds = 10;
    for (int waited = 0; waited < graceMilliseconds; waited += stepMilliseconds) {
        if (const auto status = poll())
            return *status;
        const timespec pause{0, stepMilliseconds * 1'000'000L};
        ::nanosleep(&pause, nullptr);
    }
    signal(SIGKILL);
    return wait();
}

} // namespace posix
