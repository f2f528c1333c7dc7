#include "converter/conversion.h"

#include "assembly/part_manifest.h"
#include "converter/ceilings.h"
#include "converter/conversion_failure.h"
#include "converter/ghostscript_interpreter.h"
#include "converter/ghostscript_zygote.h"
#include "converter/leftover_guard.h"
#include "converter/part_conversions.h"
#include "converter/part_plan.h"
#include "converter/pdf_output.h"
#include "converter/pdf_text.h"
#include "posix/eintr.h"
#include "posix/folder.h"
#include "posix/path.h"
#include "posix/pending_file.h"
#include "posix/processor_time.h"
#include "posix/stop_signals.h"
#include "posix/unique_fd.h"
#include "sandbox/ghostscript_sandbox.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sched.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace converter {

namespace {

// A descriptor number given in the environment, or -1.
int descriptorFromEnvironment(const char *name)
{
    const char *value = std::getenv(name);
    if (value == nullptr || *value == '\0')
        return -1;
    int fd = -1;
    const char *end = value + std::char_traits<char>::length(value);
    const auto [last, error] = std::from_chars(value, end, fd);
    return error == std::errc() && last == end && fd >= 0 ? fd : -1;
}

std::string readWhole(int fd)
{
    std::string text;
    char buffer[65536];
    for (off_t offset = 0;;) {
        const ssize_t got =
            posix::retryOnInterrupt([&] { return ::pread(fd, buffer, sizeof buffer, offset); });
        if (got < 0)
            throw ConversionFailure("le découpage transmis par le programme est illisible");
        if (got == 0)
            return text;
        text.append(buffer, static_cast<std::size_t>(got));
        offset += got;
    }
}

// The folder a private temporary one is made in: TMPDIR or /tmp, made absolute so that no name
// handed to Ghostscript starts with a dash or depends on its working folder.
std::string temporaryBase()
{
    const char *folder = std::getenv("TMPDIR");
    std::string base = folder != nullptr && *folder != '\0' ? folder : "/tmp";
    if (base.front() != '/') {
        std::error_code ignored;
        base = (std::filesystem::current_path(ignored) / base).string();
    }
    return base;
}

// Ghostscript's scratch files, small and made by the thousand, go to memory when the system has
// a shared-memory file system for this user: making files there costs far less than on disk.
std::string scratchBase()
{
    struct stat status = {};
    if (::stat("/dev/shm", &status) == 0 && S_ISDIR(status.st_mode) &&
        ::access("/dev/shm", W_OK | X_OK) == 0)
        return "/dev/shm";
    return temporaryBase();
}

// A folder only this user may enter, watched before it exists so that it never stays behind.
std::string makePrivateFolder(LeftoverGuard &guard, const std::string &base)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = base + "/brakwen-ps2pdf-" + posix::randomHex(12);
        guard.watch(candidate);
        if (::mkdir(candidate.c_str(), 0700) == 0)
            return candidate;
        if (errno != EEXIST)
            break;
    }
    throw ConversionFailure("dossier temporaire impossible à créer dans " + base);
}

// Ghostscript's options: the shared sandbox's, then /dev/null writable (where the finished PDF
// writer is pointed), then the response file's; started without a device: each part's PDF writer
// is selected in its child. Last, an empty standard input run as a file, which makes Ghostscript
// read the parts (each child's own %stdin) in blocks rather than a byte at a time.
std::vector<std::string> ghostscriptOptions(const std::string &responseFile)
{
    std::vector<std::string> options = sandbox::ghostscriptOptions();
    options.insert(options.end(), {"-dNODISPLAY", "-dNOEPS", "--permit-file-write=/dev/null",
                                   "--permit-file-control=/dev/null", "@" + responseFile, "-_"});
    return options;
}

