// The conversion through the external converter, with fake converters written by the tests: a
// /bin/sh script ps2pdf.bat and an empty pdfwrite.rsp in a temporary program folder, beside a
// complete PDF (made.pdf) the script may put in place.

#include "assembly/assembly_job.h"
#include "assembly/pdf_conversion.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testing_support;
using assembly::AssemblyJob;
using assembly::JobInputs;
using assembly::JobReport;
using Calls = std::vector<std::string>;

namespace {

// Records its arguments, one per line, in args.txt beside itself, and the EPS it got in seen.eps.
const char *const recordArguments = "printf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args.txt\"\n"
                                    "pwd > \"$(dirname \"$0\")/cwd.txt\"\n"
                                    "cp \"$1\" \"$(dirname \"$0\")/seen.eps\"\n";

class Converter
{
public:
    explicit Converter(const std::string &body, const std::string &subfolder = "tool")
    {
        m_directory = m_root.file(subfolder);
        ::mkdir(m_directory.c_str(), 0755);
        m_directory += "/";
        writeScript(m_directory + "ps2pdf.bat", std::string(recordArguments) + body);
        writeFile(m_directory + "pdfwrite.rsp", "");
        writeFile(m_directory + "made.pdf", minimalPdf(2));
    }

    const std::string &directory() const { return m_directory; }
    std::string seenEps() const { return readFile(m_directory + "seen.eps"); }
    std::string arguments() const { return readFile(m_directory + "args.txt"); }
    std::string workingFolder() const { return readFile(m_directory + "cwd.txt"); }

private:
    TempDir m_root;
    std::string m_directory;
};

struct Job
{
    TempDir dir;
    JobInputs inputs;
    RecordingWindow window;

    explicit Job(bool deleteSources, const std::string &baseName = "final")
    {
        writeFile(dir.file("a.eps"), "%!PS-A\n");
        writeFile(dir.file("b.eps"), "%!PS-B\n");
        inputs.directory = dir.path();
        inputs.baseName = baseName;
        inputs.selectedFiles = {"b.eps", "a.eps"};
        inputs.convertToPdf = true;
        inputs.sourceDeletion =
            deleteSources ? assembly::SourceDeletion::Permanently : assembly::SourceDeletion::Keep;
    }

    JobReport run(const Converter &converter)
    {
        return AssemblyJob(inputs, converter.directory(), window).run();
    }

    std::vector<std::string> boxes() const
    {
        std::vector<std::string> result;
        for (const std::string &call : window.calls)
            if (call.rfind("box ", 0) == 0)
                result.push_back(call.substr(4));
        return result;
    }
};

} // namespace

TEST(ConverterAvailable, NeedsBothFilesAndNoFolderPassesForOne)
{
    TempDir tool;
    const std::string directory = tool.path() + "/";
    EXPECT_FALSE(assembly::converterAvailable(directory));
    writeFile(tool.file("pdfwrite.rsp"), "");
    EXPECT_FALSE(assembly::converterAvailable(directory));
    ASSERT_EQ(::mkdir(tool.file("ps2pdf.bat").c_str(), 0755), 0);
    EXPECT_FALSE(assembly::converterAvailable(directory));
    ASSERT_EQ(::rmdir(tool.file("ps2pdf.bat").c_str()), 0);
    writeFile(tool.file("ps2pdf.bat"), "");
    EXPECT_TRUE(assembly::converterAvailable(directory));
    ASSERT_EQ(::unlink(tool.file("pdfwrite.rsp").c_str()), 0);
    EXPECT_FALSE(assembly::converterAvailable(directory));
}

TEST(PdfConversion, SuccessKeepsOnlyThePdfAndDeletesSourcesWhenAsked)
{
    Converter converter(std::string(putMadePdf) + "exit 0");
    Job job(true);
    const JobReport report = job.run(converter);
    EXPECT_TRUE(report.converted);
    EXPECT_EQ(converter.seenEps(), "%!PS-B\n%!PS-A\n");
    EXPECT_EQ(readFile(job.dir.file("final.pdf")), minimalPdf(2));
    EXPECT_EQ(listNames(job.dir.path()), (Calls{"final.pdf"}));
    EXPECT_TRUE(job.boxes().empty());
    EXPECT_EQ(converter.arguments(),
              job.dir.file("final.eps") + "\n" + job.dir.file("final.pdf") + "\n");
    // The converter runs where the program runs, not in the Tool or the chosen directory.
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(converter.workingFolder(), std::string(cwd) + "\n");
}

