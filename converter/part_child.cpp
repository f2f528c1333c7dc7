#include "converter/part_child.h"

#include "converter/part_program.h"
#include "posix/close_descriptors.h"
#include "posix/path_confinement.h"
#include "posix/write_all.h"
#include "sandbox/ghostscript_sandbox.h"

#include <algorithm>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace converter {

namespace {

// Descriptor numbers inside the child, as the part programs name them.
constexpr int inputDescriptor = 3;
constexpr int reportDescriptor = 6;

// Places the request's descriptors at 3 (input), 4 (PDF), 5 (folder) and 6 (report), stdin on
// /dev/null, and closes everything else but the PDF writer's files, the zygote's socket included.
void keepOnlyRequestDescriptors(std::vector<posix::UniqueFd> &fds, const PdfWriterFiles &writer)
{
    const int nothing = ::open("/dev/null", O_RDWR);
    int spare[requestDescriptors];
    for (int i = 0; i < requestDescriptors; ++i)
        spare[i] = ::fcntl(fds[static_cast<std::size_t>(i)].get(), F_DUPFD,
                           inputDescriptor + requestDescriptors);
    ::dup2(nothing, STDIN_FILENO);
    ::dup2(nothing, STDOUT_FILENO);
    for (int i = 0; i < requestDescriptors; ++i)
        ::dup2(spare[i], inputDescriptor + i);
    // Ghostscript's words reach stderr through the interpreter's own callbacks, when asked.
    std::vector<int> kept = writer.scratch;
    kept.push_back(writer.output);
    posix::closeDescriptorsFrom(inputDescriptor + requestDescriptors, std::move(kept));
    for (posix::UniqueFd &fd : fds)
        fd.release();
}

// The system's fonts, Ghostscript's resources and fontconfig's settings to read; the part's own
// folder to write in; /dev/null, where the finished PDF writer is pointed.
void confine()
{
    posix::PathConfinement confinement;
    std::vector<posix::UniqueFd> held;
    sandbox::allowGhostscriptResources(confinement, held);
    confinement.allowWriting(inputDescriptor + 2);
    // Its own PDF too, for a child that opens a PDF writer of its own by that file's name.
    confinement.allowWriting(inputDescriptor + 1);
    posix::UniqueFd nothing(::open("/dev/null", O_PATH | O_CLOEXEC));
    confinement.allowWriting(nothing.get());
    confinement.apply();
}

void limitTime(std::uint32_t seconds)
{
    // The wall clock first (a part waiting on nothing), the processor as a second line.
    ::alarm(seconds);
    rlimit cpu = {};
    cpu.rlim_cur = seconds + 1;
    cpu.rlim_max = seconds + 2;
    ::setrlimit(RLIMIT_CPU, &cpu);
    rlimit core = {};
    ::setrlimit(RLIMIT_CORE, &core);
}

// Whether the PDF on fd ends with the end-of-file line, the last thing the writer writes.
bool endsWithTrailer(int fd)
{
    constexpr std::string_view marker = "%%EOF\n";
    struct stat status = {};
    if (::fstat(fd, &status) != 0 || status.st_size < static_cast<off_t>(marker.size()))
        return false;
    char tail[marker.size()];
    const off_t at = status.st_size - static_cast<off_t>(marker.size());
    return ::pread(fd, tail, sizeof tail, at) == static_cast<ssize_t>(sizeof tail) &&
           std::string_view(tail, sizeof tail) == marker;
}

std::string_view firstWord(std::string_view &text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    const std::size_t end = std::min(text.find(' '), text.size());
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(end);
    return word;
}

} // namespace

void runPartChild(GhostscriptInterpreter &interpreter, const PdfWriterFiles &writer,
                  const PartRequest &request, std::vector<posix::UniqueFd> fds, pid_t zygote)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != zygote)
        GhostscriptInterpreter::leave(127);
    ::prctl(PR_SET_NAME, "brakwen-gs-part");
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    keepOnlyRequestDescriptors(fds, writer);
    if (writer.opened() && !takeOwnCopies(writer, inputDescriptor + 2, inputDescriptor + 1)) {
        const std::string report = "error setup -\n";
        posix::writeAll(reportDescriptor, report.data(), report.size());
        GhostscriptInterpreter::leave(1);
    }
    ::setenv("TMPDIR", "/dev/fd/5", 1);
    ::prctl(PR_SET_DUMPABLE, 0);
    confine();
    limitTime(request.timeLimitSeconds);

    interpreter.takeOutput();
    std::string report;
    bool finished = false;
    if (interpreter.run(pageSetupProgram(request, !writer.opened())).failed()) {
        report = "error setup -\npages -\n";
    } else {
        const GhostscriptInterpreter::Outcome part = interpreter.run(partProgram());
        interpreter.setPassOnOutput(false);
        interpreter.takeOutput();
        if (part.quit()) {
            // As Ghostscript alone would: the page drawn so far is written out and the run ends,
            // successfully only when quit was given no error code.
            interpreter.shutDown();
            report = part.exitCode == 0 ? "quit\npages -\n"
                                        : "error quit " + std::to_string(part.exitCode) + "\n";
            finished = part.exitCode == 0;
        } else {
            report = part.failed() || interpreter.run(outcomeProgram()).failed()
                         ? "error interrupted -\n"
                         : interpreter.takeOutput();
            // Once the PDF is written out, the writer opens an empty document in its place, which
            // costs as much as a small part; with nowhere to make its scratch files, that
            // opening fails at its first step. The PDF counts when it was written to its end.
            ::setenv("TMPDIR", "/dev/null", 1);
            interpreter.run(finishProgram());
            const std::string pages = interpreter.takeOutput();
            report += "pages " + pages.substr(0, pages.find('\n') + 1);
            finished = endsWithTrailer(inputDescriptor + 1);
        }
    }
    posix::writeAll(reportDescriptor, report.data(), report.size());
    GhostscriptInterpreter::leave(finished ? 0 : 1);
}

PartReport parsePartReport(std::string_view text)
{
    PartReport report;
    std::string_view line = text.substr(0, text.find('\n'));
    report.outcome = std::string(firstWord(line));
    if (report.outcome == "error") {
        report.errorName = std::string(firstWord(line));
        report.command = std::string(firstWord(line));
    }
    const std::size_t pagesAt = text.find("\npages ");
    if (pagesAt != std::string_view::npos) {
        std::string_view pages = text.substr(pagesAt + 7);
        pages = pages.substr(0, pages.find('\n'));
        long count = -1;
        const auto [end, error] = std::from_chars(pages.data(), pages.data() + pages.size(), count);
        if (error == std::errc() && end == pages.data() + pages.size())
            report.pages = count;
    }
    return report;
}

} // namespace converter
