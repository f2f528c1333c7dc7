#pragma once

// The PDF while Ghostscript writes it: a file without a name in the PDF's folder (a hidden named
// one where the file system cannot do that, watched so that it never stays), given the PDF's name
// only once it is complete and checked. An older PDF stays as it was until then.

#include "converter/leftover_guard.h"
#include "posix/pending_file.h"

#include <string>

namespace converter {

class PdfOutput
{
public:
    // Throws ConversionFailure when nothing can be written in the PDF's folder.
    PdfOutput(std::string pdfPath, LeftoverGuard &guard);

    int fd() const { return m_file.fd(); }

    // Puts the finished file in place under the PDF's name, with the permissions a new file gets.
    void commit();

private:
    std::string m_pdfPath;
    posix::PendingFile m_file;
};

} // namespace converter