TEST(PdfConversion, FailingExitStatusMeansFailureEvenWithAPdfLeftBehind)
{
    Converter converter(std::string(putMadePdf) + "exit 1");
    for (bool deleteSources : {true, false}) {
        Job job(deleteSources);
        const JobReport report = job.run(converter);
        EXPECT_FALSE(report.converted);
        // The EPS result stays and is the only result; the partial PDF is not passed off as one.
        EXPECT_EQ(readFile(job.dir.file("final.eps")), "%!PS-B\n%!PS-A\n");
        EXPECT_EQ(listNames(job.dir.path()), (Calls{"a.eps", "b.eps", "final.eps"}));
        // A PDF was asked for and none was made: the user is told, whether sources were to go
        // or not.
        EXPECT_EQ(job.boxes(), Calls{"Echec de la conversion."});
        EXPECT_TRUE(report.errorBoxShown);
        // The job still ends normally.
        const Calls tail(job.window.calls.end() - 4, job.window.calls.end());
        EXPECT_EQ(tail, (Calls{"clear", "rules", "quit 1", "busy 0"}));
    }
}

TEST(PdfConversion, NoPdfWrittenFailsAndTheOlderPdfNeitherPassesForOneNorIsLost)
{
    Converter converter("exit 0");
    for (bool deleteSources : {true, false}) {
        Job job(deleteSources);
        writeFile(job.dir.file("final.pdf"), "older pdf");
        const JobReport report = job.run(converter);
        EXPECT_FALSE(report.converted);
        EXPECT_EQ(listNames(job.dir.path()), (Calls{"a.eps", "b.eps", "final.eps", "final.pdf"}));
        EXPECT_EQ(readFile(job.dir.file("final.pdf")), "older pdf");
        EXPECT_EQ(job.boxes(), Calls{"Echec de la conversion."});
    }
    // A converter that cannot even be found fails the same way.
    ::unlink((converter.directory() + "ps2pdf.bat").c_str());
    Job job(true);
    EXPECT_FALSE(job.run(converter).converted);
    EXPECT_EQ(job.boxes(), Calls{"Echec de la conversion."});
    EXPECT_EQ(listNames(job.dir.path()), (Calls{"a.eps", "b.eps", "final.eps"}));
}

TEST(PdfConversion, OlderPdfIsLeftAloneWithoutTheConvertFlag)
{
    Converter converter(putMadePdf);
    Job job(false);
    job.inputs.convertToPdf = false;
    writeFile(job.dir.file("final.pdf"), "older pdf");
    job.run(converter);
    EXPECT_EQ(readFile(job.dir.file("final.pdf")), "older pdf");
    EXPECT_EQ(readFile(job.dir.file("final.eps")), "%!PS-B\n%!PS-A\n");
}

TEST(PdfConversion, BlanksQuotesAndShellCharactersReachTheConverterIntact)
{
    const std::string awkward = "to ol \"q\" 'x' $HOME `id`; & | *";
    Converter converter(putMadePdf, awkward);
    Job job(true, "fi nal \"$(touch pwned)\" ; *");
    const std::string subfolder = job.dir.file("my \"dir\" $PATH");
    ASSERT_EQ(::mkdir(subfolder.c_str(), 0755), 0);
    writeFile(subfolder + "/a.eps", "A");
    job.inputs.directory = subfolder;
    job.inputs.selectedFiles = {"a.eps"};

    EXPECT_TRUE(job.run(converter).converted);
    const std::string eps = subfolder + "/fi nal \"$(touch pwned)\" ; *.eps";
    const std::string pdf = subfolder + "/fi nal \"$(touch pwned)\" ; *.pdf";
    EXPECT_EQ(converter.arguments(), eps + "\n" + pdf + "\n");
    EXPECT_EQ(converter.seenEps(), "A");
    EXPECT_EQ(readFile(pdf), minimalPdf(2));
    EXPECT_FALSE(exists("pwned"));
    EXPECT_EQ(listNames(subfolder), (Calls{"fi nal \"$(touch pwned)\" ; *.pdf"}));
}

TEST(PdfConversion, SourceChangedSinceItWasReadIsKept)
{
    // The converter stands for anything that writes to a source while the job runs.
    Converter converter(std::string(putMadePdf) + "printf late >> \"$(dirname \"$1\")/a.eps\"");
    Job job(true);
    const JobReport report = job.run(converter);
    EXPECT_TRUE(report.converted);
    EXPECT_EQ(report.sourcesDeleted, 1);
    EXPECT_EQ(report.keptSources.size(), 1u);
    EXPECT_EQ(listNames(job.dir.path()), (Calls{"a.eps", "final.pdf"}));
    EXPECT_EQ(readFile(job.dir.file("a.eps")), "%!PS-A\nlate");
}

