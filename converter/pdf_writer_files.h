#pragma once

// Ghostscript's PDF writer costs more to open than most documents cost to draw (its colour
// set-up and tables), so the zygote opens it once, before any document is read, and every child
// draws into its own copy of it. What the writer opened there (its scratch files, its output)
// would be shared by every child at the same file offsets, so each child first puts files of its
// own in their place: the scratch files copied, at their offsets, onto the same descriptors, and
// its own PDF onto the output's descriptor.

#include "converter/ghostscript_interpreter.h"

#include <string>
#include <vector>

namespace converter {

struct PdfWriterFiles
{
    std::vector<int> scratch; // the writer's scratch files
    int output = -1;          // where it writes the PDF

    bool opened() const { return output >= 0; }
};

// In the zygote: opens the writer, writing to descriptor 4 (which must be /dev/null then), its
// scratch files in a folder made in `base` for them and removed at once. Returns no files when
// its descriptors cannot be told apart, in which case each child opens a writer of its own.
PdfWriterFiles openSharedPdfWriter(GhostscriptInterpreter &interpreter, const std::string &base);

// In a child: files of its own in place of the shared ones, the scratch copies made in the
// folder open on folderFd, where they count against its scratch space. False when one cannot be
// made.
bool takeOwnCopies(const PdfWriterFiles &files, int folderFd, int pdfFd);

} // namespace converter
