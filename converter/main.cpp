// brakwen-ps2pdf: the converter ps2pdf.bat runs. Usage: brakwen-ps2pdf RESPONSE-FILE EPS PDF.
// Turns the joined EPS into a PDF of one page per file (each at its own bounding box; documents
// of several pages keep theirs). The PDF appears under its name only once Ghostscript has run
// every part to its end and qpdf has read the result whole, with the pages the parts made.
// Exit status: 0 success, 1 failure (nothing written), 2 usage; ended by SIGINT, SIGTERM or SIGHUP,
// it stops Ghostscript, removes what it made and ends by that signal.

#include "converter/conversion.h"
#include "converter/conversion_failure.h"
#include "eps/eps_error.h"
#include "posix/stop_signals.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
// A part past its memory limit must see its allocations fail, as in an optimised build, so that
// Ghostscript reports it; the checker would otherwise end the part with a report of its own.
extern "C" const char *__asan_default_options()
{
    return "allocator_may_return_null=1";
}
#endif

int main(int argc, char **argv)
{
    if (argc != 4 || argv[2][0] == '\0' || argv[3][0] == '\0') {
        std::fprintf(stderr, "Utilisation : /bin/sh ps2pdf.bat FICHIER.eps FICHIER.pdf\n");
        return 2;
    }
    converter::Conversion conversion(argv[1], argv[2], argv[3]);
    try {
        conversion.run();
        return 0;
    } catch (const converter::ConversionFailure &failure) {
        // Everything made is gone by now; a caller that sent a signal sees it end the run.
        if (posix::StopSignals::received() != 0)
            posix::StopSignals::endByReceivedSignal();
        conversion.reportFailure(failure.what());
        return failure.exitCode();
    } catch (const eps::EpsError &unreadable) {
        conversion.reportFailure(unreadable.what());
        return 1;
    }
}
