// Sources to the desktop trash, through brakwen-cli --trash-sources and through the job as the
// window runs it: the home trash, a second file system's own trash, names already taken, a
// trash that takes nothing, and the question before anything is deleted for ever.

#include "assembly/assembly_job.h"
#include "test_support.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

using namespace testing_support;
using Names = std::vector<std::string>;

namespace {

const std::string cliPath = BRAKWEN_CLI_PATH;

// A job folder with two sources, and a home trash of its own beside it.
struct TrashJob
{
    TempDir root;
    std::string dir = root.file("job");
    std::string trash = root.file("data/Trash");

    TrashJob()
    {
        ::mkdir(dir.c_str(), 0755);
        writeFile(dir + "/a.eps", "A");
        writeFile(dir + "/caf\xe9.eps", "C");
    }
    ProgramRun trashSources(std::vector<std::string> settings = {},
                            const std::string &another = {}) const
    {
        settings.push_back("XDG_DATA_HOME=" + root.file("data"));
        Names arguments{cliPath, "--trash-sources", dir, "a.eps", "caf\xe9.eps"};
        if (!another.empty())
            arguments.push_back(another);
        return runProgram(arguments, settings);
    }
};

void expectTrashInfo(const std::string &infoFile, const std::string &path)
{
    const std::regex form("\\[Trash Info\\]\nPath=" + path +
                          "\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n");
    const std::string info = readFile(infoFile);
    EXPECT_TRUE(std::regex_match(info, form)) << info;
}

} // namespace

TEST(TrashSources, GoToTheHomeTrashUnderFreeNamesWithWhereTheyCameFrom)
{
    TrashJob job;
    // Names already in the trash: the new entries take free variants.
    ASSERT_EQ(::system(("mkdir -p '" + job.trash + "/files' '" + job.trash + "/info'").c_str()), 0);
    writeFile(job.trash + "/info/a.eps.trashinfo", "older");
    writeFile(job.trash + "/files/caf\xe9.eps", "older, its information lost");
    // A name as long as a name may be leaves no room for ".trashinfo": its entry is cut short.
    const std::string longest(251, 'n');
    writeFile(job.dir + "/" + longest + ".eps", "N");
    const ProgramRun run = job.trashSources({}, longest + ".eps");
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(listNames(job.dir), Names{"final.eps"});
    EXPECT_EQ(readFile(job.trash + "/files/" + longest.substr(0, 245)), "N");
    EXPECT_EQ(readFile(job.trash + "/files/a.eps.2"), "A");
    EXPECT_EQ(readFile(job.trash + "/files/caf\xe9.eps.2"), "C");
    EXPECT_EQ(readFile(job.trash + "/info/a.eps.trashinfo"), "older");
    expectTrashInfo(job.trash + "/info/a.eps.2.trashinfo", job.dir + "/a\\.eps");
    expectTrashInfo(job.trash + "/info/caf\xe9.eps.2.trashinfo", job.dir + "/caf%E9\\.eps");
    EXPECT_EQ(listNames(job.trash + "/info").size(), 4u);

    const ProgramRun both = runProgram({cliPath, "-d", "--trash-sources", job.dir, "final.eps"});
    EXPECT_EQ(both.exitStatus, 2);
    EXPECT_NE(both.err.find("s'excluent"), std::string::npos) << both.err;
}

TEST(TrashSources, ATrashThatTakesNothingLeavesEverySourceAndSaysWhy)
{
    const std::string shim = BRAKWEN_FAULT_SHIM_PATH;
    TrashJob job;
    const ProgramRun run = job.trashSources(
        preloading(shim, {"BRAKWEN_FAULT_TRASHINFO_ERRNO=" + std::to_string(EROFS)}));
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    const std::string why =
        "conservé : la corbeille refuse de le prendre (disque en lecture seule)";
    EXPECT_EQ(run.err,
              cliError(job.dir + "/a.eps", why) + cliError(job.dir + "/caf\\xe9.eps", why));
    EXPECT_EQ(listNames(job.dir), (Names{"a.eps", "caf\xe9.eps", "final.eps"}));
    EXPECT_EQ(listNames(job.trash + "/info"), Names{});
    EXPECT_EQ(listNames(job.trash + "/files"), Names{});
}

