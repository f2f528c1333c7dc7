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
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace assembly {

namespace {

const char *const scriptName = "ps2pdf.bat";
const char *const responseFileName = "pdfwrite.rsp";

// Descriptor numbers the converter finds the manifest and its report on.
constexpr int partsDescriptor = 3;
constexpr int reportDescriptor = 4;

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

// Removes the file at path only if it is still the one described, never another put there since.
void removeIfStill(const std::string &path, const FileIdentity &identity)
{
    const auto now = FileIdentity::ofPath(path);
    if (now && now->sameFile(identity))
        deleteFile(path);
}

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

ConversionResult convertToPdf(const ConversionRequest &request)
{
    ConversionResult result;
    // An older PDF stays until the converter replaces it with a finished one; it must not pass
    // for this run's result.
    const std::optional<FileIdentity> olderPdf = FileIdentity::ofPath(request.pdfPath);

    posix::UniqueFd manifest = manifestFile(request.parts);
    posix::UniqueFd report = posix::anonymousFile("brakwen-report");
    ProcessRequest process;
    process.arguments =
        conversionArguments(request.toolDirectory, request.epsPath, request.pdfPath);
    if (manifest.valid() && report.valid()) {
        process.extraEnvironment = {
            std::string(partsVariable) + "=" + std::to_string(partsDescriptor),
            std::string(reportVariable) + "=" + std::to_string(reportDescriptor)};
        process.descriptors = {{partsDescriptor, manifest.get()}, {reportDescriptor, report.get()}};
    }
    process.whileWaiting = request.whileWaiting;
    process.stopRequested = request.stopRequested;
    const ProcessResult run = runProcess(process);
    if (run.stopped)
        throw JobInterrupted();
    const ConverterReport said = report.valid() ? readReport(report.get()) : ConverterReport{};

    // Whatever happened, the job converts only the file it wrote: another job that put its own
    // EPS at this name meanwhile must not have its content taken for ours.
    const std::optional<FileIdentity> epsNow = FileIdentity::ofPath(request.epsPath);
    if (!epsNow || !epsNow->unchangedAs(request.eps)) {
        result.failure = "le fichier EPS a été remplacé ou modifié pendant la conversion";
        return result;
    }

    posix::UniqueFd pdf(::open(request.pdfPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    const std::optional<FileIdentity> made =
        pdf.valid() ? FileIdentity::ofDescriptor(pdf.get()) : std::nullopt;
    struct stat kind = {};
    const bool regular = pdf.valid() && ::fstat(pdf.get(), &kind) == 0 && S_ISREG(kind.st_mode);
    const bool fresh = made && regular && !(olderPdf && made->unchangedAs(*olderPdf));
    if (!run.succeeded()) {
        // A failing converter may still have left a partial PDF.
        if (fresh)
            removeIfStill(request.pdfPath, *made);
        result.failure = said.failure.empty() ? exitDescription(run) : said.failure;
        return result;
    }
    if (!fresh) {
        result.failure = "le convertisseur n'a pas écrit de PDF";
        return result;
    }

    const std::optional<long> pages = verifiedPageCount(pdf.get());
    const std::optional<long> reported = said.pages;
    const auto parts = static_cast<long>(request.parts.size());
    if (!pages || *pages < parts || (reported && *reported != *pages)) {
        removeIfStill(request.pdfPath, *made);
        if (!pages)
            result.failure = "le PDF est incomplet ou endommagé";
        else
            result.failure = "le PDF compte " + std::to_string(*pages) + " pages pour " +
                             std::to_string(parts) + " fichiers";
        return result;
    }

    if (request.durable) {
        if (posix::retryOnInterrupt([&] { return ::fsync(pdf.get()); }) != 0)
            throw EInOutError::fromErrno(errno, request.pdfPath);
        syncFolder(parentFolder(request.pdfPath));
    }
    // The PDF checked is the one in place, and the EPS removed is still the job's own.
    const auto pdfNow = FileIdentity::ofPath(request.pdfPath);
    if (!pdfNow || !pdfNow->sameFile(*made)) {
        result.failure = "le PDF a été remplacé pendant sa vérification";
        return result;
    }
    removeIfStill(request.epsPath, request.eps);
    result.converted = true;
    return result;
}

} // namespace assembly
