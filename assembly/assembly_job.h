#pragma once

// The work behind OK: joins the selected files of one directory, byte for byte (a DOS EPS by its
// PostScript section) and in list order, into <base>.eps there, hands it to the PDF converter
// when asked, deletes the sources when asked, and drives the window through JobWindow while it
// runs.
//
// For a window:
//   - the base name is judged by resultNames() (result_names.h) before the job starts, or by the
//     job itself, which throws BaseNameRefused (a JobError, its what() the box's text) before
//     anything is asked or written;
//   - JobInputs::sourceDeletion chooses between keeping the sources, the trash and deleting them
//     for ever; to the trash, JobWindow::confirmPermanentDeletion(count) is asked once, before
//     any source goes, when no trash takes `count` of them, and deletingSources() says when
//     deletion starts (a stop is no longer heard from there);
//   - the JobReport that run() and runJob() return says what became of the sources.

#include "assembly/file_identity.h"
#include "assembly/job_inputs.h"
#include "assembly/job_window.h"
#include "assembly/part_manifest.h"
#include "assembly/result_names.h"
#include "assembly/source_file.h"
#include "posix/folder.h"

#include <optional>
#include <string>
#include <vector>

namespace assembly {

// A source the job was asked to delete and did not.
struct KeptSource
{
    std::string path;
    std::string reason; // in French: changed since it was read, the system refused (and why), no
                        // trash could take it (and why)
};

// What a finished job achieved: the command line tells success from a reported failure with it,
// the window says it in the line a finished job leaves.
struct JobReport
{
    std::string epsPath;
    std::string pdfPath;
    bool conversionAsked = false;
    bool converted = false;        // the PDF replaced the EPS
    long pages = 0;                // the PDF's, once converted
    std::string conversionFailure; // why not, in French, when a conversion was asked
    bool errorBoxShown = false;    // "Echec de la conversion." or "Echec de la l'assemblage."
    bool declined = false;         // the window was told not to replace the result: nothing done
    int sourcesDeleted = 0;        // deleted for ever
    int sourcesTrashed = 0;        // moved to the trash
    std::vector<KeptSource> keptSources;
    // Deleted by someone else while the job ran (their content is in the result): their paths.
    std::vector<std::string> goneSources;
};

class AssemblyJob
{
public:
    // toolDirectory is the folder the program runs from, where the converter sits; it ends in '/'.
    AssemblyJob(const JobInputs &inputs, std::string toolDirectory, JobWindow &window);

    // Runs the job to its end. A failure (EInOutError, JobError, JobInterrupted) leaves no
    // partial result and any older result as it was, restores the window (progress hidden,
    // control rules applied, quit shown, cursor reset, lists kept for a retry) and is then
    // rethrown for the error box. A base name that is no name (result_names.h) is refused with
    // BaseNameRefused before anything is asked or written.
    JobReport run();

private:
    // What copying the sources left for the later steps.
    struct Copy
    {
        FileIdentity eps;                // the EPS in place
        std::vector<ManifestPart> parts; // the sources it joined, for the converter
        std::vector<SourceStamp> stamps; // the sources as read, when they are to go
    };

    bool replacementAgreed(const std::optional<posix::Folder> &folder) const;
    JobReport assemble(std::optional<posix::Folder> &folder, int openError, JobReport report);
    void refuseResultsAsSources() const;
    Copy copySources(const posix::Folder &folder, const JobReport &report) const;
    // False when no PDF was made (the error box said so).
    bool convert(const posix::Folder &folder, Copy &copy, JobReport &report) const;
    bool selects(const std::string &name) const;
    void stopIfRequested() const;
    void restoreWindowAfterFailure() noexcept;

    const JobInputs &m_inputs;
    std::string m_toolDirectory;
    JobWindow &m_window;
    ResultNames m_names;
};

// The OK button's entry point: runs an AssemblyJob and lets its failures propagate to the
// window's default error box.
JobReport runJob(const JobInputs &inputs, const std::string &toolDirectory, JobWindow &window);

} // namespace assembly
