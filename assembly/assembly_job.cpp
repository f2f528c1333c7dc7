#include "assembly/assembly_job.h"

#include "assembly/file_copier.h"
#include "assembly/file_system.h"
#include "assembly/io_error.h"
#include "assembly/job_error.h"
#include "assembly/pdf_conversion.h"
#include "assembly/source_file.h"
#include "assembly/source_removal.h"
#include "assembly/temporary_output.h"
#include "posix/pending_file.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
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
    // Before anything is asked or written: a name that leaves the folder would put the results
    // where the folder's lock and checks do not reach.
    const std::optional<ResultNames> names = resultNames(m_inputs.baseName);
    if (!names)
        throw BaseNameRefused(m_inputs.baseName);
    m_names = *names;
    JobReport report;
    report.epsPath = joinPath(m_inputs.directory, m_names.eps);
    report.pdfPath = joinPath(m_inputs.directory, m_names.pdf);
    report.conversionAsked = m_inputs.convertToPdf;
    // Opened by walking it when its path is too long to give whole; a folder that cannot be
    // opened fails the job once the window shows it running.
    std::optional<posix::Folder> folder = posix::Folder::open(m_inputs.directory);
    const int openError = errno;
    if (!replacementAgreed(folder)) {
        report.declined = true;
        return report;
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

bool AssemblyJob::replacementAgreed(const std::optional<posix::Folder> &folder) const
{
    // With the sources going, a result already there may be all that is left of other sources:
    // asked before anything starts (a source under the result's name is refused anyway).
    const std::string &resultName = m_inputs.convertToPdf ? m_names.pdf : m_names.eps;
    if (!folder || !m_inputs.deletesSources() || selects(resultName))
        return true;
    const auto existing = folder->status(resultName);
    return !existing || S_ISDIR(existing->st_mode) || m_window.confirmReplacement(resultName);
}

JobReport AssemblyJob::assemble(std::optional<posix::Folder> &folder, int openError,
                                JobReport report)
{
    refuseResultsAsSources();
    m_window.setProgressRange(0, static_cast<int>(m_inputs.selectedFiles.size()));
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

    Copy copy = copySources(*folder, report);
    m_window.setProgressVisible(false);
    if (m_inputs.convertToPdf && !convert(*folder, copy, report))
        return report;

    if (m_inputs.deletesSources()) {
        const auto result = folder->status(m_inputs.convertToPdf ? m_names.pdf : m_names.eps);
        if (result && !S_ISDIR(result->st_mode)) {
            m_window.deletingSources();
            removeSources(*folder, copy.stamps, m_inputs.sourceDeletion, m_window, report);
        } else {
            report.errorBoxShown = true;
            m_window.showErrorBox(m_inputs.convertToPdf ? conversionFailed : assemblyFailed, {});
        }
    }
    return report;
}

void AssemblyJob::refuseResultsAsSources() const
{
    // A result under its own name is refused before anything is done; under another name (a
    // link) when the source is opened, by the one fstat every source gets anyway. The converter
    // replaces the PDF: a source under that name would be lost with it.
    if (selects(m_names.eps))
        throw JobError(resultRefusalMessage(m_names.eps));
    if (m_inputs.convertToPdf && selects(m_names.pdf))
        throw JobError(resultRefusalMessage(m_names.pdf));
}

AssemblyJob::Copy AssemblyJob::copySources(const posix::Folder &folder,
                                           const JobReport &report) const
{
    std::vector<FileIdentity> results;
    for (const std::string *name : {&m_names.eps, &m_names.pdf})
        if (name == &m_names.eps || m_inputs.convertToPdf)
            if (const auto result = FileIdentity::ofName(folder.fd(), *name))
                results.push_back(*result);

    const auto &files = m_inputs.selectedFiles;
    Copy copy;
    // Stamps are needed only to decide deletions.
    copy.stamps.resize(m_inputs.deletesSources() ? files.size() : 0);
    TemporaryOutput temporary(folder, m_inputs.directory, m_names.eps, report.epsPath);
    results.push_back(temporary.identity());
    FileCopier copier(temporary.fd(), report.epsPath, [this] { return m_window.stopRequested(); });
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        stopIfRequested();
        m_window.setProgressPosition(static_cast<int>(i + 1));
        const std::uint64_t copied =
            appendSource(folder.fd(), files[i], joinPath(m_inputs.directory, files[i]), copier,
                         results, copy.stamps.empty() ? nullptr : &copy.stamps[i]);
        total += copied;
        if (m_inputs.convertToPdf)
            copy.parts.push_back({copied, files[i]});
    }
    copier.flush();
    // The last moment a stop leaves the older result as it was.
    stopIfRequested();
    // Without deletion the sources remain, so the result can always be rebuilt and need not be
    // flushed to disk; with it, whatever the sources go into must be durable. The older result,
    // if any, is replaced here and only here.
    copy.eps = temporary.commit(total, m_inputs.deletesSources() && !m_inputs.convertToPdf);
    return copy;
}

bool AssemblyJob::convert(const posix::Folder &folder, Copy &copy, JobReport &report) const
{
    ConversionRequest conversion;
    conversion.toolDirectory = m_toolDirectory;
    conversion.folder = &folder;
    conversion.epsName = m_names.eps;
    conversion.pdfName = m_names.pdf;
    conversion.epsPath = report.epsPath;
    conversion.pdfPath = report.pdfPath;
    conversion.eps = copy.eps;
    conversion.parts = std::move(copy.parts);
    conversion.durable = m_inputs.deletesSources();
    conversion.timeLimit = m_inputs.conversionTimeLimit;
    conversion.whileWaiting = [this] { m_window.waitingForConverter(); };
    conversion.stopRequested = [this] { return m_window.stopRequested(); };
    conversion.progress = [this](int done, int total, int finished) {
        m_window.conversionProgress(done, total, finished);
    };
    const ConversionResult converted = convertToPdf(conversion);
    report.converted = converted.converted;
    report.pages = converted.pages;
    report.conversionFailure = converted.failure;
    // The user asked for a PDF: not getting one is a failure to report, sources or not.
    if (!report.converted) {
        report.errorBoxShown = true;
        m_window.showErrorBox(conversionFailed, converted.failure);
    }
    return report.converted;
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

JobReport runJob(const JobInputs &inputs, const std::string &toolDirectory, JobWindow &window)
{
    return AssemblyJob(inputs, toolDirectory, window).run();
}

} // namespace assembly
