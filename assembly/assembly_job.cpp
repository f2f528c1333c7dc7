#include "assembly/assembly_job.h"

#include "assembly/file_copier.h"
#include "assembly/file_system.h"
#include "assembly/io_error.h"
#include "assembly/job_error.h"
#include "assembly/pdf_conversion.h"
#include "assembly/temporary_output.h"
#include "assembly/unique_fd.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unordered_set>
#include <vector>

namespace assembly {

namespace {

// A source as it was when read; it is deleted later only if it still is that file, unchanged.
struct SourceStamp
{
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    struct timespec modified = {};

    bool stillMatches() const
    {
        struct stat now = {};
        return ::stat(path.c_str(), &now) == 0 && now.st_dev == device && now.st_ino == inode &&
               now.st_size == size && now.st_mtim.tv_sec == modified.tv_sec &&
               now.st_mtim.tv_nsec == modified.tv_nsec;
    }
};

// A FIFO would hold the job forever, a device such as /dev/zero would feed it until the disk is
// full: only regular files (links followed) are assembled. A folder fails like any file that
// cannot be read. Checked on the open file, which costs no extra call per source.
bool isSpecialFile(const struct stat &status)
{
    return !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode);
}

JobError specialFileRefused(const std::string &name)
{
    return JobError("Le fichier « " + name +
                    " » n'est pas un fichier ordinaire : il ne peut pas être assemblé");
}

std::uint64_t appendSource(const std::string &name, const std::string &path, FileCopier &copier,
                           int output, const std::string &outputPath,
                           std::vector<SourceStamp> *stamps)
{
    // Read-only: a source the user may read but not write is still assembled. Non-blocking, so
    // that opening a FIFO returns at once, to be refused; on a regular file the flag changes
    // nothing.
    UniqueFd source(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    // A socket cannot be opened at all, and says so with ENXIO.
    if (!source.valid() && errno == ENXIO)
        throw specialFileRefused(name);
    if (!source.valid())
        throw EInOutError::fromErrno(errno, path);
    struct stat status = {};
    if (::fstat(source.get(), &status) != 0)
        throw EInOutError::fromErrno(errno, path);
    if (S_ISDIR(status.st_mode))
        throw EInOutError::fromErrno(EISDIR, path);
    if (isSpecialFile(status))
        throw specialFileRefused(name);

    const std::uint64_t copied = copier.append(source.get(), output, path, outputPath,
                                               static_cast<std::uint64_t>(status.st_size));
    if (source.close() != 0 && errno != EINTR)
        throw EInOutError::fromErrno(errno, path);

    // The time seen before reading, with the bytes actually read: a source written to while it
    // was read, or since, no longer matches at deletion and is kept.
    if (stamps != nullptr)
        stamps->push_back(
            {path, status.st_dev, status.st_ino, static_cast<off_t>(copied), status.st_mtim});
    return copied;
}

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
    refuseResultAsSource(report.epsPath);

    const auto &files = m_inputs.selectedFiles;
    m_window.setProgressRange(0, static_cast<int>(files.size()));
    m_window.setProgressVisible(true);

    // Without the delete option the sources remain, so the result can always be rebuilt and
    // need not be flushed to disk; with it, whatever the sources go into must be durable.
    const bool durable = m_inputs.deleteSources;
    std::vector<SourceStamp> stamps;
    if (m_inputs.deleteSources)
        stamps.reserve(files.size());
    {
        TemporaryOutput output(report.epsPath);
        FileCopier copier;
        std::uint64_t total = 0;
        for (std::size_t i = 0; i < files.size(); ++i) {
            m_window.setProgressPosition(static_cast<int>(i + 1));
            total +=
                appendSource(files[i], joinPath(m_inputs.directory, files[i]), copier, output.fd(),
                             report.epsPath, m_inputs.deleteSources ? &stamps : nullptr);
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
                if (stamp.stillMatches()) {
                    deleteFile(stamp.path);
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
