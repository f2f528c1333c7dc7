#pragma once

#include <string>
#include <vector>

namespace assembly {

// What becomes of the sources once the result is safely in place.
enum class SourceDeletion {
    Keep,
    // Into the desktop trash (trash/trash.h), restorable. A source no trash can take is deleted
    // for ever only if the window says yes when asked (JobWindow::confirmPermanentDeletion);
    // otherwise it stays, and the report says why.
    ToTrash,
    // Deleted for ever, as rm does.
    Permanently,
};

// The job's inputs, read from the main window when OK is pressed. Paths and names are the
// file system's own bytes (not necessarily UTF-8).
struct JobInputs
{
    std::string directory;
    std::string baseName; // as typed: result_names.h says what it gives, and what is refused
    std::vector<std::string> selectedFiles; // bare names, in assembly order
    bool convertToPdf = false;
    SourceDeletion sourceDeletion = SourceDeletion::Keep;
    unsigned conversionTimeLimit = 0; // seconds a file may take to convert; 0: the converter's

    bool deletesSources() const { return sourceDeletion != SourceDeletion::Keep; }
};

} // namespace assembly
