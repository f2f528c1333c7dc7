#pragma once

// The PDF made from the checked parts' pages and nothing else of them: no catalog entry of a part
// (actions, names, JavaScript, outlines, forms, metadata) comes along, and each page is rebuilt
// from the entries that say what it shows (its boxes, rotation and unit, resources, contents and
// transparency group), without its annotations or actions. One bookmark per part points to its
// first page. Objects that several parts share byte for byte are written once.

#include "converter/pdf_part_check.h"

#include <string>
#include <vector>

namespace converter {

struct DocumentInfo
{
    std::string title;   // the PDF's name without ".pdf"
    std::string creator; // "Brakwen <version>"
    std::string producer;
};

// Writes the joined PDF to outputFd, a file open for reading (objects are compared with what is
// already written) and writing, whose content it replaces. outlineTitles holds one title per
// part, as UTF-8 (any bytes: what is not valid UTF-8 shows as U+FFFD). The parts are read one at
// a time, so that any number of them joins within a few descriptors and flat memory. Throws
// ConversionFailure, after which the file holds nothing usable.
void joinParts(const std::vector<CheckedPart> &parts, const std::vector<std::string> &outlineTitles,
               const DocumentInfo &info, int outputFd);

} // namespace converter
