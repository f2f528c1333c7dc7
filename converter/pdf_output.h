#pragma once

// The PDF while Ghostscript writes it: a file without a name in the PDF's folder (a hidden named
// one where the file system cannot do that, watched so that it never stays), given the PDF's name
// only once it is complete and checked. An older PDF stays as it was until then.

#include "converter/leftover_guard.h"
#include "posix/folder.h"
#include "posix/pending_file.h"

#include <string>

namespace converter {

class PdfOutput
{
public:
    // The PDF named pdfName in folder (pdfPath names it in messages). Throws ConversionFailure
    // when nothing can be written there.
    PdfOutput(const posix::Folder &folder, std::string pdfName, std::string pdfPath,
              LeftoverGuard &guard);

    int fd() const { return m_file.fd(); }

    // Flushes the finished file to disk, then puts it in place under the PDF's name, with the
    // permissions a new file gets.
    void commit();

private:
    std::string m_pdfName;
    std::string m_pdfPath;
    posix::PendingFile m_file;
};

} // namespace converter
