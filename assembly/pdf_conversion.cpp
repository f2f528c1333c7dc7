#include "assembly/pdf_conversion.h"

#include "assembly/file_system.h"
#include "assembly/io_error.h"
#include "assembly/job_error.h"
#include "assembly/pdf_check.h"
#include "posix/anonymous_file.h"
#include "posix/eintr.h"
#include "posix/unique_fd.h"
#include "posix/write_all.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace assembly {

namespace {

const char *const scriptName = "ps2pdf.bat";
const char *const responseFileName = "pdfwrite.rsp";

// Descriptor numbers the converter finds the manifest, its report, the progress pipe and the
// job's folder on.
constexpr int partsDescriptor = 3;
constexpr int reportDescriptor = 4;
constexpr int progressDescriptor = 5;
constexpr int folderDescriptor = 6;

posix::UniqueFd manifestFile(const std::vector<ManifestPart> &parts)
{
    posix::UniqueFd file = posix::anonymousFile("brakwen-parts");
    const std::string text = formatManifest(parts);
    if (!file.valid() || posix::writeAll(file.get(), text.data(), text.size()) != 0 ||
        ::lseek(file.get(), 0, SEEK_SET) != 0)
        return {};
    return file;
}

ConverterReport readReport(int report)
{
    // A report is one short line; a longer one is cut, which leaves it unreadable.
    char text[4096];
    const ssize_t got =
        posix::retryOnInterrupt([&] { return ::pread(report, text, sizeof text, 0); });
    if (got <= 0)
        return {};
    return parseConverterReport(std::string_view(text, static_cast<std::size_t>(got)));
}

std::string exitDescription(const ProcessResult &run)
{
    if (!run.started)
        return "le convertisseur n'a pas pu être lancé";
    if (!run.exited)
        return "le convertisseur s'est arrêté sans se terminer normalement";
    return "le convertisseur a échoué (code " + std::to_string(run.exitStatus) + ")";
}

// Removes the file named only if it is still the one described, never another put there since.
void removeIfStill(const posix::Folder &folder, const std::string &name,
                   const FileIdentity &identity)
{
    const auto now = FileIdentity::ofName(folder.fd(), name);
    if (now && now->sameFile(identity))
        folder.remove(name);
}

// Reads the converter's "done total [file]" lines as they come, passing each on.
class ProgressReader
{
public:
    explicit ProgressReader(std::function<void(int, int, int)> progress)
        : m_progress(std::move(progress))
    {
        int ends[2];
        if (m_progress && ::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
            m_read = posix::UniqueFd(ends[0]);
            m_write = posix::UniqueFd(ends[1]);
        }
    }

    int writeEnd() const { return m_write.get(); }

    void readAvailable()
    {
        if (!m_read.valid())
            return;
        char buffer[4096];
        for (;;) {
            const ssize_t got = ::read(m_read.get(), buffer, sizeof buffer);
            if (got <= 0)
                break;
            m_pending.append(buffer, static_cast<std::size_t>(got));
        }
        for (std::size_t end = m_pending.find('\n'); end != std::string::npos;
             end = m_pending.find('\n')) {
            const std::string line = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            passOn(line);
        }
    }

private:
    void passOn(const std::string &line) const
    {
        int numbers[3] = {-1, -1, 0};
        const char *at = line.c_str();
        const char *const end = at + line.size();
        int count = 0;
        while (count < 3 && at < end) {
            const auto [after, error] = std::from_chars(at, end, numbers[count]);
            if (error != std::errc() || (after != end && *after != ' '))
                return;
            ++count;
            at = after == end ? end : after + 1;
        }
        const auto [done, total, file] = numbers;
        if (count < 2 || at != end || done < 0 || total <= 0 || done > total || file < 0 ||
            file > total)
            return;
        m_progress(done, total, file - 1);
    }

    std::function<void(int, int, int)> m_progress;
    posix::UniqueFd m_read;
    posix::UniqueFd m_write;
    std::string m_pending;
};

} // namespace

bool converterAvailable(const std::string &toolDirectory)
{
    return fileExists(toolDirectory + scriptName) && fileExists(toolDirectory + responseFileName);
}

std::vector<std::string> conversionArguments(const std::string &toolDirectory,
                                             const std::string &epsPath, const std::string &pdfPath)
{
    return {"/bin/sh", toolDirectory + scriptName, epsPath, pdfPath};
}

