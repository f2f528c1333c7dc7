// A part PDF counts only when it is the file Ghostscript finished writing and shows what its
// source should: damaged, repaired, cut or reshaped parts fail, saying why.

#include "converter/pdf_part_check.h"
#include "pdf_parts.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <tuple>

using namespace pdf_parts;

namespace {

long pagesOf(const std::string &path, std::optional<std::pair<double, double>> size)
{
    return check(path, {size}).pages;
}

std::string checkFailure(const std::string &path, std::optional<std::pair<double, double>> size)
{
    return failureOf([&] { check(path, {size}); });
}

// The PDF with the cross-reference entry of one object pointing a byte off.
std::string withXrefEntryMoved(std::string pdf, int object)
{
    const std::size_t entry = pdf.find('\n', pdf.rfind("\nxref\n") + 6) + 1 + 20 * object;
    char moved[11];
    std::snprintf(moved, sizeof moved, "%010lu", std::stoul(pdf.substr(entry, 10)) + 1);
    return pdf.replace(entry, 10, moved);
}

} // namespace

TEST(PdfPartCheck, GhostscriptsPartCountsAtItsBoxOnly)
{
    TempDir folder;
    const std::string part = ghostscriptPart(folder, "plan", 200, 100, "Plan");
    EXPECT_EQ(pagesOf(part, std::pair(200.0, 100.0)), 1);
    EXPECT_EQ(pagesOf(part, std::pair(200.004, 99.996)), 1);
    EXPECT_EQ(pagesOf(part, std::nullopt), 1);
    EXPECT_EQ(checkFailure(part, std::pair(200.0, 100.02)),
              "la page 1 a pour format [0 0 200 100] au lieu de [0 0 200 100.02]");
}

TEST(PdfPartCheck, DamagedRepairedOrEmptyPartsFail)
{
    TempDir folder;
    const std::string whole = HandMadePart().text();
    std::string wrongLength = whole;
    wrongLength.replace(wrongLength.find("/Length 16"), 10, "/Length 14");
    const std::string damaged = "endommagé";
    const std::tuple<const char *, std::string, std::string> cases[] = {
        {"cut by 5 bytes", whole.substr(0, whole.size() - 5), damaged},
        {"cut by 40 bytes", whole.substr(0, whole.size() - 40), damaged},
        {"cross-reference entry a byte off", withXrefEntryMoved(whole, 3), damaged},
        {"wrong stream length", wrongLength, damaged},
        {"duplicated key",
         HandMadePart{.page = "/MediaBox [0 0 100 50]/Contents 5 0 R",
                      .extra = {stream("", "1 0 0 RG 0 0 100 50 re f")}}
             .text(),
         damaged},
        {"duplicated key only the catalog leads to",
         HandMadePart{.catalog = "/Extra 5 0 R", .extra = {"<</A 1/A 2>>"}}.text(), damaged},
        {"no page", HandMadePart{.pages = "/Kids []/Count 0"}.text(), "aucune page"},
        {"unknown version", HandMadePart{.version = "1.8"}.text(), "version inconnue"},
    };
    EXPECT_EQ(checkFailure(HandMadePart().writeIn(folder, "whole.pdf"), std::nullopt), "");
    for (const auto &[what, bytes, reason] : cases) {
        testing_support::writeFile(folder.file("part.pdf"), bytes);
        const std::string failure = checkFailure(folder.file("part.pdf"), std::nullopt);
        EXPECT_NE(failure.find(reason), std::string::npos) << what << ": " << failure;
    }
    testing_support::writeFile(folder.file("empty.pdf"), "");
    EXPECT_EQ(checkFailure(folder.file("empty.pdf"), std::nullopt),
              "le PDF produit est incomplet ou endommagé");
}

TEST(PdfPartCheck, AnEpsPageShowsExactlyItsBox)
{
    TempDir folder;
    const std::string box = "/MediaBox [0 0 100 50]";
    const auto failure = [&](const HandMadePart &part, bool eps) {
        return checkFailure(part.writeIn(folder, "part.pdf"),
                            eps ? std::optional(std::pair(100.0, 50.0)) : std::nullopt);
    };
    for (const HandMadePart &shown : {
             HandMadePart{.pages = "/Kids [3 0 R]/Count 1" + box, .page = ""},
             HandMadePart{.page = "/MediaBox [100 50 0 0]"},
             HandMadePart{.page = box + "/CropBox [-5 -5 105 55]/Rotate 360/UserUnit 1"},
         })
        EXPECT_EQ(failure(shown, true), "") << shown.pages << shown.page;
    for (const HandMadePart &reshaped : {
             HandMadePart{.page = "/MediaBox [10 0 100 50]"},
             HandMadePart{.page = "/MediaBox [0 0 120 50]"},
             HandMadePart{.page = "/MediaBox [0 0 100 60]"},
             HandMadePart{.page = box + "/CropBox [0 0 50 50]"},
             HandMadePart{.pages = "/Kids [3 0 R]/Count 1/Rotate 90"},
             HandMadePart{.page = box + "/UserUnit 2"},
         }) {
        EXPECT_TRUE(failure(reshaped, true).starts_with("la page 1 "))
            << reshaped.pages << reshaped.page;
        EXPECT_EQ(failure(reshaped, false), "") << reshaped.pages << reshaped.page;
    }
    for (const HandMadePart &invalid : {
             HandMadePart{.page = "/MediaBox [0 0 100]"},
             HandMadePart{.page = "/MediaBox [0 0 0 50]"},
             HandMadePart{.page = box + "/Rotate 45"},
             HandMadePart{.page = box + "/UserUnit 0"},
             HandMadePart{.page = box + "/CropBox [0 0 50]"},
             HandMadePart{.page = box + "/Resources 7"},
         })
        EXPECT_TRUE(failure(invalid, false).starts_with("la page 1 ")) << invalid.page;
}
