#pragma once

// The hand-over of the assembled EPS to the external converter: the shell script ps2pdf.bat and
// its response file pdfwrite.rsp, both in the Tool directory.

#include "assembly/process_runner.h"

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

// Runs the converter and waits for it. It succeeded when it started, exited with status 0 and
// left a file at pdfPath; then the PDF is flushed to disk first when durable is set, and the
// EPS is removed. Otherwise the EPS stays and whatever the converter left at pdfPath is removed,
// since a failed run leaves an unusable PDF. Returns whether it succeeded; throws EInOutError
// only when the PDF cannot be made durable.
bool convertToPdf(const std::string &toolDirectory, const std::string &epsPath,
                  const std::string &pdfPath, bool durable, const WhileWaiting &whileWaiting = {});

} // namespace assembly
