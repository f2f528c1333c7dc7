#pragma once

// Whether a PDF is whole. It is taken as complete only when qpdf reads it without a single
// warning: lenient readers (poppler's pdfinfo among them) silently rebuild a file cut short by a
// full disk and report its pages, which is exactly what must not pass for a result.

#include <optional>

namespace assembly {

// The number of pages of the PDF open on fd, or nullopt when it is damaged or incomplete, or
// when qpdf cannot be run.
std::optional<long> verifiedPageCount(int fd);

} // namespace assembly
