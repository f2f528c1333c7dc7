#include "assembly/assembly_job.h"

#include "assembly/file_copier.h"
#include "assembly/file_system.h"
#include "assembly/io_error.h"
#include "assembly/job_error.h"
#include "assembly/pdf_conversion.h"
#include "assembly/source_file.h"
#include "assembly/temporary_output.h"
#include "posix/eintr.h"
#include "posix/pending_file.h"
#include "posix/unique_fd.h"

#include <algorithm>
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
    JobReport report;
    report.epsPath = joinPath(m_inputs.directory, m_inputs.baseName + ".eps");
    report.pdfPath = joinPath(m_inputs.directory, m_inputs.baseName + ".pdf");
    report.conversionAsked = m_inputs.convertToPdf;
    // Opened by walking it when its path is too long to give whole; a folder that cannot be
    // opened fails the job once the window shows it running.
    std::optional<posix::Folder> folder = posix::Folder::open(m_inputs.directory);
    const int openError = errno;
    // With the sources going, a result already there may be all that is left of other sources:
    // asked before anything starts (a source under the result's name is refused anyway).
    const std::string resultName = m_inputs.baseName + (m_inputs.convertToPdf ? ".pdf" : ".eps");
    if (folder && m_inputs.deleteSources && !selects(resultName)) {
        const auto existing = folder->status(resultName);
        if (existing && !S_ISDIR(existing->st_mode) && !m_window.confirmReplacement(resultName)) {
            report.declined = true;
            return report;
        }
    }
    m_window.setBusyCursor(true);
    m_window.setOkButtonVisible(false);
    m_window.setQuitButtonVisible(false);
    try {
        report = assemble(folder, openError, std::move(report));
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

JobReport AssemblyJob::assemble(std::optional<posix::Folder> &folder, int openError,
                                JobReport report)
{
    const std::string epsName = m_inputs.baseName + ".eps";
    const std::string pdfName = m_inputs.baseName + ".pdf";
    // A result under its own name is refused before anything is done; under another name (a
    // link) when the source is opened, by the one fstat every source gets anyway. The converter
    // replaces the PDF: a source under that name would be lost with it.
    for (const std::string &name : {epsName, pdfName})
        if ((name == epsName || m_inputs.convertToPdf) && selects(name))
            throw JobError(resultRefusalMessage(name));
    const auto &files = m_inputs.selectedFiles;
    m_window.setProgressRange(0, static_cast<int>(files.size()));
    m_window.setProgressVisible(true);
    // A folder that cannot be opened fails where the output would have been created.
    if (!folder)
        throw EInOutError::fromErrno(openError, report.epsPath);
    // Held from the first write to the last deletion: a second job writing the same results
    // could have its PDF replaced by the first's after deleting its sources.
    if (!folder->tryLock())
        throw JobError(folderBusyMessage());
    // What a job killed outright left where files cannot be made without a name.
    posix::PendingFile::removeLeftovers(*folder, TemporaryOutput::naming());
    posix::PendingFile::removeLeftovers(*folder, converterPdfNaming());

    std::vector<FileIdentity> results;
    for (const std::string &name : {epsName, pdfName})
        if (name == epsName || m_inputs.convertToPdf)
            if (const auto result = FileIdentity::ofName(folder->fd(), name))
                results.push_back(*result);

    // Without the delete option the sources remain, so the result can always be rebuilt and
    // need not be flushed to disk; with it, whatever the sources go into must be durable.
    const bool durable = m_inputs.deleteSources;
    // Stamps are needed only to decide deletions.
    std::vector<SourceStamp> stamps(m_inputs.deleteSources ? files.size() : 0);
    std::vector<ManifestPart> parts;
    FileIdentity eps;
    {
        TemporaryOutput temporary(*folder, m_inputs.directory, epsName, report.epsPath);
        results.push_back(temporary.identity());
        FileCopier copier(temporary.fd(), report.epsPath,
                          [this] { return m_window.stopRequested(); });
        std::uint64_t total = 0;
        for (std::size_t i = 0; i < files.size(); ++i) {
            stopIfRequested();
            m_window.setProgressPosition(static_cast<int>(i + 1));
            const std::uint64_t copied =
                appendSource(folder->fd(), files[i], joinPath(m_inputs.directory, files[i]), copier,
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
        conversion.folder = &*folder;
        conversion.epsName = epsName;
        conversion.pdfName = pdfName;
        conversion.epsPath = report.epsPath;
        conversion.pdfPath = report.pdfPath;
        conversion.eps = eps;
        conversion.parts = std::move(parts);
        conversion.durable = durable;
        conversion.timeLimit = m_inputs.conversionTimeLimit;
        conversion.whileWaiting = [this] { m_window.waitingForConverter(); };
        conversion.stopRequested = [this] { return m_window.stopRequested(); };
        conversion.progress = [this](int done, int total, int finished) {
            m_window.conversionProgress(done, total, finished);
        };
        const ConversionResult converted = convertToPdf(conversion);
        report.converted = converted.converted;
        report.conversionFailure = converted.failure;
        // The user asked for a PDF: not getting one is a failure to report, sources or not.
        if (!report.converted) {
            report.errorBoxShown = true;
            m_window.showErrorBox(conversionFailed, converted.failure);
            return report;
        }
    }

    if (m_inputs.deleteSources) {
        const auto result = folder->status(m_inputs.convertToPdf ? pdfName : epsName);
        if (result && !S_ISDIR(result->st_mode)) {
            deleteSources(*folder, stamps, report);
        } else {
            report.errorBoxShown = true;
            m_window.showErrorBox(m_inputs.convertToPdf ? conversionFailed : assemblyFailed, {});
        }
    }
    return report;
}

void AssemblyJob::deleteSources(const posix::Folder &folder, const std::vector<SourceStamp> &stamps,
                                JobReport &report) const
{
    // A file listed twice is deleted once, not counted as kept the second time.
    std::unordered_set<std::string> handled;
    for (const SourceStamp &stamp : stamps) {
        if (!handled.insert(stamp.name).second)
            continue;
        if (stamp.stillMatches(folder.fd()) && folder.remove(stamp.name)) {
            ++report.sourcesDeleted;
        } else {
            ++report.sourcesKept;
            report.keptSources.push_back(stamp.path);
        }
    }
}

bool AssemblyJob::selects(const std::string &name) const
{
    const auto &files = m_inputs.selectedFiles;
    return std::find(files.begin(), files.end(), name) != files.end();
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
