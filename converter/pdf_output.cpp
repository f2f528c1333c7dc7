#include "converter/pdf_output.h"

#include "converter/conversion_failure.h"
#include "posix/path.h"

namespace converter {

namespace {

posix::PendingFile createFor(const std::string &pdfPath, LeftoverGuard &guard)
{
    const std::string folder = posix::parentFolder(pdfPath);
    // Readable as well: qpdf checks it through its descriptor before it is given its name.
    std::optional<posix::PendingFile> file = posix::PendingFile::create(
        folder, true,
        {".ps2pdf-", "", [&guard](const std::string &hidden) { guard.watch(hidden); }});
    if (!file)
        throw ConversionFailure("écriture impossible dans le dossier : " + folder);
    return std::move(*file);
}

} // namespace

PdfOutput::PdfOutput(std::string pdfPath, LeftoverGuard &guard)
    : m_pdfPath(std::move(pdfPath)), m_file(createFor(m_pdfPath, guard))
{}

void PdfOutput::commit()
{
    if (!m_file.name() || !m_file.close() || !m_file.placeAt(m_pdfPath))
        throw ConversionFailure("le PDF ne peut pas être mis en place : " + m_pdfPath);
}

} // namespace converter
