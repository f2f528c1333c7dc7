// brakwen-cli: assembles EPS files of one directory, as the window's OK button does.
// Exit status: 0 success, 1 the job failed (an error, or a result that is missing, or a PDF
// that was asked for and not made), 2 usage errors; stopped by SIGINT, SIGTERM or SIGHUP it
// cleans up and ends by that signal.

#include "assembly/assembly_job.h"
#include "assembly/error_message.h"
#include "assembly/job_error.h"
#include "assembly/pdf_conversion.h"
#include "cli/command_line.h"
#include "cli/executable_directory.h"
#include "cli/terminal_window.h"
#include "posix/stop_signals.h"

#include <cstdio>
#include <exception>
#include <string>
#include <unistd.h>

namespace {

// The result is sound, but a script asked for these files to go and must learn why they are
// still there.
void reportKeptSources(int kept)
{
    if (kept == 1)
        std::fprintf(stderr, "Un fichier source est conservé : il a changé depuis sa lecture, "
                             "ou sa suppression a été refusée.\n");
    else if (kept > 1)
        std::fprintf(stderr,
                     "%d fichiers sources sont conservés : ils ont changé depuis leur "
                     "lecture, ou leur suppression a été refusée.\n",
                     kept);
}

} // namespace

int main(int argc, char **argv)
{
    const cli::CommandLine commandLine = cli::parseCommandLine(argc, argv);
    if (commandLine.exitNow)
        return *commandLine.exitNow;
    const assembly::JobInputs &inputs = commandLine.inputs;

    const std::string toolDirectory = cli::executableDirectory(argc > 0 ? argv[0] : nullptr);
    if (inputs.convertToPdf && !assembly::converterAvailable(toolDirectory)) {
        return cli::usageError("--pdf demande le convertisseur ps2pdf.bat et pdfwrite.rsp dans " +
                               toolDirectory + ", qui n'y est pas");
    }

    posix::StopSignals::install();
    cli::TerminalWindow window(stderr, ::isatty(STDERR_FILENO) == 1);
    try {
        const assembly::JobReport report =
            assembly::AssemblyJob(inputs, toolDirectory, window).run();
        if (!report.conversionFailure.empty())
            std::fprintf(stderr, "%s\n",
                         assembly::withFinalPeriod("Cause : " + report.conversionFailure).c_str());
        if (report.errorBoxShown)
            return cli::exitFailure;
        reportKeptSources(report.sourcesKept);
        return cli::exitSuccess;
    } catch (const assembly::JobInterrupted &) {
        std::fprintf(stderr, "Interrompu : le résultat précédent et les sources sont conservés.\n");
        posix::StopSignals::endByReceivedSignal();
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s\n", assembly::withFinalPeriod(error.what()).c_str());
        return cli::exitFailure;
    }
}
