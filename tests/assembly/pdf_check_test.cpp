// The job's check of the result runs qpdf under ceilings of its own: a PDF that would take more
// memory or time than they allow is not taken for whole.

#include "assembly/pdf_check.h"
#include "posix/unique_fd.h"
#include "test_support.h"

#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

using assembly::verifiedPageCount;
using testing_support::TempDir;

TEST(PdfCheck, QpdfCountsThePagesUnderAMemoryAndATimeCeiling)
{
    TempDir folder;
    // A page tree holding two million numbers, which qpdf reads to count the pages.
    std::string items;
    for (int i = 0; i < 2000000; ++i)
        items += "0 ";
    testing_support::writeFile(
        folder.file("big.pdf"),
        testing_support::pdfFromObjects({"<</Type/Catalog/Pages 2 0 R>>",
                                         "<</Type/Pages/Kids [3 0 R]/Count 1/Big [" + items + "]>>",
                                         "<</Type/Page/Parent 2 0 R/MediaBox [0 0 10 10]>>"}));
    const posix::UniqueFd big(::open(folder.file("big.pdf").c_str(), O_RDONLY | O_CLOEXEC));
    EXPECT_EQ(verifiedPageCount(big.get()), 1);
    EXPECT_EQ(verifiedPageCount(big.get(), {64U << 20, 60}), std::nullopt);

    // A qpdf that waits for ever on a pipe the test holds is ended by the clock.
    const std::string pipe = folder.file("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const posix::UniqueFd held(::open(pipe.c_str(), O_RDWR | O_CLOEXEC));
    testing_support::writeFile(folder.file("qpdf"), "#!/bin/sh\nread line <'" + pipe + "'\n");
    ::chmod(folder.file("qpdf").c_str(), 0700);
    const std::string path = std::getenv("PATH");
    ::setenv("PATH", (folder.path() + ":" + path).c_str(), 1);
    const std::optional<long> waited = verifiedPageCount(big.get(), {1U << 30, 1});
    ::setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(waited, std::nullopt);
}
