#include "converter/ghostscript_zygote.h"

#include "converter/conversion_failure.h"
#include "converter/ghostscript_interpreter.h"
#include "converter/part_child.h"
#include "converter/part_program.h"
#include "converter/pdf_writer_files.h"
#include "posix/close_descriptors.h"
#include "posix/descriptor_passing.h"
#include "posix/eintr.h"
#include "posix/huge_pages.h"
#include "sandbox/ghostscript_sandbox.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <unordered_map>
#include <utility>

namespace converter {

namespace {

// Above the children's descriptors (3 to 6), below anything a low descriptor limit forbids.
constexpr int highDescriptor = 7;

void send(int socket, const ZygoteEvent &event)
{
    posix::sendWithDescriptors(socket, &event, sizeof event, {});
}

// The zygote's whole life: start Ghostscript, then fork a child per request and tell how each
// ended, until the converter goes (its socket closes) or kills it.
[[noreturn]] void serve(int socket, const std::vector<std::string> &options, bool passOnOutput,
                        int guardHolder, pid_t converter)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != converter)
        ::_exit(127);
    ::prctl(PR_SET_NAME, "brakwen-gs");
    // Kept out of the way of the descriptors the children use.
    socket = ::fcntl(socket, F_DUPFD_CLOEXEC, highDescriptor);
    if (guardHolder >= 0)
        guardHolder = ::fcntl(guardHolder, F_DUPFD_CLOEXEC, highDescriptor);
    // Nothing the converter holds (the job's parts list, its report) reaches the zygote.
    posix::closeDescriptorsFrom(3, {socket, guardHolder});
    const int nothing = ::open("/dev/null", O_RDWR);
    ::dup2(nothing, STDIN_FILENO);
    ::dup2(nothing, STDOUT_FILENO);
    ::close(nothing);
    // Each child is given its own temporary folder.
    for (const char *name : sandbox::ghostscriptVariablesToDrop)
        ::unsetenv(name);

    sigset_t childEnded;
    sigemptyset(&childEnded);
    sigaddset(&childEnded, SIGCHLD);
    ::sigprocmask(SIG_BLOCK, &childEnded, nullptr);
    const int endings = ::signalfd(-1, &childEnded, SFD_CLOEXEC | SFD_NONBLOCK);

    std::optional<GhostscriptInterpreter> interpreter;
    PdfWriterFiles writer;
    try {
        interpreter.emplace(options, passOnOutput);
        interpreter->setPassOnOutput(false);
        if (interpreter->run(warmUpProgram()).failed())
            throw ConversionFailure("Ghostscript ne peut pas être préparé");
        writer = openSharedPdfWriter(*interpreter);
        interpreter->takeOutput();
        // Every part's fork copies the zygote's page tables and every child's end drops them:
        // fewer, larger pages make both cheaper.
        posix::moveMemoryToHugePages();
        interpreter->setPassOnOutput(passOnOutput);
    } catch (const ConversionFailure &) {
        send(socket, ZygoteEvent{ZygoteEvent::Refused, 0, 0, 0, 0, 0});
        ::_exit(1);
    }
    send(socket, ZygoteEvent{ZygoteEvent::Ready, 0, 0, 0, 0, 0});

    std::unordered_map<pid_t, std::uint64_t> running;
    for (;;) {
        pollfd waits[2] = {{socket, POLLIN, 0}, {endings, POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0 && errno != EINTR)
            break;
        if ((waits[1].revents & POLLIN) != 0) {
            signalfd_siginfo info;
            while (::read(endings, &info, sizeof info) > 0) {
            }
            int status = 0;
            rusage usage = {};
            for (pid_t ended; (ended = ::wait4(-1, &status, WNOHANG, &usage)) > 0;) {
                const auto found = running.find(ended);
                if (found == running.end())
                    continue;
                ZygoteEvent event{ZygoteEvent::Ended, found->second, ended, 0, 0, 0, 0};
                event.cpuMicroseconds = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000 +
                                        usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
                if (WIFEXITED(status)) {
                    event.exited = 1;
                    event.code = WEXITSTATUS(status);
                } else if (WIFSIGNALED(status)) {
                    event.signal = WTERMSIG(status);
                }
                running.erase(found);
                send(socket, event);
            }
        }
        if ((waits[0].revents & (POLLIN | POLLHUP | POLLERR)) == 0)
            continue;
        PartRequest request;
        std::vector<posix::UniqueFd> fds;
        const ssize_t got = posix::receiveWithDescriptors(socket, &request, sizeof request, fds);
        if (got <= 0)
            break;
        if (got != sizeof request || fds.size() != requestDescriptors) {
            send(socket, ZygoteEvent{ZygoteEvent::Refused, request.index, 0, 0, 0, 0});
            continue;
        }
        // Taken before the fork: a child that asked its parent afterwards would be told "init"
        // when the zygote died meanwhile, and would run on, orphaned, to its time limit.
        const pid_t zygote = ::getpid();
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(socket);
            ::close(endings);
            runPartChild(*interpreter, writer, request, std::move(fds), zygote);
        }
        if (child < 0) {
            send(socket, ZygoteEvent{ZygoteEvent::Refused, request.index, 0, 0, 0, 0});
            continue;
        }
        running.emplace(child, request.index);
        send(socket, ZygoteEvent{ZygoteEvent::Started, request.index, child, 0, 0, 0});
    }
    // The converter is gone: so are its parts.
    for (const auto &[pid, index] : running)
        ::kill(pid, SIGKILL);
    ::_exit(0);
}

} // namespace

GhostscriptZygote::GhostscriptZygote(const std::vector<std::string> &options, bool passOnOutput,
                                     int guardHolder)
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0)
        throw ConversionFailure("Ghostscript ne peut pas être lancé");
    posix::UniqueFd ours(ends[0]);
    posix::UniqueFd theirs(ends[1]);
    const pid_t converter = ::getpid();
    m_pid = ::fork();
    if (m_pid < 0)
        throw ConversionFailure("Ghostscript ne peut pas être lancé");
    if (m_pid == 0) {
        ours.reset();
        serve(theirs.get(), options, passOnOutput, guardHolder, converter);
    }
    m_socket = std::move(ours);
}

GhostscriptZygote::~GhostscriptZygote()
{
    stop();
}

void GhostscriptZygote::waitUntilReady()
{
    const std::optional<ZygoteEvent> first = nextEvent();
    if (!first || first->kind != ZygoteEvent::Ready)
        throw ConversionFailure("Ghostscript (libgs) ne peut pas être démarré");
}

bool GhostscriptZygote::launch(const PartRequest &request, const int (&fds)[requestDescriptors])
{
    return posix::sendWithDescriptors(m_socket.get(), &request, sizeof request, fds);
}

std::optional<ZygoteEvent> GhostscriptZygote::nextEvent()
{
    ZygoteEvent event;
    std::vector<posix::UniqueFd> none;
    const ssize_t got = posix::receiveWithDescriptors(m_socket.get(), &event, sizeof event, none);
    if (got != sizeof event)
        return std::nullopt;
    return event;
}

void GhostscriptZygote::stop()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGKILL);
    int status = 0;
    posix::retryOnInterrupt([&] { return ::waitpid(m_pid, &status, 0); });
    m_pid = -1;
    m_socket.reset();
}

} // namespace converter
