#pragma once

// Each part's PDF is checked alone, then the result is built from the checked parts' pages.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace converter {

struct PartExpectation
{
    std::string description; // "fichier 3 (« plan.eps »)"
    std::optional<std::pair<double, double>> pageSize;
};

struct CheckedPart
{
    std::string path;
    long pages = 0;
};

// Throws ConversionFailure naming the part when its PDF is damaged, has no page, or a page not
// at the expected size.
CheckedPart checkPart(const std::string &pdfPath, const PartExpectation &expectation);

struct DocumentInfo
{
    std::string title;
    std::string creator;
    std::string producer;
};

// Writes the result to outputFd; throws ConversionFailure when it cannot be written whole.
void joinParts(const std::vector<CheckedPart> &parts, const std::vector<std::string> &outlineTitles,
               const DocumentInfo &info, int outputFd);

} // namespace converter
