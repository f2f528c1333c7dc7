#include "assembly/assembly_job.h"

#include "assembly/file_copier.h"
#include "assembly/file_system.h"
#include "assembly/io_error.h"
#include "assembly/job_error.h"
#include "assembly/pdf_conversion.h"
#include "assembly/source_file.h"
#include "assembly/temporary_output.h"
#include "posix/eintr.h"
#include "posix/unique_fd.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unordered_set>
#include <vector>

namespace assembly {

namespace {

const char *const conversionFailed = "Echec de la conversion.";
const char *const assemblyFailed = "Echec de la l'assemblage.";

} // namespace

AssemblyJob::AssemblyJob(const JobInputs &inputs, std::string toolDirectory, JobWindow &window)
    : m_inputs(inputs), m_toolDirectory(std::move(toolDirectory)), m_window(window)
{}

JobReport AssemblyJob::run()
{
    m_window.setBusyCursor(true);
    m_window.setOkButtonVisible(false);
    m_window.setQuitButtonVisible(false);
    try {
        JobReport report = assemble();
        m_window.clearLists();
        m_window.applyControlRules();
        m_window.setQuitButtonVisible(true);
        m_window.setBusyCursor(false);
        return report;
    } catch (...) {
        restoreWindowAfterFailure();
        throw;
    }
}

JobReport AssemblyJob::assemble()
{
    JobReport report;
    report.epsPath = joinPath(m_inputs.directory, m_inputs.baseName + ".eps");
    report.pdfPath = joinPath(m_inputs.directory, m_inputs.baseName + ".pdf");
    report.conversionAsked = m_inputs.convertToPdf;
    // A result under its own name is refused before anything is done; under another name (a
    // link) when the source is opened, by the one fstat every source gets anyway.
    std::vector<FileIdentity> results;
    refuseResult(report.epsPath, m_inputs.baseName + ".eps", results);
    // The converter replaces the PDF: a source under that name would be lost with it.
    if (m_inputs.convertToPdf)
        refuseResult(report.pdfPath, m_inputs.baseName + ".pdf", results);

    const auto &files = m_inputs.selectedFiles;
    m_window.setProgressRange(0, static_cast<int>(files.size()));
    m_window.setProgressVisible(true);

    // Without the delete option the sources remain, so the result can always be rebuilt and
    // need not be flushed to disk; with it, whatever the sources go into must be durable.
    const bool durable = m_inputs.deleteSources;
    // Stamps are needed only to decide deletions.
    std::vector<SourceStamp> stamps(m_inputs.deleteSources ? files.size() : 0);
    std::vector<ManifestPart> parts;
    FileIdentity eps;
    {
        TemporaryOutput temporary(report.epsPath);
        results.push_back(temporary.identity());
        // Sources are opened by name in the folder, which is looked up once.
        const posix::UniqueFd folder(posix::retryOnInterrupt(
            [&] { return ::open(m_inputs.directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC); }));
        if (!folder.valid())
            throw EInOutError::fromErrno(errno, report.epsPath);
        FileCopier copier(temporary.fd(), report.epsPath,
                          [this] { return m_window.stopRequested(); });
        std::uint64_t total = 0;
        for (std::size_t i = 0; i < files.size(); ++i) {
            stopIfRequested();
            m_window.setProgressPosition(static_cast<int>(i + 1));
            const std::uint64_t copied =
                appendSource(folder.get(), files[i], joinPath(m_inputs.directory, files[i]), copier,
                             results, stamps.empty() ? nullptr : &stamps[i]);
            total += copied;
            if (m_inputs.convertToPdf)
                parts.push_back({copied, files[i]});
        }
        copier.flush();
        // The last moment a stop leaves the older result as it was.
        stopIfRequested();
        // The older result, if any, is replaced here and only here.
        eps = temporary.commit(total, durable && !m_inputs.convertToPdf);
    }
    m_window.setProgressVisible(false);

    if (m_inputs.convertToPdf) {
        ConversionRequest conversion;
        conversion.toolDirectory = m_toolDirectory;
        conversion.epsPath = report.epsPath;
        conversion.pdfPath = report.pdfPath;
        conversion.eps = eps;
        conversion.parts = std::move(parts);
        conversion.durable = durable;
        conversion.whileWaiting = [this] { m_window.waitingForConverter(); };
        conversion.stopRequested = [this] { return m_window.stopRequested(); };
        const ConversionResult converted = convertToPdf(conversion);
        report.converted = converted.converted;
        report.conversionFailure = converted.failure;
        // The user asked for a PDF: not getting one is a failure to report, sources or not.
        if (!report.converted) {
            report.errorBoxShown = true;
            m_window.showErrorBox(conversionFailed);
            return report;
        }
    }

    if (m_inputs.deleteSources) {
        const bool resultExists =
            m_inputs.convertToPdf ? fileExists(report.pdfPath) : fileExists(report.epsPath);
        if (resultExists) {
            deleteSources(stamps, report);
        } else {
            report.errorBoxShown = true;
            m_window.showErrorBox(m_inputs.convertToPdf ? conversionFailed : assemblyFailed);
        }
    }
    return report;
}

void AssemblyJob::deleteSources(const std::vector<SourceStamp> &stamps, JobReport &report) const
{
    // A file listed twice is deleted once, not counted as kept the second time.
    std::unordered_set<std::string> handled;
    for (const SourceStamp &stamp : stamps) {
        if (!handled.insert(stamp.path).second)
            continue;
        if (stamp.stillMatches() && deleteFile(stamp.path)) {
            ++report.sourcesDeleted;
        } else {
            ++report.sourcesKept;
            report.keptSources.push_back(stamp.path);
        }
    }
}

void AssemblyJob::refuseResult(const std::string &resultPath, const std::string &resultName,
                               std::vector<FileIdentity> &results) const
{
    for (const std::string &name : m_inputs.selectedFiles)
        if (name == resultName)
            throw JobError(resultRefusalMessage(name));
    if (const auto result = FileIdentity::ofPath(resultPath))
        results.push_back(*result);
}

void AssemblyJob::stopIfRequested() const
{
    if (m_window.stopRequested())
        throw JobInterrupted();
}

void AssemblyJob::restoreWindowAfterFailure() noexcept
{
    try {
        m_window.setProgressVisible(false);
        m_window.applyControlRules();
        m_window.setQuitButtonVisible(true);
        m_window.setBusyCursor(false);
    } catch (...) {
        // The original failure is the one worth reporting.
    }
}

void runJob(const JobInputs &inputs, const std::string &toolDirectory, JobWindow &window)
{
    AssemblyJob(inputs, toolDirectory, window).run();
}

} // namespace assembly
