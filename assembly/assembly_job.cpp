#include "assembly/assembly_job.h"

#include "assembly/file_copier.h"
#include "assembly/file_system.h"
#include "assembly/job_error.h"
#include "assembly/pdf_conversion.h"
#include "assembly/source_file.h"
#include "assembly/temporary_output.h"

#include <sys/stat.h>
#include <unordered_set>
#include <vector>

namespace assembly {

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
    refuseResultAsSource(report.epsPath);

    const auto &files = m_inputs.selectedFiles;
    m_window.setProgressRange(0, static_cast<int>(files.size()));
    m_window.setProgressVisible(true);

    // Without the delete option the sources remain, so the result can always be rebuilt and
    // need not be flushed to disk; with it, whatever the sources go into must be durable.
    const bool durable = m_inputs.deleteSources;
    // Stamps are needed only to decide deletions.
    std::vector<SourceStamp> stamps(m_inputs.deleteSources ? files.size() : 0);
    {
        TemporaryOutput output(report.epsPath);
        FileCopier copier;
        std::uint64_t total = 0;
        for (std::size_t i = 0; i < files.size(); ++i) {
            m_window.setProgressPosition(static_cast<int>(i + 1));
            total +=
                appendSource(files[i], joinPath(m_inputs.directory, files[i]), copier, output.fd(),
                             report.epsPath, stamps.empty() ? nullptr : &stamps[i]);
        }
        // The older result, if any, is replaced here and only here.
        output.commit(total, durable && !m_inputs.convertToPdf);
    }
    m_window.setProgressVisible(false);

    if (m_inputs.convertToPdf) {
        // An older PDF must not pass for this run's result.
        if (fileExists(report.pdfPath))
            deleteFile(report.pdfPath);
        report.converted = convertToPdf(m_toolDirectory, report.epsPath, report.pdfPath, durable,
                                        [this] { m_window.waitingForConverter(); });
    }

    if (m_inputs.deleteSources) {
        const bool resultExists = m_inputs.convertToPdf
                                      ? report.converted && fileExists(report.pdfPath)
                                      : fileExists(report.epsPath);
        if (resultExists) {
            // A file listed twice is deleted once, not counted as kept the second time.
            std::unordered_set<std::string> handled;
            for (const SourceStamp &stamp : stamps) {
                if (!handled.insert(stamp.path).second)
                    continue;
                if (stamp.stillMatches() && deleteFile(stamp.path)) {
                    ++report.sourcesDeleted;
                } else {
                    ++report.sourcesKept;
                }
            }
        } else {
            report.errorBoxShown = true;
            m_window.showErrorBox(m_inputs.convertToPdf ? "Echec de la conversion."
                                                        : "Echec de la l'assemblage.");
        }
    }
    return report;
}

void AssemblyJob::refuseResultAsSource(const std::string &epsPath) const
{
    struct stat result = {};
    const bool resultExists = ::stat(epsPath.c_str(), &result) == 0;
    const std::string resultName = m_inputs.baseName + ".eps";
    for (const std::string &name : m_inputs.selectedFiles) {
        bool same = name == resultName;
        struct stat source = {};
        if (!same && resultExists &&
            ::stat(joinPath(m_inputs.directory, name).c_str(), &source) == 0)
            same = source.st_dev == result.st_dev && source.st_ino == result.st_ino;
        if (same)
            throw JobError("Le fichier « " + name +
                           " » est le fichier résultat : il ne peut pas être assemblé dans "
                           "lui-même");
    }
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
