#pragma once

// Every part converted by a Ghostscript child of its own, as many at a time as there are
// processors, each given only its own bytes and its own folder, each PDF checked alone by the
// confined reader as soon as its child has ended.

#include "converter/ceilings.h"
#include "converter/ghostscript_zygote.h"
#include "converter/part.h"
#include "converter/pdf_part_check.h"
#include "converter/pdf_reader_process.h"

#include <functional>
#include <string>
#include <vector>

namespace converter {

struct PartConversionSettings
{
    std::string folder;        // private: the parts' PDFs are written in it
    std::string scratchFolder; // private: each part gets a folder of its own in it
    unsigned parallel = 1;     // children at a time
    unsigned timeLimit = 60;   // seconds a part may take
    PartLimits limits;         // what else it may use
    bool passOnOutput = false;
    std::function<bool()> stopRequested;
    // As each part ends: how many have, of how many, and which one just did (from 0).
    std::function<void(std::size_t done, std::size_t total, std::size_t finished)> progress;
};

// A part whose PDF counts, as the join asks the reader for it again.
struct CheckedPart
{
    std::string pdfPath;
    std::string description;     // "fichier 3 (« plan.eps »)"
    PartExpectation expectation; // the reader holds the part to it again as it copies it
    long pages = 0;
};

// Where the processor time went, for the benchmarks.
struct PartConversionCosts
{
    double childrenMilliseconds = 0;  // the parts' Ghostscript children, all together
    double checksMilliseconds = 0;    // this process, waiting for the reader's checks
    double preparingMilliseconds = 0; // this process, handing each part over
};

// The checked PDF of every part, in the parts' order. Throws ConversionFailure naming the first
// part found failing (the other children are then ended with the zygote).
std::vector<CheckedPart> convertParts(GhostscriptZygote &zygote, PdfReaderProcess &reader,
                                      int input, const std::vector<Part> &parts,
                                      const PartConversionSettings &settings,
                                      PartConversionCosts *costs = nullptr);

} // namespace converter
