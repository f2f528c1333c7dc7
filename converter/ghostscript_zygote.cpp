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
#include <sys/stat.h>
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

// What the zygote is given at its fork.
struct ZygoteStart
{
    const std::vector<std::string> &options;
    bool passOnOutput;
    int socket;
    int guardHolder;
    pid_t converter;
    const PartLimits &limits;
    const std::string &folder;
};

// Dies with the converter, holds nothing of what it holds (the job's parts list, its report)
// but its socket and the watcher's pipe, moved out of the way of the descriptors the children
// use, and sees no setting that would change what Ghostscript reads or where it writes: the
// temporary folder Ghostscript starts with, and so the only one -dSAFER opens to a document, is
// the part's own in its private root.
void standApart(ZygoteStart &start)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != start.converter)
        ::_exit(127);
    ::prctl(PR_SET_NAME, "brakwen-gs");
    start.socket = ::fcntl(start.socket, F_DUPFD_CLOEXEC, highDescriptor);
    if (start.guardHolder >= 0)
        start.guardHolder = ::fcntl(start.guardHolder, F_DUPFD_CLOEXEC, highDescriptor);
    posix::closeDescriptorsFrom(3, {start.socket, start.guardHolder});
    const int nothing = ::open("/dev/null", O_RDWR);
    ::dup2(nothing, STDIN_FILENO);
    ::dup2(nothing, STDOUT_FILENO);
    ::close(nothing);
    sandbox::dropGhostscriptSettings();
    ::setenv("TMPDIR", partScratch, 1);
}

struct Ghostscript
{
    std::optional<GhostscriptInterpreter> interpreter;
    PdfWriterFiles writer;
};

// Ghostscript started, its common fonts and colour transforms loaded and its PDF writer opened
// (its scratch files in `folder`), all before any document is read.
bool prepareGhostscript(Ghostscript &ghostscript, const ZygoteStart &start)
{
    try {
        ghostscript.interpreter.emplace(start.options, start.passOnOutput);
        GhostscriptInterpreter &interpreter = *ghostscript.interpreter;
        interpreter.setPassOnOutput(false);
        if (interpreter.run(warmUpProgram()).failed())
            return false;
        ghostscript.writer = openSharedPdfWriter(interpreter, start.folder);
        interpreter.takeOutput();
        // Every part's fork copies the zygote's page tables and every child's end drops them:
        // fewer, larger pages make both cheaper.
        posix::moveMemoryToHugePages();
        interpreter.setPassOnOutput(start.passOnOutput);
        return true;
    } catch (const ConversionFailure &) {
        return false;
    }
}

// The children running, each with its part's index; each one's end told to the converter.
class Children
{
public:
    Children(int socket, int endings) : m_socket(socket), m_endings(endings) {}

    void start(Ghostscript &ghostscript, const PartWalls &walls, const PartRequest &request,
               std::vector<posix::UniqueFd> fds)
    {
        // Taken before the fork: a child that asked its parent afterwards would be told "init"
        // when the zygote died meanwhile, and would run on, orphaned, to its time limit.
        const pid_t zygote = ::getpid();
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(m_socket);
            ::close(m_endings);
            runPartChild(*ghostscript.interpreter, ghostscript.writer, walls, request,
                         std::move(fds), zygote);
        }
        if (child < 0) {
            send(m_socket, ZygoteEvent{ZygoteEvent::Refused, request.index, 0, 0, 0, 0});
            return;
        }
        m_running.emplace(child, request.index);
        send(m_socket, ZygoteEvent{ZygoteEvent::Started, request.index, child, 0, 0, 0});
    }

    void reportEnded()
    {
        signalfd_siginfo info;
        while (::read(m_endings, &info, sizeof info) > 0) {
        }
        int status = 0;
        rusage usage = {};
        for (pid_t ended; (ended = ::wait4(-1, &status, WNOHANG, &usage)) > 0;) {
            const auto found = m_running.find(ended);
            if (found == m_running.end())
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
            m_running.erase(found);
            send(m_socket, event);
        }
    }

    // The converter is gone: so are its parts.
    ~Children()
    {
        for (const auto &[pid, index] : m_running)
            ::kill(pid, SIGKILL);
    }

private:
    int m_socket;
    int m_endings;
    std::unordered_map<pid_t, std::uint64_t> m_running;
};

// Until the converter goes (its socket closes): a child per request, and word of each end.
void serveRequests(Ghostscript &ghostscript, const PartWalls &walls, int socket, int endings)
{
    Children children(socket, endings);
    for (;;) {
        pollfd waits[2] = {{socket, POLLIN, 0}, {endings, POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0 && errno != EINTR)
            return;
        if ((waits[1].revents & POLLIN) != 0)
            children.reportEnded();
        if ((waits[0].revents & (POLLIN | POLLHUP | POLLERR)) == 0)
            continue;
        PartRequest request;
        std::vector<posix::UniqueFd> fds;
        const ssize_t got = posix::receiveWithDescriptors(socket, &request, sizeof request, fds);
        if (got <= 0)
            return;
        if (got != sizeof request || fds.size() != requestDescriptors)
            send(socket, ZygoteEvent{ZygoteEvent::Refused, request.index, 0, 0, 0, 0});
        else
            children.start(ghostscript, walls, request, std::move(fds));
    }
}

// The zygote's whole life: apart from the converter, Ghostscript started, the walls raised,
// then a child per request until the converter goes or kills it.
[[noreturn]] void serve(ZygoteStart start)
{
    standApart(start);
    sigset_t childEnded;
    sigemptyset(&childEnded);
    sigaddset(&childEnded, SIGCHLD);
    ::sigprocmask(SIG_BLOCK, &childEnded, nullptr);
    const int endings = ::signalfd(-1, &childEnded, SFD_CLOEXEC | SFD_NONBLOCK);

    Ghostscript ghostscript;
    if (!prepareGhostscript(ghostscript, start)) {
        send(start.socket, ZygoteEvent{ZygoteEvent::Refused, 0, 0, 0, 0, 0});
        ::_exit(1);
    }
    // Raised once Ghostscript has read all it reads at its start, from anywhere.
    const std::string root = start.folder + "/root";
    ::mkdir(root.c_str(), 0700);
    const PartWalls walls = raiseZygoteWalls(start.limits, root);
    ZygoteEvent ready{ZygoteEvent::Ready, 0, 0, 0, 0, 0};
    ready.walls = walls.summary();
    send(start.socket, ready);
    serveRequests(ghostscript, walls, start.socket, endings);
    ::_exit(0);
}

} // namespace

GhostscriptZygote::GhostscriptZygote(const std::vector<std::string> &options, bool passOnOutput,
                                     int guardHolder, const PartLimits &limits,
                                     const std::string &folder)
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
        serve({options, passOnOutput, theirs.get(), guardHolder, converter, limits, folder});
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
    m_walls = PartWalls::fromSummary(first->walls);
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
