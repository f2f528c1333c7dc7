#pragma once

// Whether a PDF is whole. It is taken as complete only when qpdf reads it without a single
// warning: lenient readers (poppler's pdfinfo among them) silently rebuild a file cut short by a
// full disk and report its pages, which is exactly what must not pass for a result. The result's
// structure is the converter's own, but its content comes from the sources: qpdf runs under a
// memory and a time ceiling, and a PDF it cannot read within them is not whole.

#include <cstdint>
#include <optional>

namespace assembly {

struct PdfCheckCeilings
{
    // qpdf reads the page tree and cross-reference table only: a few hundred bytes a page.
    std::uint64_t memory = std::uint64_t{1} << 30;
    unsigned seconds = 60;
};

// The number of pages of the PDF open on fd, or nullopt when it is damaged or incomplete, when
// qpdf cannot be run or when it goes past a ceiling.
std::optional<long> verifiedPageCount(int fd, PdfCheckCeilings ceilings = {});

} // namespace assembly