// As many parts at once as there are processors for this program, and never more than its
// descriptors allow (each part running holds one here, and a few while it starts).
unsigned partsAtOnce()
{
    cpu_set_t cpus;
    CPU_ZERO(&cpus);
    unsigned processors = 1;
    if (::sched_getaffinity(0, sizeof cpus, &cpus) == 0)
        processors = static_cast<unsigned>(CPU_COUNT(&cpus));
    rlimit files = {};
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY) {
        const auto spare = files.rlim_cur > 32 ? (files.rlim_cur - 32) / 2 : 1;
        if (spare < processors)
            processors = static_cast<unsigned>(spare);
    }
    return processors > 0 ? processors : 1;
}

// Seconds a part may take: BRAKWEN_TIME_LIMIT when the job sets it, else 60.
unsigned timeLimit()
{
    const char *value = std::getenv(assembly::timeLimitVariable);
    unsigned seconds = 0;
    if (value != nullptr) {
        const char *end = value + std::char_traits<char>::length(value);
        const auto [last, error] = std::from_chars(value, end, seconds);
        if (error == std::errc() && last == end && seconds > 0)
            return seconds;
    }
    return assembly::defaultTimeLimitSeconds;
}

// "done total file" on the job's progress pipe; a full pipe only loses an intermediate step.
void reportProgress(int fd, std::size_t done, std::size_t total, std::size_t finished)
{
    const std::string line = std::to_string(done) + " " + std::to_string(total) + " " +
                             std::to_string(finished + 1) + "\n";
    [[maybe_unused]] const ssize_t ignored = ::write(fd, line.data(), line.size());
}

// Where the processor time went, per part, for the benchmarks (BRAKWEN_PROFILE set).
void printCosts(const PartConversionCosts &costs, double readerMilliseconds, std::size_t parts)
{
    const double count = static_cast<double>(parts);
    const double self = posix::processorMilliseconds();
    // The zygote and everything it started, reaped once it was stopped, and the reader.
    const double zygote = posix::processorMilliseconds(posix::ProcessorTimeOf::EndedChildren) -
                          costs.childrenMilliseconds - readerMilliseconds;
    std::fprintf(stderr,
                 "brakwen-ps2pdf: %zu parts; per part, in ms of processor time: Ghostscript "
                 "children %.2f, zygote %.2f (start-up included), PDF reader %.2f (checks, "
                 "join, write), this process %.2f (handing over %.2f, waiting for checks %.2f, "
                 "the rest: plan, moving descriptors)\n",
                 parts, costs.childrenMilliseconds / count, zygote / count,
                 readerMilliseconds / count, self / count, costs.preparingMilliseconds / count,
                 costs.checksMilliseconds / count);
}

// Removes the private folder when the conversion ends, however it ends.
class FolderRemoval
{
public:
    explicit FolderRemoval(std::string path) : m_path(std::move(path)) {}
    FolderRemoval(const FolderRemoval &) = delete;
    FolderRemoval &operator=(const FolderRemoval &) = delete;
    ~FolderRemoval()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }

private:
    std::string m_path;
};

} // namespace

Conversion::Conversion(std::string responseFile, std::string epsPath, std::string pdfPath)
    : m_responseFile(std::move(responseFile)), m_epsPath(std::move(epsPath)),
      m_pdfPath(std::move(pdfPath))
{}

