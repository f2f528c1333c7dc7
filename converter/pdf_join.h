#pragma once

// The PDF made from the checked parts' pages and nothing else of them: no catalog entry of a part
// (actions, names, JavaScript, outlines, forms, metadata) comes along, and each page is rebuilt
// from the entries that say what it shows (its boxes, rotation and unit, the resources it draws
// with, contents and transparency group), without its annotations or actions. One bookmark per
// part points to its first page. Objects that several parts share byte for byte are written
// once. Only the confined reader runs this: the parts' PDFs are parsed nowhere else.

#include "converter/pdf_part_check.h"

#include <memory>
#include <string>

namespace converter {

struct DocumentInfo
{
    std::string title;   // the PDF's name without ".pdf"
    std::string creator; // "Brakwen <version>"
    std::string producer;
};

class PdfJoiner
{
public:
    // Writes to outputFd, a file open for reading (objects are compared with what is already
    // written) and writing, whose content it replaces.
    explicit PdfJoiner(int outputFd);
    PdfJoiner(const PdfJoiner &) = delete;
    PdfJoiner &operator=(const PdfJoiner &) = delete;
    ~PdfJoiner();

    // Copies the pages of the part PDF open on fd, which its check found to have `pages`, and
    // keeps its bookmark's title, as UTF-8 (any bytes: what is not valid UTF-8 shows as U+FFFD).
    // Parts are copied one at a time, so that any number of them joins within a few descriptors
    // and flat memory. Throws PartFailure for the part, ConversionFailure when the PDF cannot be
    // written; the file then holds nothing usable.
    void copy(int fd, const PartExpectation &expectation, long pages, std::string title);

    // The bookmarks, page tree, catalog and document information, then the cross-reference
    // table; throws ConversionFailure. At least one part must have been copied.
    void finish(const DocumentInfo &info);

private:
    class Joiner;
    std::unique_ptr<Joiner> m_joiner;
};

// Loads, while the process may still open files, what libqpdf would otherwise load on first use
// (its digest provider, the time zone): the reader does this before it is shut in.
void preparePdfLibrary();

} // namespace converter
