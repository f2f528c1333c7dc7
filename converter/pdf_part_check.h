#pragma once

// A part PDF (what Ghostscript wrote for one source) checked alone, as soon as its Ghostscript
// has ended. The source controls every byte of it, so it counts only when libqpdf reads it
// without a single warning (a file that had to be repaired is not the file Ghostscript finished
// writing), it has pages, and, for an EPS, each of them shows exactly the source's box. Only the
// confined reader runs this: nothing a part wrote is parsed in the converter itself.

#include <optional>
#include <stdexcept>
#include <utility>

namespace converter {

struct PartExpectation
{
    // An EPS: its box's width and height, which every page must have, at the origin, untouched
    // by a crop box, a rotation or a user unit. A document keeps its own page sizes.
    std::optional<std::pair<double, double>> pageSize;
};

// Why a part PDF does not count, in French ("la page 1 est tournée (Rotate)"); whoever reports
// it puts the part's description in front.
class PartFailure : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The number of pages of the part PDF open on fd. Throws PartFailure; memory running out shows
// as std::bad_alloc or, where libqpdf takes it for damage, as a PartFailure.
long checkPart(int fd, const PartExpectation &expectation);

} // namespace converter