namespace {

// The converter's command line, with the manifest, its report, the progress pipe and the job's
// folder handed down where there are any.
ProcessRequest converterProcess(const ConversionRequest &request, const posix::UniqueFd &manifest,
                                const posix::UniqueFd &report, ProgressReader &progress)
{
    ProcessRequest process;
    process.arguments =
        conversionArguments(request.toolDirectory, request.epsPath, request.pdfPath);
    if (manifest.valid() && report.valid()) {
        process.extraEnvironment = {
            std::string(partsVariable) + "=" + std::to_string(partsDescriptor),
            std::string(reportVariable) + "=" + std::to_string(reportDescriptor),
            std::string(folderVariable) + "=" + std::to_string(folderDescriptor)};
        process.descriptors = {{partsDescriptor, manifest.get()},
                               {reportDescriptor, report.get()},
                               {folderDescriptor, request.folder->fd()}};
    }
    if (progress.writeEnd() >= 0) {
        process.extraEnvironment.push_back(std::string(progressVariable) + "=" +
                                           std::to_string(progressDescriptor));
        process.descriptors.emplace_back(progressDescriptor, progress.writeEnd());
    }
    if (request.timeLimit > 0)
        process.extraEnvironment.push_back(std::string(timeLimitVariable) + "=" +
                                           std::to_string(request.timeLimit));
    process.whileWaiting = [&progress, &request] {
        progress.readAvailable();
        if (request.whileWaiting)
            request.whileWaiting();
    };
    process.stopRequested = request.stopRequested;
    return process;
}

// What is at the PDF's name once the converter is done, opened once for every check.
struct MadePdf
{
    posix::UniqueFd file;
    std::optional<FileIdentity> identity;
    bool fresh = false; // a regular file, not the older PDF
};

MadePdf madePdf(const posix::Folder &folder, const std::string &pdfName,
                const std::optional<FileIdentity> &olderPdf)
{
    MadePdf made;
    made.file = posix::UniqueFd(folder.openFile(pdfName, O_RDONLY));
    struct stat kind = {};
    if (!made.file.valid() || ::fstat(made.file.get(), &kind) != 0)
        return made;
    made.identity = FileIdentity::of(kind);
    made.fresh = S_ISREG(kind.st_mode) && !(olderPdf && made.identity->unchangedAs(*olderPdf));
    return made;
}

// Why the PDF cannot be taken for the parts: unreadable whole, too few pages, or not as many as
// the converter said; empty when it can.
std::string pageProblem(std::optional<long> pages, long parts, std::optional<long> reported)
{
    if (!pages)
        return "le PDF est incomplet ou endommagé";
    if (*pages < parts || (reported && *reported != *pages))
        return "le PDF compte " + std::to_string(*pages) + " pages pour " + std::to_string(parts) +
               " fichiers";
    return {};
}

} // namespace

ConversionResult convertToPdf(const ConversionRequest &request)
{
    ConversionResult result;
    const posix::Folder &folder = *request.folder;
    // An older PDF stays until the converter replaces it with a finished one; it must not pass
    // for this run's result.
    const std::optional<FileIdentity> olderPdf = FileIdentity::ofName(folder.fd(), request.pdfName);

    posix::UniqueFd manifest = manifestFile(request.parts);
    posix::UniqueFd report = posix::anonymousFile("brakwen-report");
    if ((!manifest.valid() || !report.valid()) && request.durable) {
        result.failure = "le découpage des fichiers ne peut pas être transmis au convertisseur ; "
                         "sans lui, les sources ne seront pas supprimées sur une supposition";
        return result;
    }
    ProgressReader progress(request.progress);
    const ProcessResult run = runProcess(converterProcess(request, manifest, report, progress));
    progress.readAvailable();
    if (run.stopped)
        throw JobInterrupted();
    const ConverterReport said = report.valid() ? readReport(report.get()) : ConverterReport{};

    // Whatever happened, the job converts only the file it wrote: another job that put its own
    // EPS at this name meanwhile must not have its content taken for ours.
    const std::optional<FileIdentity> epsNow = FileIdentity::ofName(folder.fd(), request.epsName);
    if (!epsNow || !epsNow->unchangedAs(request.eps)) {
        result.failure = "le fichier EPS a été remplacé ou modifié pendant la conversion";
        return result;
    }

    const MadePdf made = madePdf(folder, request.pdfName, olderPdf);
    if (!run.succeeded()) {
        // A failing converter may still have left a partial PDF.
        if (made.fresh)
            removeIfStill(folder, request.pdfName, *made.identity);
        result.failure = said.failure.empty() ? exitDescription(run) : said.failure;
        return result;
    }
    if (!made.fresh) {
        result.failure = "le convertisseur n'a pas écrit de PDF";
        return result;
    }
    const std::optional<long> pages = verifiedPageCount(made.file.get());
    result.failure = pageProblem(pages, static_cast<long>(request.parts.size()), said.pages);
    if (!result.failure.empty()) {
        removeIfStill(folder, request.pdfName, *made.identity);
        return result;
    }

    if (request.durable) {
        if (posix::retryOnInterrupt([&] { return ::fsync(made.file.get()); }) != 0 ||
            !folder.sync())
            throw EInOutError::fromErrno(errno, request.pdfPath);
    }
    // The PDF checked is the one in place, and the EPS removed is still the job's own.
    const auto pdfNow = FileIdentity::ofName(folder.fd(), request.pdfName);
    if (!pdfNow || !pdfNow->sameFile(*made.identity)) {
        result.failure = "le PDF a été remplacé pendant sa vérification";
        return result;
    }
    removeIfStill(folder, request.epsName, request.eps);
    result.converted = true;
    result.pages = *pages;
    return result;
}

} // namespace assembly