void Conversion::run()
{
    prepare();
    LeftoverGuard guard;
    const unsigned parallel = partsAtOnce();
    const PartLimits limits = partLimits(parallel);
    const std::string scratch = makePrivateFolder(guard, scratchBase());
    const FolderRemoval scratchRemoval(scratch);
    // Both started before any document is read: the reader of the parts' PDFs, so that it holds
    // nothing of the job, and the interpreter every part starts from, so that it has seen none.
    PdfReaderProcess reader(
        {limits.memoryBytes, timeLimit(), [] { return posix::StopSignals::received() != 0; }});
    GhostscriptZygote zygote(ghostscriptOptions(m_responseFile), verbose(),
                             guard.holderDescriptor(), limits, scratch);

    const Files files = openFiles();
    const std::vector<Part> parts = plan(files.input.get(), files.size);
    if (parts.empty())
        throw ConversionFailure(m_epsPath + " : aucune page à convertir");
    throwIfStopped();

    const std::string folder = makePrivateFolder(guard, temporaryBase());
    const FolderRemoval removal(folder);
    PdfOutput output(*files.pdfFolder, files.pdfName, m_pdfPath, guard);
    zygote.waitUntilReady();
    checkWalls(zygote.walls());

    PartConversionCosts costs;
    const std::vector<CheckedPart> checked =
        convertParts(zygote, reader, files.input.get(), parts,
                     settings(folder, scratch, parallel, limits), &costs);
    zygote.stop();
    const long pages = join(reader, parts, checked, output.fd());
    throwIfStopped();
    output.commit();
    if (std::getenv("BRAKWEN_PROFILE") != nullptr)
        printCosts(costs, reader.end(), parts.size());
    reportPages(pages);
}

void Conversion::prepare() const
{
    posix::StopSignals::install();
    // A write past a file size limit, or into a progress pipe nobody reads any more, fails the
    // write instead of killing the converter, which then reports it and cleans up.
    ::signal(SIGXFSZ, SIG_IGN);
    ::signal(SIGPIPE, SIG_IGN);
    struct stat status = {};
    if (::stat(m_responseFile.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
        ::access(m_responseFile.c_str(), R_OK) != 0)
        throw ConversionFailure("fichier d'options introuvable : " + m_responseFile);
}

Conversion::Files Conversion::openFiles() const
{
    // The job hands its folder down, open, so that a folder of any depth serves; by hand, each
    // file is named in the folder its path gives.
    const int handedDown = descriptorFromEnvironment(assembly::folderVariable);
    const std::optional<posix::Folder> epsFolder =
        handedDown >= 0 ? posix::Folder::duplicate(handedDown)
                        : posix::Folder::open(posix::parentFolder(m_epsPath));
    Files files;
    files.pdfFolder = handedDown >= 0 ? posix::Folder::duplicate(handedDown)
                                      : posix::Folder::open(posix::parentFolder(m_pdfPath));
    if (!epsFolder)
        throw ConversionFailure("fichier introuvable : " + m_epsPath);
    if (!files.pdfFolder)
        throw ConversionFailure("écriture impossible dans le dossier : " +
                                posix::parentFolder(m_pdfPath));
    files.pdfName = posix::fileName(m_pdfPath);
    // Opened once: every part is read from this very file, whatever happens to its name.
    files.input =
        posix::UniqueFd(epsFolder->openFile(posix::fileName(m_epsPath), O_RDONLY | O_NONBLOCK));
    struct stat status = {};
    if (!files.input.valid() || ::fstat(files.input.get(), &status) != 0)
        throw ConversionFailure("fichier introuvable : " + m_epsPath);
    if (!S_ISREG(status.st_mode))
        throw ConversionFailure("pas un fichier ordinaire : " + m_epsPath);
    if (status.st_size == 0)
        throw ConversionFailure("fichier vide : " + m_epsPath);
    files.size = static_cast<std::uint64_t>(status.st_size);
    if (const auto existing = files.pdfFolder->status(files.pdfName);
        existing && S_ISDIR(existing->st_mode))
        throw ConversionFailure("le nom du PDF est celui d'un dossier : " + m_pdfPath);
    return files;
}

PartConversionSettings Conversion::settings(const std::string &folder, const std::string &scratch,
                                            unsigned parallel, const PartLimits &limits) const
{
    PartConversionSettings settings;
    settings.folder = folder;
    settings.scratchFolder = scratch;
    settings.parallel = parallel;
    settings.timeLimit = timeLimit();
    settings.limits = limits;
    settings.passOnOutput = verbose();
    settings.stopRequested = [] { return posix::StopSignals::received() != 0; };
    const int progress = descriptorFromEnvironment(assembly::progressVariable);
    settings.progress = [progress](std::size_t done, std::size_t total, std::size_t finished) {
        if (progress >= 0)
            reportProgress(progress, done, total, finished);
    };
    return settings;
}

long Conversion::join(PdfReaderProcess &reader, const std::vector<Part> &parts,
                      const std::vector<CheckedPart> &checked, int outputFd) const
{
    long pages = 0;
    reader.startJoin(outputFd);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const CheckedPart &part = checked[i];
        pages += part.pages;
        const std::string title = parts[i].name.empty() ? "Partie " + std::to_string(i + 1)
                                                        : withoutExtension(parts[i].name);
        reader.copy(part.pdfPath, part.description, part.expectation, part.pages, title);
    }
    DocumentInfo info;
    info.title = documentTitle();
    info.creator = "Brakwen " BRAKWEN_VERSION;
    info.producer = GhostscriptInterpreter::product();
    reader.finishJoin(info);
    return pages;
}

