// End to end with the shipped converter and the real Ghostscript: brakwen-cli sits in the build's
// program folder beside ps2pdf.bat and pdfwrite.rsp, exactly as it is installed.

#include "test_support.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace testing_support;
using Names = std::vector<std::string>;

namespace {

const std::string cliPath = BRAKWEN_CLI_PATH;

std::string epsPage(const std::string &label)
{
    return "%!PS-Adobe-3.0 EPSF-3.0\n"
           "%%BoundingBox: 0 0 200 100\n"
           "%%EndComments\n"
           "/Helvetica findfont 20 scalefont setfont 10 40 moveto (" +
           label + ") show\nshowpage\n%%EOF\n";
}

} // namespace

TEST(Ghostscript, ConvertsTheAssembledFileAndRemovesTheSources)
{
    TempDir dir;
    writeFile(dir.file("page 1.eps"), epsPage("un"));
    writeFile(dir.file("page 2.eps"), epsPage("deux"));
    const ProgramRun run =
        runProgram({cliPath, "--pdf", "--delete-sources", "--name", "r\xe9sultat final", dir.path(),
                    "page 2.eps", "page 1.eps"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(listNames(dir.path()), Names{"r\xe9sultat final.pdf"});
    EXPECT_EQ(readFile(dir.file("r\xe9sultat final.pdf")).rfind("%PDF-", 0), 0u);

    if (::access("/usr/bin/pdfinfo", X_OK) == 0) {
        const ProgramRun info = runProgram({"/usr/bin/pdfinfo", dir.file("r\xe9sultat final.pdf")});
        EXPECT_EQ(info.exitStatus, 0) << info.err;
        const auto pages = info.out.find("Pages:");
        ASSERT_NE(pages, std::string::npos) << info.out;
        EXPECT_EQ(std::stoi(info.out.substr(pages + 6)), 2) << info.out;
    }
}

TEST(Ghostscript, PostScriptErrorFailsTheConversionAndKeepsTheSources)
{
    TempDir dir;
    writeFile(dir.file("bad.eps"), "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n"
                                   "1 0 div undefinedcommand\nshowpage\n");
    const ProgramRun run =
        runProgram({cliPath, "--pdf", "--delete-sources", dir.path(), "bad.eps"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find("Echec de la conversion."), std::string::npos) << run.err;
    EXPECT_EQ(listNames(dir.path()), (Names{"bad.eps", "final.eps"}));
}

TEST(Ghostscript, ItsOwnWordsStayOffTheTerminalUnlessAskedFor)
{
    TempDir dir;
    // A document that talks, and one that talks and fails: Ghostscript's English stays out of
    // the way, the reason for the failure, naming the file, does not. The failure ends the other
    // part, maybe before it talks: what is looked for is what the failing one says first.
    writeFile(dir.file("talks.eps"), "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n"
                                     "(chatter from the document) print flush\n");
    writeFile(dir.file("bad.eps"), "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n"
                                   "(last words) print flush undefinedcommand\n");
    const ProgramRun quiet = runProgram({cliPath, "--pdf", dir.path(), "talks.eps", "bad.eps"});
    EXPECT_EQ(quiet.exitStatus, 1);
    EXPECT_EQ(quiet.err, cliError(dir.file("final.pdf"),
                                  "Echec de la conversion. (fichier 2 (« bad.eps ») : erreur "
                                  "PostScript undefined dans undefinedcommand ; aucun PDF n'a été "
                                  "écrit)"));
    const ProgramRun verbose =
        runProgram({cliPath, "--pdf", "--verbose", dir.path(), "talks.eps", "bad.eps"});
    EXPECT_EQ(verbose.exitStatus, 1);
    EXPECT_NE(verbose.err.find("last words"), std::string::npos) << verbose.err;
}

TEST(Ghostscript, APdfThatCannotBeFlushedNeverTakesTheOlderOnesPlace)
{
    TempDir dir;
    writeFile(dir.file("a.eps"), epsPage("un"));
    writeFile(dir.file("final.pdf"), "older PDF");
    const ProgramRun run = runProgram(
        {cliPath, "--pdf", "--delete-sources", "--force", dir.path(), "a.eps"},
        preloading(BRAKWEN_FAULT_SHIM_PATH, {"BRAKWEN_FAULT_FSYNC_ERRNO=" + std::to_string(EIO)}));
    EXPECT_EQ(run.exitStatus, 1) << run.err;
    EXPECT_TRUE(readFile(dir.file("final.pdf")) == "older PDF");
    EXPECT_EQ(listNames(dir.path()), (Names{"a.eps", "final.eps", "final.pdf"}));
}