TEST(PdfConversion, ASourceRewrittenInPlaceWithItsTimeSetBackIsKept)
{
    // Same size, modification time restored: only the change time tells.
    Converter converter(std::string(putMadePdf) +
                        "a=\"$(dirname \"$1\")/a.eps\"; touch -r \"$a\" \"$a.time\"\n"
                        "printf Z | dd of=\"$a\" bs=1 count=1 conv=notrunc 2>/dev/null\n"
                        "touch -r \"$a.time\" \"$a\"; rm \"$a.time\"");
    Job job(true);
    const JobReport report = job.run(converter);
    EXPECT_TRUE(report.converted);
    EXPECT_EQ(report.keptSources.size(), 1u);
    EXPECT_EQ(listNames(job.dir.path()), (Calls{"a.eps", "final.pdf"}));
}

TEST(PdfConversion, AnEpsReplacedDuringTheConversionIsNotConvertedForThisJob)
{
    // Another job with the same name puts its own EPS in place while this one converts, or
    // writes over this one's, the same file still (longer: its times alone might not tell).
    for (const char *other :
         {"printf 'other job' > \"$1.other\"; mv \"$1.other\" \"$1\"\n",
          "printf 'other job, longer' | dd of=\"$1\" conv=notrunc 2>/dev/null\n"}) {
        Converter converter(other + std::string(putMadePdf));
        Job job(true);
        const JobReport report = job.run(converter);
        EXPECT_FALSE(report.converted) << other;
        EXPECT_EQ(job.boxes(), Calls{"Echec de la conversion."});
        // Every source stays, and so does the other job's EPS.
        EXPECT_EQ(readFile(job.dir.file("final.eps")).substr(0, 9), "other job");
        EXPECT_EQ(readFile(job.dir.file("a.eps")), "%!PS-A\n");
        EXPECT_EQ(readFile(job.dir.file("b.eps")), "%!PS-B\n");
    }
}

TEST(PdfConversion, APdfThatIsCutShortOrMissesPagesIsRemovedAndFails)
{
    const std::string whole = minimalPdf(2);
    struct Case
    {
        std::string made;
        std::string report; // what the converter says it made, if anything
    };
    const Case cases[] = {
        {whole.substr(0, whole.size() - 40), ""}, // a full disk: exit status 0, no end
        {minimalPdf(1), ""},                      // fewer pages than sources
        {whole, "pages 3\n"},                     // fewer pages than the converter made
    };
    for (const Case &broken : cases) {
        std::string body = putMadePdf;
        if (!broken.report.empty())
            body += "printf '" + broken.report.substr(0, broken.report.size() - 1) +
                    "\\n' >&\"$BRAKWEN_REPORT_FD\"\n";
        Converter converter(body);
        writeFile(converter.directory() + "made.pdf", broken.made);
        Job job(true);
        const JobReport report = job.run(converter);
        EXPECT_FALSE(report.converted) << report.conversionFailure;
        EXPECT_EQ(job.boxes(), Calls{"Echec de la conversion."});
        EXPECT_EQ(listNames(job.dir.path()), (Calls{"a.eps", "b.eps", "final.eps"}));
    }
}

TEST(PdfConversion, TheConverterIsToldWhereEachSourceStartsAndReportsItsPages)
{
    // The manifest, then a report of exactly the pages made.
    Converter converter("cat <&\"$BRAKWEN_PARTS_FD\" > \"$(dirname \"$0\")/parts.txt\"\n"
                        "printf 'pages 2\\n' >&\"$BRAKWEN_REPORT_FD\"\n" +
                        std::string(putMadePdf));
    Job job(false);
    job.inputs.selectedFiles = {"b.eps", "a.eps"};
    // A DOS EPS is handed over, and counted, by its PostScript section alone.
    writeFile(job.dir.file("a.eps"), dosEps("%!PS-A\n", "TIFF"));
    EXPECT_TRUE(job.run(converter).converted);
    EXPECT_EQ(readFile(converter.directory() + "parts.txt"),
              "brakwen-parts 1\n7 5 b.eps\n7 5 a.eps\n");
    EXPECT_EQ(converter.seenEps(), "%!PS-B\n%!PS-A\n");
}
