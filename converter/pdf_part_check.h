#pragma once

// A part PDF (what Ghostscript wrote for one source) checked alone, as soon as its Ghostscript
// has ended. The source controls every byte of it, so it counts only when libqpdf reads it
// without a single warning (a file that had to be repaired is not the file Ghostscript finished
// writing), it has pages, and, for an EPS, each of them shows exactly the source's box.

#include <optional>
#include <string>
#include <utility>

namespace converter {

struct PartExpectation
{
    // "fichier 3 (« plan.eps »)": every failure about the part starts with it.
    std::string description;
    // An EPS: its box's width and height, which every page must have, at the origin, untouched
    // by a crop box, a rotation or a user unit. A document keeps its own page sizes.
    std::optional<std::pair<double, double>> pageSize;
};

struct CheckedPart
{
    std::string path;
    PartExpectation expectation; // the joiner holds the part to it again as it copies it
    long pages = 0;
};

// Throws ConversionFailure, its message the part's description and why, in French.
CheckedPart checkPart(const std::string &pdfPath, const PartExpectation &expectation);

} // namespace converter
