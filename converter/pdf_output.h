#pragma once

// The PDF while Ghostscript writes it: a file without a name in the PDF's folder (a hidden named
// one where the file system cannot do that, watched so that it never stays), given the PDF's name
// only once it is complete and checked. An older PDF stays as it was until then.

#include "converter/leftover_guard.h"
#include "posix/unique_fd.h"

#include <string>

namespace converter {

class PdfOutput
{
public:
    // Throws ConversionFailure when nothing can be written in the PDF's folder.
    PdfOutput(std::string pdfPath, LeftoverGuard &guard);
    PdfOutput(const PdfOutput &) = delete;
    PdfOutput &operator=(const PdfOutput &) = delete;
    ~PdfOutput();

    int fd() const { return m_fd.get(); }

    // Puts the finished file in place under the PDF's name, with the permissions a new file gets.
    void commit();

private:
    std::string hiddenName();

    std::string m_pdfPath;
    std::string m_folder;
    LeftoverGuard &m_guard;
    posix::UniqueFd m_fd;
    std::string m_temporaryPath; // empty while the file has no name
};

} // namespace converter
