#include "assembly/pdf_conversion.h"

#include "assembly/file_system.h"
#include "assembly/process_runner.h"

namespace assembly {

namespace {
const char *const scriptName = "ps2pdf.bat";
const char *const responseFileName = "pdfwrite.rsp";
} // namespace

bool converterAvailable(const std::string &toolDirectory)
{
    return fileExists(toolDirectory + scriptName) && fileExists(toolDirectory + responseFileName);
}

std::vector<std::string> conversionArguments(const std::string &toolDirectory,
                                             const std::string &epsPath, const std::string &pdfPath)
{
    return {"/bin/sh", toolDirectory + scriptName, epsPath, pdfPath};
}

bool convertToPdf(const std::string &toolDirectory, const std::string &epsPath,
                  const std::string &pdfPath, bool durable, const WhileWaiting &whileWaiting)
{
    const ProcessResult run =
        runProcess(conversionArguments(toolDirectory, epsPath, pdfPath), whileWaiting);
    // The exit status is what tells: a failing converter may still leave a partial PDF.
    if (!run.succeeded() || !fileExists(pdfPath)) {
        deleteFile(pdfPath);
        return false;
    }
    if (durable)
        syncFileAndFolder(pdfPath);
    deleteFile(epsPath);
    return true;
}

} // namespace assembly