void Conversion::throwIfStopped()
{
    if (posix::StopSignals::received() != 0)
        throw ConversionFailure("interrompu");
}

void Conversion::reportPages(long pages)
{
    const int report = descriptorFromEnvironment(assembly::reportVariable);
    if (report >= 0) {
        const std::string text = assembly::formatPageReport(pages);
        [[maybe_unused]] const ssize_t ignored = ::pwrite(report, text.data(), text.size(), 0);
    }
}

void Conversion::checkWalls(const PartWalls &walls) const
{
    if (!walls.holdAny())
        throw ConversionFailure(
            "Ghostscript ne peut pas être confiné : le système refuse à la fois "
            "les espaces de noms et Landlock ; aucun PDF n'a été écrit");
    if (const std::string missing = missingWalls(walls); !missing.empty() && verbose())
        std::fprintf(stderr, "ps2pdf.bat : %s\n", missing.c_str());
}

bool Conversion::verbose()
{
    const char *asked = std::getenv("BRAKWEN_VERBOSE");
    return descriptorFromEnvironment(assembly::reportVariable) < 0 ||
           (asked != nullptr && *asked != '\0' && std::string(asked) != "0");
}

void Conversion::reportFailure(const std::string &why) const
{
    const int report = descriptorFromEnvironment(assembly::reportVariable);
    if (report >= 0) {
        const std::string text = assembly::formatFailureReport(why);
        [[maybe_unused]] const ssize_t ignored = ::pwrite(report, text.data(), text.size(), 0);
    }
    if (verbose())
        std::fprintf(stderr, "ps2pdf.bat : %s\n", why.c_str());
}

std::string Conversion::documentTitle() const
{
    // The PDF's name without ".pdf": the base name the user gave, or the whole name without one.
    const auto slash = m_pdfPath.find_last_of('/');
    std::string name = slash == std::string::npos ? m_pdfPath : m_pdfPath.substr(slash + 1);
    constexpr std::string_view extension = ".pdf";
    if (name.size() > extension.size() && name.ends_with(extension))
        return name.substr(0, name.size() - extension.size());
    return name;
}

std::vector<Part> Conversion::plan(int input, std::uint64_t size) const
{
    const int manifestFd = descriptorFromEnvironment(assembly::partsVariable);
    if (manifestFd < 0)
        return planByContent(input, size);
    const auto files = assembly::parseManifest(readWhole(manifestFd));
    if (!files)
        throw ConversionFailure("le découpage transmis par le programme est illisible");
    std::uint64_t announced = 0;
    for (const assembly::ManifestPart &file : *files)
        announced += file.size;
    if (announced != size)
        throw ConversionFailure("le découpage transmis annonce " + std::to_string(announced) +
                                " octets, le fichier en compte " + std::to_string(size));
    return planFromManifest(input, *files);
}

} // namespace converter
