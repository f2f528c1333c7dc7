#pragma once

// Part PDFs for the checker's and the joiner's tests: written by hand, in the shapes a hostile
// source could give them, or by Ghostscript as the converter runs it.

#include "../assembly/test_support.h"
#include "converter/conversion_failure.h"
#include "converter/pdf_join.h"
#include "converter/pdf_part_check.h"

#include <string>
#include <vector>

namespace pdf_parts {

using testing_support::TempDir;

// A part PDF on disk, checked, as the join takes it.
struct CheckedPart
{
    std::string path;
    converter::PartExpectation expectation;
    long pages = 0;
};

// The part at path checked, as the reader checks it through its descriptor.
CheckedPart check(const std::string &path, converter::PartExpectation expectation = {});

// A part of one page: catalog 1, page tree 2, page 3, its content stream 4, extra from 5 on.
struct HandMadePart
{
    std::string catalog = {};                    // entries added to the catalog
    std::string pages = "/Kids [3 0 R]/Count 1"; // the page tree's entries besides its type
    std::string page = "/MediaBox [0 0 100 50]"; // the page's own, besides its type and parent
    std::vector<std::string> extra = {};
    std::string contents = "0 0 m 100 50 l S";
    std::string version = "1.7";

    std::string text() const;
    // Written into the folder under name; returns its path.
    std::string writeIn(const TempDir &folder, const std::string &name) const;
};

std::string stream(const std::string &entries, const std::string &data);

// What Ghostscript makes of an EPS of that box that draws a line and label in Helvetica.
std::string ghostscriptPart(const TempDir &folder, const std::string &name, int width, int height,
                            const std::string &label, bool wholeFonts = false);

// The parts joined into joined.pdf in the folder (titled "1", "2", ... unless titles are
// given); returns its path.
std::string join(const TempDir &folder, const std::vector<CheckedPart> &parts,
                 std::vector<std::string> titles = {});

// Whether qpdf --check finds the file sound, without a single warning.
bool passesQpdfCheck(const std::string &pdf);

// The message of the PartFailure or ConversionFailure that work throws, or "" when it throws
// none.
template <typename Work> std::string failureOf(Work &&work)
{
    try {
        work();
    } catch (const converter::PartFailure &failure) {
        return failure.what();
    } catch (const converter::ConversionFailure &failure) {
        return failure.what();
    }
    return {};
}

} // namespace pdf_parts
