#pragma once

// The work behind OK: joins the selected files of one directory, byte for byte and in list
// order, into <base>.eps there, hands it to the PDF converter when asked, deletes the sources
// when asked, and drives the window through JobWindow while it runs.

#include "assembly/file_identity.h"
#include "assembly/job_inputs.h"
#include "assembly/job_window.h"
#include "posix/folder.h"

#include <optional>
#include <string>
#include <vector>

namespace assembly {

// What a finished job achieved, for callers that must tell success from a reported failure
// (the command line); the window needs none of it.
struct JobReport
{
    std::string epsPath;
    std::string pdfPath;
    bool conversionAsked = false;
    bool converted = false;        // the PDF replaced the EPS
    std::string conversionFailure; // why not, in French, when a conversion was asked
    bool errorBoxShown = false;    // "Echec de la conversion." or "Echec de la l'assemblage."
    bool declined = false;         // the window was told not to replace the result: nothing done
    int sourcesDeleted = 0;
    int sourcesKept = 0; // changed since they were read, or the system refused to delete them
    std::vector<std::string> keptSources; // their paths
};

struct SourceStamp;

class AssemblyJob
{
public:
    // toolDirectory is the folder the program runs from, where the converter sits; it ends in '/'.
    AssemblyJob(const JobInputs &inputs, std::string toolDirectory, JobWindow &window);

    // Runs the job to its end. A failure (EInOutError, JobError, JobInterrupted) leaves no
    // partial result and any older result as it was, restores the window (progress hidden,
    // control rules applied, quit shown, cursor reset, lists kept for a retry) and is then
    // rethrown for the error box.
    JobReport run();

private:
    JobReport assemble(std::optional<posix::Folder> &folder, int openError, JobReport report);
    bool selects(const std::string &name) const;
    void deleteSources(const posix::Folder &folder, const std::vector<SourceStamp> &stamps,
                       JobReport &report) const;
    void stopIfRequested() const;
    void restoreWindowAfterFailure() noexcept;

    const JobInputs &m_inputs;
    std::string m_toolDirectory;
    JobWindow &m_window;
};

// The OK button's entry point: runs an AssemblyJob and lets its failures propagate to the
// window's default error box.
void runJob(const JobInputs &inputs, const std::string &toolDirectory, JobWindow &window);

} // namespace assembly
