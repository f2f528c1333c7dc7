// brakwen-cli: assembles EPS files of one directory, as the window's OK button does.
// Exit status: 0 success, 1 the job failed (an error, a result that is missing, a PDF that was
// asked for and not made, or no converter for --pdf), 2 usage errors; stopped by SIGINT, SIGTERM
// or SIGHUP it cleans up and ends by that signal.

#include "assembly/assembly_job.h"
#include "assembly/error_message.h"
#include "assembly/failure_cause.h"
#include "assembly/job_error.h"
#include "assembly/pdf_conversion.h"
#include "cli/command_line.h"
#include "cli/executable_directory.h"
#include "cli/messages.h"
#include "cli/terminal_window.h"
#include "posix/stop_signals.h"

#include <cstdlib>
#include <exception>
#include <string>
#include <unistd.h>

namespace {

// The window's box, as a line naming the file it concerns, with the converter's reason.
void reportFailedResult(const assembly::JobReport &report, const std::string &box)
{
    const std::string &file = report.conversionAsked ? report.pdfPath : report.epsPath;
    std::string line = file + ": " + box;
    if (!report.conversionFailure.empty())
        line += " (" + report.conversionFailure + ")";
    cli::printError(line);
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
        // Nothing is wrong with the command line: the installation lacks the converter.
        cli::printError(toolDirectory + "ps2pdf.bat: convertisseur introuvable ; --pdf demande "
                                        "ps2pdf.bat et pdfwrite.rsp à côté de brakwen-cli");
        return cli::exitFailure;
    }
    // Ghostscript's own words are for those who ask: the converter keeps them off the terminal.
    if (commandLine.verbose)
        ::setenv("BRAKWEN_VERBOSE", "1", 1);

    posix::StopSignals::install();
    cli::TerminalWindow window(stderr, ::isatty(STDERR_FILENO) == 1, commandLine.force);
    try {
        const assembly::JobReport report =
            assembly::AssemblyJob(inputs, toolDirectory, window).run();
        if (report.declined) {
            cli::printError((inputs.convertToPdf ? report.pdfPath : report.epsPath) +
                            ": existe déjà, et les sources vont être supprimées : rien n'est "
                            "fait ; --force le remplace");
            return cli::exitFailure;
        }
        if (report.errorBoxShown) {
            reportFailedResult(report, window.lastErrorBox());
            return cli::exitFailure;
        }
        // The result is sound, but a script asked for these files to go and must learn why they
        // are still there, or that someone else deleted them first.
        for (const assembly::KeptSource &kept : report.keptSources)
            cli::printError(kept.path + ": conservé : " + kept.reason);
        for (const std::string &gone : report.goneSources)
            cli::printError(gone + ": déjà supprimé par ailleurs pendant l'assemblage");
        return cli::exitSuccess;
    } catch (const assembly::JobInterrupted &) {
        cli::printError("interrompu : le résultat précédent et les sources sont conservés");
        posix::StopSignals::endByReceivedSignal();
    } catch (const std::exception &error) {
        // The window's message first, as the window shows it, then why, for a file.
        const assembly::FailureCause cause = assembly::causeOf(error);
        std::string line = assembly::withFinalPeriod(error.what());
        if (!cause.file.empty())
            line = cause.file + ": " + line;
        if (!cause.empty())
            line += " (" + cause.reason + ")";
        cli::printError(line);
        return cli::exitFailure;
    }
}
