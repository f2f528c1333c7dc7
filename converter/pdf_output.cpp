#include "converter/pdf_output.h"

#include "assembly/failure_cause.h"
#include "assembly/part_manifest.h"
#include "converter/conversion_failure.h"
#include "posix/eintr.h"
#include "posix/path.h"

#include <cerrno>
#include <unistd.h>

namespace converter {

namespace {

posix::PendingFile createFor(const posix::Folder &folder, const std::string &pdfPath,
                             LeftoverGuard &guard)
{
    const std::string folderPath = posix::parentFolder(pdfPath);
    posix::HiddenName naming = assembly::converterPdfNaming();
    naming.beforeCreating = [&guard](const std::string &hidden) { guard.watch(hidden); };
    // Readable as well: it is checked through its descriptor before it is given its name.
    std::optional<posix::PendingFile> file =
        posix::PendingFile::create(folder, folderPath, true, std::move(naming));
    if (!file)
        throw ConversionFailure("écriture impossible dans le dossier : " + folderPath);
    return std::move(*file);
}

} // namespace

PdfOutput::PdfOutput(const posix::Folder &folder, std::string pdfName, std::string pdfPath,
                     LeftoverGuard &guard)
    : m_pdfName(std::move(pdfName)), m_pdfPath(std::move(pdfPath)),
      m_file(createFor(folder, m_pdfPath, guard))
{}

void PdfOutput::commit()
{
    // On disk before it takes the name: after a crash, or a flush that fails, the older PDF must
    // still be there rather than a name over missing bytes.
    if (posix::retryOnInterrupt([&] { return ::fsync(m_file.fd()); }) != 0)
        throw ConversionFailure("le PDF ne peut pas être écrit sur le disque (" +
                                assembly::reasonForErrno(errno) + ") : " + m_pdfPath);
    if (!m_file.name() || !m_file.close() || !m_file.placeAt(m_pdfName))
        throw ConversionFailure("le PDF ne peut pas être mis en place : " + m_pdfPath);
}

} // namespace converter
