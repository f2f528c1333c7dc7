// brakwen-cli as scripts see it: exit status, messages on stderr, and the files it leaves.

#include "test_support.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

using namespace testing_support;
using Names = std::vector<std::string>;

namespace {

const std::string cliPath = BRAKWEN_CLI_PATH;

ProgramRun cli(std::vector<std::string> arguments, const std::string &program = cliPath)
{
    arguments.insert(arguments.begin(), program);
    return runProgram(arguments);
}

// A copy of brakwen-cli in a folder of its own, beside a fake converter or none.
struct ToolCopy
{
    TempDir tool;
    std::string program;

    explicit ToolCopy(const std::string &converterBody = {})
    {
        program = copyExecutable(cliPath, tool);
        if (!converterBody.empty()) {
            writeScript(tool.file("ps2pdf.bat"), converterBody);
            writeFile(tool.file("pdfwrite.rsp"), "");
            writeFile(tool.file("made.pdf"), minimalPdf(10));
        }
    }
};

} // namespace

TEST(CommandLine, HelpIsFrenchAndUsageErrorsExitTwoTouchingNothing)
{
    const ProgramRun help = cli({"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    // French puts a blank before a colon.
    EXPECT_NE(help.out.find("Utilisation : brakwen-cli"), std::string::npos) << help.out;
    EXPECT_EQ(help.out.find("Usage"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("--delete-sources"), std::string::npos);
    EXPECT_NE(help.out.find("nom du fichier final"), std::string::npos);

    TempDir dir;
    writeFile(dir.file("a.eps"), "A");
    for (const Names &arguments :
         {Names{}, Names{dir.path()}, Names{"--bogus", dir.path(), "a.eps"},
          Names{dir.path(), "../a.eps"}, Names{"--name"}, Names{"", "a.eps"},
          Names{"--", "", "a.eps"}, Names{dir.path(), ""}}) {
        const ProgramRun run = cli(arguments);
        EXPECT_EQ(run.exitStatus, 2) << run.err;
        EXPECT_NE(run.err.find("--help"), std::string::npos) << run.err;
    }
    // A file name starting with a dash, given before "--", is said to be taken for an option.
    const ProgramRun dashed = cli({dir.path(), "-a.eps"});
    EXPECT_EQ(dashed.exitStatus, 2);
    EXPECT_NE(dashed.err.find("« -a.eps »"), std::string::npos) << dashed.err;
    EXPECT_NE(dashed.err.find("« -- »"), std::string::npos) << dashed.err;
    EXPECT_EQ(listNames(dir.path()), Names{"a.eps"});

    // No converter beside this executable: --pdf fails before anything is written, the command
    // line being right.
    ToolCopy withoutConverter;
    const ProgramRun pdf =
        cli({"--pdf", "--delete-sources", dir.path(), "a.eps"}, withoutConverter.program);
    EXPECT_EQ(pdf.exitStatus, 1);
    EXPECT_NE(pdf.err.find("ps2pdf.bat"), std::string::npos) << pdf.err;
    EXPECT_EQ(listNames(dir.path()), Names{"a.eps"});
}

TEST(CommandLine, VersionAndHelpFollowGnuWays)
{
    const ProgramRun version = cli({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    // Name and version, copyright, licence, as GNU tools lay them out.
    EXPECT_EQ(version.out.rfind("brakwen-cli (Brakwen) ", 0), 0u) << version.out;
    EXPECT_NE(version.out.find("\nCopyright (C) "), std::string::npos) << version.out;
    EXPECT_NE(version.out.find("\nLicence GPLv3+"), std::string::npos) << version.out;
    const ProgramRun help = cli({"-h"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("  -h, --help "), std::string::npos) << help.out;
    // The last line says where to report faults.
    EXPECT_NE(help.out.find("<https://", help.out.rfind('\n', help.out.size() - 2)),
              std::string::npos)
        << help.out;
    std::istringstream lines(help.out + version.out);
    for (std::string line; std::getline(lines, line);) {
        // Columns are characters: count the bytes that start one in UTF-8.
        const auto columns = std::count_if(line.begin(), line.end(), [](char c) {
            return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        });
        EXPECT_LE(columns, 80) << line;
    }
    // A script reading them must learn that nothing could be written.
    for (const char *option : {"--help", "--version"}) {
        const ProgramRun full =
            runProgram({"/bin/sh", "-c", "exec \"$0\" \"$1\" >/dev/full", cliPath, option});
        EXPECT_EQ(full.exitStatus, 1) << option;
        EXPECT_EQ(full.err,
                  "brakwen-cli: erreur d'écriture sur la sortie standard (disque plein)\n");
    }
}

TEST(CommandLine, ControlCharactersInNamesAreEscapedOnStderr)
{
    TempDir dir;
    const std::string name = "a\nb\x1b[2J\t\\c\xff.eps";
    const ProgramRun run = cli({dir.path(), name});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, cliError(dir.path() + "/a\\nb\\033[2J\\t\\\\c\\xff.eps",
                                "Fichier introuvable. (absent du répertoire)"));
}

TEST(CommandLine, AssemblesInArgumentOrderUnderAnyBaseName)
{
    TempDir dir;
    writeFile(dir.file("a.eps"), "A");
    writeFile(dir.file("b.eps"), "B");
    const ProgramRun plain = cli({dir.path(), "b.eps", "a.eps", "b.eps"});
    EXPECT_EQ(plain.exitStatus, 0) << plain.err;
    EXPECT_EQ(readFile(dir.file("final.eps")), "BAB");
    EXPECT_EQ(plain.err, ""); // stderr is no terminal here: no progress

    // After "--" a name that looks like an option is a file name.
    writeFile(dir.file("-d.eps"), "D");
    const ProgramRun dashed = cli({"--name", "dashed", "--", dir.path(), "-d.eps", "a.eps"});
    EXPECT_EQ(dashed.exitStatus, 0) << dashed.err;
    EXPECT_EQ(readFile(dir.file("dashed.eps")), "DA");
    ::unlink(dir.file("-d.eps").c_str());
    ::unlink(dir.file("dashed.eps").c_str());

    const ProgramRun empty = cli({"--name", "", "--delete-sources", dir.path(), "a.eps"});
    EXPECT_EQ(empty.exitStatus, 0) << empty.err;
    EXPECT_EQ(readFile(dir.file(".eps")), "A");
    EXPECT_EQ(listNames(dir.path()), (Names{".eps", "b.eps", "final.eps"}));
}

TEST(CommandLine, TheBaseNameStaysANameInTheFolderAndItsExtensionIsNotDoubled)
{
    TempDir parent;
    const std::string dir = parent.file("job");
    ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0);
    writeFile(dir + "/a.eps", "A");
    // Refused before anything is written, here or anywhere the name leads.
    for (const std::string &name :
         {std::string("../r"), std::string("a/b"), parent.file("x"), std::string(".."),
          std::string("."), std::string("..eps"), std::string("../r.pdf")}) {
        const ProgramRun refused = cli({"--delete-sources", "--name", name, dir, "a.eps"});
        EXPECT_EQ(refused.exitStatus, 2) << name;
        EXPECT_NE(refused.err.find("« " + name + " »"), std::string::npos) << refused.err;
    }
    EXPECT_EQ(listNames(parent.path()), Names{"job"});
    EXPECT_EQ(listNames(dir), Names{"a.eps"});

    // A typed extension, in any case, is the job's own.
    ToolCopy converter(putMadePdf);
    for (const auto &[name, pdf, result] :
         {std::tuple{"rapport.pdf", true, "rapport.pdf"},
          std::tuple{"rapport.eps", true, "rapport.pdf"},
          std::tuple{"RAPPORT.EPS", false, "RAPPORT.eps"}, std::tuple{".PDF", true, ".pdf"}}) {
        Names arguments{"--name", name, dir, "a.eps"};
        if (pdf)
            arguments.insert(arguments.begin(), "--pdf");
        const ProgramRun run = cli(arguments, converter.program);
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_TRUE(exists(dir + "/" + result)) << name;
        EXPECT_EQ(listNames(dir).size(), 2u) << name;
        ::unlink((dir + "/" + result).c_str());
    }
}

TEST(CommandLine, FailuresPrintTheWindowsMessageThenTheCauseAndExitOne)
{
    TempDir dir;
    writeFile(dir.file("a.eps"), "A");
    ASSERT_EQ(::mkdir(dir.file("folder.eps").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("loop.eps", dir.file("loop.eps").c_str()), 0);
    const std::string tooLong(300, 'x');
    const struct
    {
        Names arguments;
        std::string file;
        std::string said;
    } cases[] = {
        {{dir.path(), "a.eps", "gone.eps"},
         dir.file("gone.eps"),
         "Fichier introuvable. (absent du répertoire)"},
        {{dir.file("absent"), "a.eps"},
         dir.file("absent") + "/final.eps",
         "Nom de fichier incorrect. (répertoire introuvable)"},
        {{dir.path(), "folder.eps"},
         dir.file("folder.eps"),
         "Accès au fichier refusé. (est un dossier)"},
        {{dir.path(), "loop.eps"},
         dir.file("loop.eps"),
         "Erreur E/S 1921. (trop de liens symboliques)"},
        {{dir.path(), tooLong}, dir.file(tooLong), "Erreur E/S 206. (le chemin est trop long)"},
    };
    for (const auto &failure : cases) {
        const ProgramRun run = cli(failure.arguments);
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(run.err, cliError(failure.file, failure.said));
    }

    // The job's own refusals say why in their message, and nothing more.
    const ProgramRun self = cli({"--name", "a", dir.path(), "a.eps"});
    EXPECT_EQ(self.exitStatus, 1);
    EXPECT_EQ(self.err, "brakwen-cli: Le fichier « a.eps » est le fichier résultat : il ne peut "
                        "pas être assemblé dans lui-même.\n");
    EXPECT_EQ(readFile(dir.file("a.eps")), "A");
    EXPECT_EQ(listNames(dir.path()), (Names{"a.eps", "folder.eps", "loop.eps"}));
}

TEST(CommandLine, ConvertsWithTheConverterBesideTheExecutable)
{
    ToolCopy good(putMadePdf);
    TempDir dir;
    writeFile(dir.file("a.eps"), "A");
    const ProgramRun run = cli({"--pdf", "--delete-sources", dir.path(), "a.eps"}, good.program);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(listNames(dir.path()), Names{"final.pdf"});
}

TEST(CommandLine, TheTimeLimitIsAWholeNumberOfSecondsHandedToTheConverter)
{
    // The converter writes down the limit it was told, beside its own copy.
    ToolCopy telling(std::string(putMadePdf) +
                     "printf %s \"$BRAKWEN_TIME_LIMIT\" > \"$(dirname \"$0\")/limit\"");
    TempDir dir;
    writeFile(dir.file("a.eps"), "A");
    for (const auto &[option, told] :
         {std::pair{"-t7", "7"}, std::pair{"--timeout=86400", "86400"}}) {
        const ProgramRun run = cli({option, "--pdf", dir.path(), "a.eps"}, telling.program);
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(readFile(telling.tool.file("limit")), told);
    }
    for (const char *wrong : {"0", "86401", "-5", "+5", "5s", "", "99999999999999999999"}) {
        const ProgramRun refused =
            cli({"--timeout", wrong, "--pdf", dir.path(), "a.eps"}, telling.program);
        EXPECT_EQ(refused.exitStatus, 2) << wrong;
        EXPECT_EQ(refused.err, "brakwen-cli: --timeout : « " + std::string(wrong) +
                                   " » n'est pas un nombre de secondes de 1 à 86400\n"
                                   "Essayez « brakwen-cli --help ».\n");
    }
    EXPECT_EQ(listNames(dir.path()), (Names{"a.eps", "final.pdf"}));
}

TEST(CommandLine, AResultThatMayBeAllThatIsLeftOfOtherSourcesIsReplacedOnlyWhenForced)
{
    TempDir dir;
    writeFile(dir.file("a.eps"), "A");
    writeFile(dir.file("final.eps"), "old");
    const ProgramRun declined = cli({"-d", dir.path(), "a.eps"});
    EXPECT_EQ(declined.exitStatus, 1);
    EXPECT_NE(declined.err.find("--force"), std::string::npos) << declined.err;
    EXPECT_EQ(readFile(dir.file("final.eps")), "old");
    const ProgramRun forced = cli({"-df", dir.path(), "a.eps"});
    EXPECT_EQ(forced.exitStatus, 0) << forced.err;
    EXPECT_EQ(listNames(dir.path()), Names{"final.eps"});
    EXPECT_EQ(readFile(dir.file("final.eps")), "A");
}

TEST(CommandLine, SourcesKeptForHavingChangedAreReportedAndRepeatedOnesAreNot)
{
    // The converter stands for anything that writes to the sources while the job runs.
    ToolCopy touching(std::string(putMadePdf) + "printf late >> \"$(dirname \"$1\")/a.eps\"");
    TempDir dir;
    writeFile(dir.file("a.eps"), "A");
    writeFile(dir.file("b.eps"), "B");
    const ProgramRun run =
        cli({"--pdf", "--delete-sources", dir.path(), "a.eps", "b.eps", "b.eps"}, touching.program);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, cliError(dir.file("a.eps"), "conservé : il a changé depuis sa lecture"));
    EXPECT_EQ(listNames(dir.path()), (Names{"a.eps", "final.pdf"}));

    writeFile(dir.file("b.eps"), "B");
    const ProgramRun twice = cli({"--delete-sources", dir.path(), "b.eps", "b.eps"});
    EXPECT_EQ(twice.exitStatus, 0) << twice.err;
    EXPECT_EQ(twice.err, "");
    EXPECT_EQ(readFile(dir.file("final.eps")), "BB");
    EXPECT_EQ(listNames(dir.path()), (Names{"a.eps", "final.eps", "final.pdf"}));
}

TEST(CommandLine, ASourceSomeoneElseDeletedDuringTheJobIsGoneAndOneChangedIsKept)
{
    // The converter stands for other programs at work in the folder meanwhile.
    ToolCopy meddling(std::string(putMadePdf) + "rm \"$(dirname \"$1\")/a.eps\"\n" +
                      "printf late >> \"$(dirname \"$1\")/b.eps\"");
    for (const char *deletion : {"--delete-sources", "--trash-sources"}) {
        TempDir dir;
        TempDir data;
        writeFile(dir.file("a.eps"), "A");
        writeFile(dir.file("b.eps"), "B");
        const ProgramRun run =
            runProgram({meddling.program, "--pdf", deletion, dir.path(), "a.eps", "b.eps"},
                       {"XDG_DATA_HOME=" + data.path()});
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(run.err, cliError(dir.file("b.eps"), "conservé : il a changé depuis sa lecture") +
                               cliError(dir.file("a.eps"),
                                        "déjà supprimé par ailleurs pendant l'assemblage"))
            << deletion;
        EXPECT_EQ(listNames(dir.path()), (Names{"b.eps", "final.pdf"})) << deletion;
    }
}

TEST(CommandLine, AFailedConversionNeverPassesSilently)
{
    ToolCopy failing(std::string(putMadePdf) + "exit 1");
    for (bool deleteSources : {false, true}) {
        TempDir dir;
        writeFile(dir.file("a.eps"), "A");
        Names arguments{"--pdf", dir.path(), "a.eps"};
        if (deleteSources)
            arguments.insert(arguments.begin(), "--delete-sources");
        const ProgramRun run = cli(arguments, failing.program);
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(run.err, cliError(dir.file("final.pdf"), "Echec de la conversion. (le "
                                                           "convertisseur a échoué (code 1))"));
        EXPECT_EQ(listNames(dir.path()), (Names{"a.eps", "final.eps"}));
    }
}

namespace {

// The file-system calls brakwen-cli itself made, in order, as strace saw them (the converter's
// own calls left out), with the *at variants under their plain names.
std::vector<std::string> tracedCalls(const std::string &program, const Names &arguments)
{
    TempDir traceFolder;
    const std::string trace = traceFolder.file("trace");
    Names command{"/usr/bin/strace",
                  "-f",
                  "-o",
                  trace,
                  "-e",
                  "trace=fsync,fdatasync,rename,renameat,renameat2,unlink,unlinkat",
                  program};
    command.insert(command.end(), arguments.begin(), arguments.end());
    // Leak checking cannot run under ptrace.
    const ProgramRun run = runProgram(command, {"ASAN_OPTIONS=detect_leaks=0"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    std::vector<std::string> calls;
    std::string mainProcess;
    std::istringstream lines(readFile(trace));
    for (std::string line; std::getline(lines, line);) {
        const std::string pid = line.substr(0, line.find(' '));
        if (mainProcess.empty())
            mainProcess = pid;
        const auto start = line.find_first_not_of(' ', pid.size());
        const auto paren = line.find('(', start);
        if (pid != mainProcess || paren == std::string::npos)
            continue;
        std::string name = line.substr(start, paren - start);
        if (name.rfind("rename", 0) == 0)
            name = "rename";
        if (name == "unlinkat")
            name = "unlink";
        if (name == "fdatasync")
            name = "fsync";
        calls.push_back(name);
    }
    return calls;
}

bool straceWorks()
{
    return ::access("/usr/bin/strace", X_OK) == 0 &&
           runProgram({"/usr/bin/strace", "-o", "/dev/null", "/bin/true"}).exitStatus == 0;
}

} // namespace

TEST(CommandLine, SourcesAreDeletedOnlyAfterTheResultIsOnDisk)
{
    if (!straceWorks())
        GTEST_SKIP() << "strace cannot trace here";
    TempDir dir;
    auto sources = [&] {
        writeFile(dir.file("a.eps"), "A");
        writeFile(dir.file("b.eps"), "B");
    };
    sources();
    // The result and its folder are flushed, then the sources go.
    EXPECT_EQ(tracedCalls(cliPath, {"--delete-sources", dir.path(), "a.eps", "b.eps"}),
              (Names{"fsync", "rename", "fsync", "unlink", "unlink"}));

    // Without deletion nothing needs flushing: the sources can always rebuild the result.
    sources();
    EXPECT_EQ(tracedCalls(cliPath, {dir.path(), "a.eps", "b.eps"}), Names{"rename"});

    // Converting, the PDF and its folder are flushed before the EPS and the sources go.
    ToolCopy converter(putMadePdf);
    EXPECT_EQ(
        tracedCalls(converter.program, {"--pdf", "--delete-sources", dir.path(), "a.eps", "b.eps"}),
        (Names{"rename", "fsync", "fsync", "unlink", "unlink", "unlink"}));
    EXPECT_EQ(listNames(dir.path()), Names{"final.pdf"});
}

TEST(CommandLine, OptionsAreReadAsGetoptLongReadsThem)
{
    TempDir dir;
    writeFile(dir.file("a.eps"), "A");
    writeFile(dir.file("-dash.eps"), "D");
    // "--name=" is an empty name, not a wish for the next argument; the last --name wins; a
    // long option may be cut short while it names one option only; after "--" a dash is a name.
    const ProgramRun run = cli({"--name=", dir.path(), "a.eps", "--", "-dash.eps"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(readFile(dir.file(".eps")), "AD");
    const ProgramRun last = cli({"--name", "one", "--na=two", "-nthree", dir.path(), "a.eps"});
    EXPECT_EQ(last.exitStatus, 0) << last.err;
    EXPECT_EQ(listNames(dir.path()), (Names{"-dash.eps", ".eps", "a.eps", "three.eps"}));

    // Every complaint quotes the argument exactly as given.
    const struct
    {
        Names arguments;
        std::string said;
    } wrong[] = {
        {{dir.path(), "-dash.eps"},
         "option inconnue « -a » dans « -dash.eps » (un nom de fichier "
         "qui commence par « - » se donne après « -- »)"},
        {{"--bogus", dir.path(), "a.eps"},
         "option inconnue « --bogus » (un nom de fichier qui "
         "commence par « - » se donne après « -- »)"},
        {{"--n=x", dir.path(), "a.eps"}, "option ambiguë « --n=x » : --name, --null ?"},
        {{"--pdf=yes", dir.path(), "a.eps"}, "l'option « --pdf=yes » ne prend pas de valeur"},
        {{dir.path(), "a.eps", "-pn"}, "l'option « -pn » demande une valeur"},
    };
    for (const auto &usage : wrong) {
        const ProgramRun refused = cli(usage.arguments);
        EXPECT_EQ(refused.exitStatus, 2);
        EXPECT_EQ(refused.err,
                  "brakwen-cli: " + usage.said + "\nEssayez « brakwen-cli --help ».\n");
    }
    EXPECT_EQ(listNames(dir.path()), (Names{"-dash.eps", ".eps", "a.eps", "three.eps"}));
}

TEST(CommandLine, NamesComeFromAListAfterTheOperands)
{
    TempDir dir;
    std::string list;
    std::string expected;
    for (int i = 0; i < 10000; ++i) {
        const std::string name = "f" + std::to_string(i) + ".eps";
        writeFile(dir.file(name), std::to_string(i) + ",");
        list += name + "\n";
        expected += std::to_string(i) + ",";
    }
    writeFile(dir.file("first.eps"), "first,");
    TempDir lists;
    // A blank line, as an editor may leave at the end, names nothing.
    writeFile(lists.file("names"), list + "\n");
    const ProgramRun many =
        cli({"--files-from", lists.file("names"), "--name", "all", dir.path(), "first.eps"});
    EXPECT_EQ(many.exitStatus, 0) << many.err;
    EXPECT_EQ(readFile(dir.file("all.eps")), "first," + expected);

    // NUL-separated names may hold newlines, and bytes that are no UTF-8, from standard input.
    TempDir odd;
    writeFile(odd.file("two\nlines.eps"), "2");
    writeFile(odd.file("latin\xe9.eps"), "L");
    writeFile(lists.file("nul"), std::string("latin\xe9.eps") + '\0' + "two\nlines.eps" + '\0');
    const ProgramRun nul = runProgram({"/bin/sh", "-c", "exec \"$0\" -0 -T - \"$1\" <\"$2\"",
                                       cliPath, odd.path(), lists.file("nul")});
    EXPECT_EQ(nul.exitStatus, 0) << nul.err;
    EXPECT_EQ(readFile(odd.file("final.eps")), "L2");

    // A folder opens, but its names cannot be read.
    for (const auto &[path, why] :
         {std::pair{lists.file("absent"), "fichier ou dossier introuvable"},
          std::pair{lists.path(), "est un dossier"}}) {
        const ProgramRun unreadable = cli({"-T", path, dir.path()});
        EXPECT_EQ(unreadable.exitStatus, 2);
        EXPECT_EQ(unreadable.err, "brakwen-cli: " + path + ": liste de noms illisible (" +
                                      std::string(why) + ")\n");
    }
}

TEST(CommandLine, NamesWithAFolderPartAreTakenOnlyInTheJobsFolder)
{
    TempDir dir;
    writeFile(dir.file("a.eps"), "A");
    writeFile(dir.file("b.eps"), "B");
    ASSERT_EQ(::symlink(dir.path().c_str(), dir.file("link").c_str()), 0);
    // As a shell expands DIR/*.eps, or through a link to the folder.
    const ProgramRun run = cli({dir.path(), dir.file("b.eps"), dir.file("link/a.eps")});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(readFile(dir.file("final.eps")), "BA");

    // A folder named as the shell was started in it, and one of its names the same way.
    ASSERT_EQ(::mkdir(dir.file("sub").c_str(), 0755), 0);
    writeFile(dir.file("sub/s.eps"), "S");
    const ProgramRun relative = runProgram(
        {"/bin/sh", "-c", "cd \"$1\" && exec \"$0\" sub sub/s.eps", cliPath, dir.path()});
    EXPECT_EQ(relative.exitStatus, 0) << relative.err;
    EXPECT_EQ(readFile(dir.file("sub/final.eps")), "S");

    // A folder part that does not exist, or a job folder that does not, is said to be missing.
    const std::string absent =
        " (fichier ou dossier introuvable)\nEssayez « brakwen-cli --help ».\n";
    const ProgramRun noFolderPart = cli({dir.path(), "absent/a.eps"});
    EXPECT_EQ(noFolderPart.err, "brakwen-cli: « absent/a.eps » n'est pas dans le répertoire « " +
                                    dir.path() + " »" + absent);
    const ProgramRun noJobFolder = cli({dir.file("absent"), dir.file("a.eps")});
    EXPECT_EQ(noJobFolder.err, "brakwen-cli: « " + dir.file("a.eps") +
                                   " » n'est pas dans le répertoire « " + dir.file("absent") +
                                   " »" + absent);

    TempDir other;
    writeFile(other.file("c.eps"), "C");
    const ProgramRun elsewhere = cli({"--name", "x", dir.path(), "a.eps", other.file("c.eps")});
    EXPECT_EQ(elsewhere.exitStatus, 2);
    EXPECT_EQ(elsewhere.err, "brakwen-cli: « " + other.file("c.eps") +
                                 " » n'est pas dans le répertoire « " + dir.path() +
                                 " »\nEssayez « brakwen-cli --help ».\n");
    EXPECT_EQ(listNames(dir.path()), (Names{"a.eps", "b.eps", "final.eps", "link", "sub"}));
}
