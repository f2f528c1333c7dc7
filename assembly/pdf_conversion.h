#pragma once

// The hand-over of the assembled EPS to the external converter: the shell script ps2pdf.bat and
// its response file pdfwrite.rsp, both in the program's own folder.

#include "assembly/file_identity.h"
#include "assembly/part_manifest.h"
#include "assembly/process_runner.h"
#include "posix/folder.h"
#include "posix/pending_file.h"

#include <functional>
#include <string>
#include <vector>

namespace assembly {

// True when a file ps2pdf.bat exists in toolDirectory (which ends in '/') and, only then
// tested, a file pdfwrite.rsp exists there too.
bool converterAvailable(const std::string &toolDirectory);

// The converter's argument vector: /bin/sh, the script, the EPS path, the PDF path. Each piece
// reaches the script intact, whatever blanks, quotes or shell characters it holds.
std::vector<std::string> conversionArguments(const std::string &toolDirectory,
                                             const std::string &epsPath,
                                             const std::string &pdfPath);

struct ConversionRequest
{
    std::string toolDirectory;
    const posix::Folder *folder = nullptr; // the job's folder, where both results are
    std::string epsName;
    std::string pdfName;
    std::string epsPath; // the same two, as the converter's command line names them
    std::string pdfPath;
    FileIdentity eps;                // the EPS the job wrote, as it was once in place
    std::vector<ManifestPart> parts; // the sources it joined, in order
    bool durable = false;            // flush the PDF to disk: sources are deleted next
    unsigned timeLimit = 0;          // seconds a file may take; 0: the converter's own
    WhileWaiting whileWaiting;
    StopRequested stopRequested;
    // done of total files converted, the one just converted being finished (from 0; -1 when the
    // converter does not say).
    std::function<void(int done, int total, int finished)> progress;
};

struct ConversionResult
{
    bool converted = false; // the PDF is in place, complete, and the EPS is gone
    long pages = 0;         // then its pages
    std::string failure;    // otherwise why, in French
};

// Runs the converter and waits for it. The converter is told where each source starts and ends;
// when that cannot be told and the sources are to be deleted (durable), it is not run at all:
// guessing the boundaries could lose a source. The conversion succeeded only when the converter
// exited with status 0, the EPS at epsPath is still the job's own, unchanged, and a PDF new since
// the converter started is at pdfPath that qpdf reads whole, with at least one page per part (and
// as many as the converter reports). Then the PDF is flushed to disk when durable is set, and the
// EPS is removed. Otherwise the EPS stays, and a damaged PDF is removed; an older PDF is only
// ever replaced by the converter's finished one. Throws JobInterrupted when stopped on request,
// EInOutError only when the PDF cannot be made durable.
ConversionResult convertToPdf(const ConversionRequest &request);

} // namespace assembly
