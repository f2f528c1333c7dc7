#include "converter/part_child.h"

#include "converter/part_program.h"
#include "posix/close_descriptors.h"
#include "posix/eintr.h"
#include "posix/write_all.h"

#include <algorithm>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace converter {

namespace {

// Descriptor numbers inside the child, in the request's order.
constexpr int inputDescriptor = 3;
constexpr int pdfDescriptor = 4;
constexpr int folderDescriptor = 5;
constexpr int reportDescriptor = 6;

// A scratch space with less than this left is full: Ghostscript's last write did not fit.
constexpr std::uint64_t nearlyFull = std::uint64_t{1} << 20;

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

void limitTime(std::uint32_t seconds)
{
    // The wall clock first (a part waiting on nothing), the processor as a second line.
    ::alarm(seconds);
    rlimit cpu = {};
    cpu.rlim_cur = seconds + 1;
    cpu.rlim_max = seconds + 2;
    ::setrlimit(RLIMIT_CPU, &cpu);
}

[[noreturn]] void reportAndLeave(const std::string &report, int status)
{
    posix::writeAll(reportDescriptor, report.data(), report.size());
    GhostscriptInterpreter::leave(status);
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

// The PDF a writer of the child's own wrote in its scratch folder, into the part's PDF.
void copyOwnPdf(const std::string &path)
{
    const posix::UniqueFd own(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat status = {};
    if (!own.valid() || ::fstat(own.get(), &status) != 0)
        return;
    off_t from = 0;
    while (from < status.st_size) {
        const ssize_t sent = posix::retryOnInterrupt([&] {
            return ::sendfile(pdfDescriptor, own.get(), &from,
                              static_cast<std::size_t>(status.st_size - from));
        });
        if (sent <= 0)
            return;
    }
}

// The limit a failed part reached, when it was one: its memory (Ghostscript ran out of it) or
// its scratch space (full, or out of files).
const char *limitReached(const std::string &report, const GhostscriptInterpreter::Outcome &run,
                         bool ownScratch, int scratchFd)
{
    if (run.code == GhostscriptInterpreter::memoryErrorCode() ||
        report.starts_with("error VMerror "))
        return "memory";
    struct statvfs space = {};
    if (ownScratch && ::fstatvfs(scratchFd, &space) == 0 &&
        (space.f_bavail * space.f_frsize < nearlyFull || space.f_favail == 0))
        return "scratch";
    return nullptr;
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
                  const PartWalls &walls, const PartRequest &request,
                  std::vector<posix::UniqueFd> fds, pid_t zygote)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != zygote)
        GhostscriptInterpreter::leave(127);
    ::prctl(PR_SET_NAME, "brakwen-gs-part");
    ::prctl(PR_SET_DUMPABLE, 0);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    // A file grown past the part's limit ends it, which tells that failure apart.
    ::signal(SIGXFSZ, SIG_DFL);
    keepOnlyRequestDescriptors(fds, writer);

    const posix::UniqueFd scratch = enterPartScratch(walls, folderDescriptor);
    // In a private root, the converter's folder would be a way out of it.
    ::close(folderDescriptor);
    const std::string scratchName = partScratchName(walls, scratch.get());
    if (!scratch.valid() ||
        (writer.opened() && !takeOwnCopies(writer, scratch.get(), pdfDescriptor)))
        reportAndLeave("error setup -\n", 1);
    ::setenv("TMPDIR", scratchName.c_str(), 1);
    if (scratchName != partScratch)
        interpreter.movePermittedFolder(partScratch, scratchName);
    interpreter.setInput(inputDescriptor);
    limitTime(request.timeLimitSeconds);
    if (!shutPartIn(walls, scratch.get()))
        reportAndLeave("error unconfined -\n", 1);

    interpreter.takeOutput();
    std::string report;
    bool finished = false;
    const std::string ownPdf = writer.opened() ? "" : scratchName + "/part.pdf";
    if (interpreter.run(pageSetupProgram(request, ownPdf)).failed())
        reportAndLeave("error setup -\npages -\n", 1);
    const GhostscriptInterpreter::Outcome part = interpreter.run(partProgram());
    interpreter.setPassOnOutput(false);
    interpreter.takeOutput();
    if (part.quit()) {
        // As Ghostscript alone would: the page drawn so far is written out and the run ends,
        // successfully only when quit was given no error code.
        interpreter.shutDown();
        if (!ownPdf.empty())
            copyOwnPdf(ownPdf);
        report = part.exitCode == 0 ? "quit\npages -\n"
                                    : "error quit " + std::to_string(part.exitCode) + "\n";
        finished = part.exitCode == 0;
    } else {
        report = part.failed() || interpreter.run(outcomeProgram()).failed()
                     ? "error interrupted -\n"
                     : interpreter.takeOutput();
        if (const char *limit = limitReached(report, part, walls.ownRoot, scratch.get()))
            reportAndLeave("limit " + std::string(limit) + "\npages -\n", 1);
        // Once the PDF is written out, the writer opens an empty document in its place, which
        // costs as much as a small part; with nowhere to make its scratch files, that
        // opening fails at its first step. The PDF counts when it was written to its end.
        ::setenv("TMPDIR", "/dev/null", 1);
        interpreter.run(finishProgram());
        const std::string pages = interpreter.takeOutput();
        report += "pages " + pages.substr(0, pages.find('\n') + 1);
        if (!ownPdf.empty())
            copyOwnPdf(ownPdf);
        finished = endsWithTrailer(pdfDescriptor);
    }
    reportAndLeave(report, finished ? 0 : 1);
}

PartReport parsePartReport(std::string_view text)
{
    PartReport report;
    std::string_view line = text.substr(0, text.find('\n'));
    report.outcome = std::string(firstWord(line));
    if (report.outcome == "error" || report.outcome == "limit") {
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