TEST(TrashSources, OnAnotherFileSystemTheyGoToItsOwnTrash)
{
    // A file system of the test's own, mounted in a mount namespace that ends with it: as root,
    // or as a user mapped to root in a user namespace.
    TempDir mount;
    TempDir home;
    Names unshare;
    for (const Names &tried : {Names{"/usr/bin/unshare", "-m"}, Names{"/usr/bin/unshare", "-rm"}})
        if (unshare.empty() && ::access(tried[0].c_str(), X_OK) == 0 &&
            runProgram({tried[0], tried[1], "/bin/true"}).exitStatus == 0)
            unshare = tried;
    if (unshare.empty())
        GTEST_SKIP() << "no mount namespace can be made here";
    const std::string script =
        "mount -t tmpfs -o size=4m brakwen \"$1\" || exit 77\n"
        "mkdir \"$1/job\" && printf A >\"$1/job/a.eps\" && printf B >\"$1/job/b.eps\" || exit 1\n"
        // A shared trash that any user could empty of others' files is passed over; the
        // administrator's, once sound, takes the next one.
        "mkdir -m 755 \"$1/.Trash\" && \"$2\" --trash-sources \"$1/job\" a.eps || exit 1\n"
        "chmod 1777 \"$1/.Trash\" || exit 1\n"
        "\"$2\" --trash-sources --name second \"$1/job\" b.eps || exit 1\n"
        "cd \"$1\" && u=$(id -u) && ls -A . job && cat .Trash-$u/files/a.eps "
        ".Trash-$u/info/a.eps.trashinfo .Trash/$u/files/b.eps .Trash/$u/info/b.eps.trashinfo\n";
    Names command = unshare;
    command.insert(command.end(), {"/bin/sh", "-c", script, "sh", mount.path(), cliPath});
    const ProgramRun run = runProgram(command, {"XDG_DATA_HOME=" + home.path()});
    if (run.exitStatus == 77)
        GTEST_SKIP() << "no tmpfs can be mounted here: " << run.err;
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::regex expected(".:\n.Trash\n.Trash-\\d+\njob\n\njob:\nfinal.eps\nsecond.eps\n"
                              "A\\[Trash Info\\]\nPath=job/a.eps\nDeletionDate=[-0-9T:]+\n"
                              "B\\[Trash Info\\]\nPath=job/b.eps\nDeletionDate=[-0-9T:]+\n");
    EXPECT_TRUE(std::regex_match(run.out, expected)) << run.out;
    // Nothing reached the home trash, nor the folder below the mount.
    EXPECT_EQ(listNames(home.path()), Names{});
    EXPECT_EQ(listNames(mount.path()), Names{});
}

namespace {

// Answers the question before a permanent deletion, noting what it saw.
class AskedWindow : public RecordingWindow
{
public:
    explicit AskedWindow(bool answer, std::string folder)
        : m_answer(answer), m_folder(std::move(folder))
    {}
    bool confirmPermanentDeletion(int count) override
    {
        calls.push_back("for ever? " + std::to_string(count));
        seenThen = listNames(m_folder);
        return m_answer;
    }
    Names seenThen;

private:
    bool m_answer;
    std::string m_folder;
};

// Sets an environment variable for one scope.
class ScopedVariable
{
public:
    ScopedVariable(const char *name, const std::string &value) : m_name(name)
    {
        if (const char *old = std::getenv(name))
            m_old = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable()
    {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char *m_name;
    std::optional<std::string> m_old;
};

} // namespace

TEST(TrashSources, WithNoTrashTheWindowIsAskedOnceBeforeAnythingGoes)
{
    for (const bool answer : {false, true}) {
        TrashJob job;
        // The home trash's place is taken by a file: no trash can be made there.
        ASSERT_EQ(::mkdir(job.root.file("data").c_str(), 0700), 0);
        writeFile(job.trash, "");
        const ScopedVariable data("XDG_DATA_HOME", job.root.file("data"));
        assembly::JobInputs inputs;
        inputs.directory = job.dir;
        inputs.baseName = "final";
        inputs.selectedFiles = {"a.eps", "caf\xe9.eps", "a.eps"};
        inputs.sourceDeletion = assembly::SourceDeletion::ToTrash;
        AskedWindow window(answer, job.dir);
        const assembly::JobReport report =
            assembly::AssemblyJob(inputs, "/nonexistent-tool-directory/", window).run();
        EXPECT_EQ(std::count(window.calls.begin(), window.calls.end(), "for ever? 2"), 1);
        EXPECT_EQ(window.seenThen, (Names{"a.eps", "caf\xe9.eps", "final.eps"}));
        EXPECT_EQ(report.sourcesDeleted, answer ? 2 : 0);
        EXPECT_EQ(report.sourcesTrashed, 0);
        if (answer) {
            EXPECT_EQ(listNames(job.dir), Names{"final.eps"});
        } else {
            EXPECT_EQ(listNames(job.dir), window.seenThen);
            ASSERT_EQ(report.keptSources.size(), 2u);
            EXPECT_EQ(report.keptSources[0].reason,
                      "aucune corbeille ne peut le prendre (un élément du chemin n'est pas un "
                      "dossier)");
        }
    }
}
