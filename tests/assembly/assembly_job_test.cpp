// The assembly job on real temporary folders: what it writes, what it leaves, and what it asks of
// the window, on success and on every kind of failure.

#include "assembly/assembly_job.h"
#include "assembly/io_error.h"
#include "assembly/job_error.h"
#include "test_support.h"

#include <chrono>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace testing_support;
using assembly::AssemblyJob;
using assembly::EInOutError;
using assembly::JobInputs;
using assembly::JobReport;
using Calls = std::vector<std::string>;

namespace {

JobInputs inputsFor(const TempDir &dir, std::vector<std::string> files,
                    const std::string &baseName = "final")
{
    JobInputs inputs;
    inputs.directory = dir.path();
    inputs.baseName = baseName;
    inputs.selectedFiles = std::move(files);
    return inputs;
}

JobReport runJob(const JobInputs &inputs, RecordingWindow &window)
{
    return AssemblyJob(inputs, "/nonexistent-tool-directory/", window).run();
}

// The window after a failure: progress hidden, rules applied (lists kept), quit shown, cursor
// reset, and no list cleared.
void expectRestoredAfterFailure(const Calls &calls)
{
    ASSERT_GE(calls.size(), 4u);
    const Calls tail(calls.end() - 4, calls.end());
    EXPECT_EQ(tail, (Calls{"progress 0", "rules", "quit 1", "busy 0"}));
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "clear"), 0);
}

} // namespace

TEST(AssemblyJob, JoinsSourcesInListOrderAndDrivesTheWindowStepByStep)
{
    TempDir dir;
    writeFile(dir.file("a.eps"), "AAAA\n");
    writeFile(dir.file("b.eps"), "BB\r\n");
    writeFile(dir.file("c.eps"), "%!PS\n");
    RecordingWindow window;
    runJob(inputsFor(dir, {"c.eps", "a.eps", "b.eps"}), window);

    EXPECT_EQ(readFile(dir.file("final.eps")), "%!PS\nAAAA\nBB\r\n");
    EXPECT_EQ(window.calls, (Calls{"busy 1", "ok 0", "quit 0", "range 0 3", "progress 1",
                                   "position 1", "position 2", "position 3", "progress 0", "clear",
                                   "rules", "quit 1", "busy 0"}));
    // Nothing but the result joins the sources: no temporary is left behind.
    EXPECT_EQ(listNames(dir.path()), (Calls{"a.eps", "b.eps", "c.eps", "final.eps"}));
    // The result has the permissions of a new file, not the private ones of a temporary.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat status = {};
    ASSERT_EQ(::stat(dir.file("final.eps").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask);
}

TEST(AssemblyJob, CopiesEmptyBlockSizedAndLargeSourcesWhole)
{
    TempDir dir;
    const std::string block = patternBytes(2048, 1);
    const std::string odd = patternBytes(3 * 2048 + 1, 2);
    const std::string large = patternBytes(3 * 1024 * 1024 + 17, 3);
    writeFile(dir.file("empty.eps"), "");
    writeFile(dir.file("block.eps"), block);
    writeFile(dir.file("odd.eps"), odd);
    writeFile(dir.file("large.eps"), large);
    RecordingWindow window;
    runJob(inputsFor(dir, {"empty.eps", "block.eps", "empty.eps", "large.eps", "odd.eps"}), window);
    EXPECT_EQ(readFile(dir.file("final.eps")), block + large + odd);

    RecordingWindow onlyEmpty;
    runJob(inputsFor(dir, {"empty.eps"}, "vide"), onlyEmpty);
    EXPECT_TRUE(exists(dir.file("vide.eps")));
    EXPECT_EQ(readFile(dir.file("vide.eps")), "");
}

TEST(AssemblyJob, ReplacesAnOlderLongerResultWithNoBytesSurviving)
{
    TempDir dir;
    writeFile(dir.file("final.eps"), std::string(10000, 'Z'));
    writeFile(dir.file("a.eps"), "new");
    RecordingWindow window;
    runJob(inputsFor(dir, {"a.eps"}), window);
    EXPECT_EQ(readFile(dir.file("final.eps")), "new");
}

TEST(AssemblyJob, NamesResultsAfterAnyBaseNameIncludingEmptyAndNonUtf8)
{
    TempDir dir;
    writeFile(dir.file("a.eps"), "A");
    writeFile(dir.file("\xff\xfe-latin1-\xe9.eps"), "B");
    RecordingWindow window;
    runJob(inputsFor(dir, {"a.eps"}, ""), window);
    EXPECT_EQ(readFile(dir.file(".eps")), "A");

    RecordingWindow second;
    runJob(inputsFor(dir, {"\xff\xfe-latin1-\xe9.eps", "a.eps"}, "r\xe9sultat"), second);
    EXPECT_EQ(readFile(dir.file("r\xe9sultat.eps")), "BA");

    // A name that leads out of the folder is refused before the window is touched: its box
    // names it and the lists stay.
    RecordingWindow refused;
    JobInputs outside = inputsFor(dir, {"a.eps"}, "../r");
    outside.sourceDeletion = assembly::SourceDeletion::ToTrash;
    EXPECT_THROW(runJob(outside, refused), assembly::BaseNameRefused);
    EXPECT_EQ(refused.calls, Calls{});
}

TEST(AssemblyJob, PathsAreNotLimitedTo259CharactersButOverlongNamesFailCleanly)
{
    TempDir dir;
    std::string deep = dir.path();
    for (int level = 0; level < 6; ++level) {
        deep += "/" + std::string(60, static_cast<char>('k' + level));
        ASSERT_EQ(::mkdir(deep.c_str(), 0755), 0);
    }
    ASSERT_GT(deep.size(), 300u);
    writeFile(deep + "/a.eps", "deep");
    JobInputs inputs;
    inputs.directory = deep;
    inputs.baseName = "final";
    inputs.selectedFiles = {"a.eps"};
    RecordingWindow window;
    AssemblyJob(inputs, "/", window).run();
    EXPECT_EQ(readFile(deep + "/final.eps"), "deep");

    // A base name beyond the system's name limit gets the system's error, through the same
    // messages, and leaves nothing.
    writeFile(dir.file("a.eps"), "A");
    RecordingWindow overlong;
    try {
        runJob(inputsFor(dir, {"a.eps"}, std::string(300, 'n')), overlong);
        FAIL() << "an over-long name was accepted";
    } catch (const EInOutError &error) {
        EXPECT_STREQ(error.what(), "Erreur E/S 206");
    }
    EXPECT_EQ(listNames(dir.path()), (Calls{"a.eps", std::string(60, 'k')}));
    expectRestoredAfterFailure(overlong.calls);
}

TEST(AssemblyJob, DeleteOptionRemovesSourcesOnlyOnceTheResultExists)
{
    TempDir dir;
    writeFile(dir.file("a.eps"), "A");
    writeFile(dir.file("b.eps"), "B");
    writeFile(dir.file("other.eps"), "O");
    JobInputs inputs = inputsFor(dir, {"b.eps", "a.eps"});
    inputs.sourceDeletion = assembly::SourceDeletion::Permanently;
    RecordingWindow window;
    const JobReport report = runJob(inputs, window);
    EXPECT_EQ(readFile(dir.file("final.eps")), "BA");
    EXPECT_EQ(listNames(dir.path()), (Calls{"final.eps", "other.eps"}));
    EXPECT_EQ(report.sourcesDeleted, 2);
    EXPECT_FALSE(report.errorBoxShown);
    EXPECT_EQ(std::count_if(window.calls.begin(), window.calls.end(),
                            [](const std::string &c) { return c.rfind("box", 0) == 0; }),
              0);

    // Without the option every source stays.
    writeFile(dir.file("a.eps"), "A");
    RecordingWindow keep;
    runJob(inputsFor(dir, {"a.eps", "other.eps"}, "kept"), keep);
    EXPECT_EQ(listNames(dir.path()), (Calls{"a.eps", "final.eps", "kept.eps", "other.eps"}));
}

TEST(AssemblyJob, ADosEpsJoinsByItsPostScriptAloneAndGoesAsRead)
{
    // Its binary header and preview picture would stop any interpreter in the middle of the
    // result. A large one takes the kernel's copy path, from where the section starts.
    TempDir dir;
    const std::string small = "%!PS-Adobe-3.0 EPSF-3.0\nsmall\n";
    const std::string large = patternBytes(300 * 1024, 4);
    const std::string preview = patternBytes(1000, 5);
    const std::string incoherent = dosEps(small, preview, 99999);
    writeFile(dir.file("a.eps"), "A");
    writeFile(dir.file("small.eps"), dosEps(small, preview));
    writeFile(dir.file("large.eps"), dosEps(large, preview));
    writeFile(dir.file("cut.eps"), incoherent);
    JobInputs inputs = inputsFor(dir, {"a.eps", "small.eps", "large.eps", "cut.eps"});
    inputs.sourceDeletion = assembly::SourceDeletion::Permanently;
    RecordingWindow window;
    const JobReport report = runJob(inputs, window);
    // A header that does not hold together is no DOS EPS to take apart: its bytes go as they are.
    EXPECT_EQ(readFile(dir.file("final.eps")), "A" + small + large + incoherent);
    // What was left out was read as well: the source is unchanged, so it goes.
    EXPECT_EQ(report.sourcesDeleted, 4);
    EXPECT_EQ(listNames(dir.path()), Calls{"final.eps"});
}

TEST(AssemblyJob, MissingDirectoryFailsAtCreationAfterTheWindowWasPrepared)
{
    TempDir dir;
    JobInputs inputs = inputsFor(dir, {"a.eps"});
    inputs.directory = dir.file("absent");
    RecordingWindow window;
    try {
        runJob(inputs, window);
        FAIL() << "no error for a missing directory";
    } catch (const EInOutError &error) {
        EXPECT_EQ(error.code(), 3);
        EXPECT_STREQ(error.what(), "Nom de fichier incorrect");
    }
    EXPECT_EQ(window.calls, (Calls{"busy 1", "ok 0", "quit 0", "range 0 1", "progress 1",
                                   "progress 0", "rules", "quit 1", "busy 0"}));
    EXPECT_FALSE(exists(dir.file("absent")));
}

TEST(AssemblyJob, AFolderInTheResultsPlaceFailsBeforeAnythingIsCopied)
{
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.file("final.eps").c_str(), 0755), 0);
    writeFile(dir.file("final.eps/inside"), "kept");
    writeFile(dir.file("a.eps"), patternBytes(300000, 5));
    JobInputs inputs = inputsFor(dir, {"a.eps"});
    inputs.sourceDeletion = assembly::SourceDeletion::Permanently;
    RecordingWindow window;
    try {
        runJob(inputs, window);
        FAIL() << "a folder was taken for the result";
    } catch (const EInOutError &error) {
        EXPECT_STREQ(error.what(), "Accès au fichier refusé");
        EXPECT_EQ(error.path(), dir.file("final.eps"));
    }
    EXPECT_EQ(window.calls, (Calls{"busy 1", "ok 0", "quit 0", "range 0 1", "progress 1",
                                   "progress 0", "rules", "quit 1", "busy 0"}));
    EXPECT_EQ(listNames(dir.path()), (Calls{"a.eps", "final.eps"}));
    EXPECT_EQ(readFile(dir.file("final.eps/inside")), "kept");
}

TEST(AssemblyJob, ALinkAtTheResultsNameIsReplacedAndWhatItPointsToIsLeftAlone)
{
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.file("elsewhere").c_str(), 0755), 0);
    writeFile(dir.file("elsewhere/precious"), "precious");
    ASSERT_EQ(::symlink("elsewhere/precious", dir.file("final.eps").c_str()), 0);
    ASSERT_EQ(::symlink("elsewhere", dir.file("folder.eps").c_str()), 0);
    writeFile(dir.file("a.eps"), "A");
    for (const char *base : {"final", "folder"}) {
        RecordingWindow window;
        runJob(inputsFor(dir, {"a.eps"}, base), window);
        struct stat status = {};
        const std::string result = dir.file(std::string(base) + ".eps");
        ASSERT_EQ(::lstat(result.c_str(), &status), 0);
        EXPECT_TRUE(S_ISREG(status.st_mode)) << base;
        EXPECT_EQ(readFile(result), "A");
    }
    EXPECT_EQ(listNames(dir.file("elsewhere")), Calls{"precious"});
    EXPECT_EQ(readFile(dir.file("elsewhere/precious")), "precious");
}

TEST(AssemblyJob, VanishedSourceStopsTheJobAndLeavesTheOlderResultAndTheSources)
{
    TempDir dir;
    writeFile(dir.file("final.eps"), "older result");
    writeFile(dir.file("a.eps"), patternBytes(300000, 4));
    writeFile(dir.file("c.eps"), "C");
    JobInputs inputs = inputsFor(dir, {"a.eps", "gone.eps", "c.eps"});
    inputs.sourceDeletion = assembly::SourceDeletion::Permanently;
    RecordingWindow window;
    try {
        runJob(inputs, window);
        FAIL() << "no error for a vanished source";
    } catch (const EInOutError &error) {
        EXPECT_EQ(error.code(), 2);
        EXPECT_STREQ(error.what(), "Fichier introuvable");
        EXPECT_EQ(error.path(), dir.file("gone.eps"));
    }
    EXPECT_EQ(readFile(dir.file("final.eps")), "older result");
    EXPECT_EQ(listNames(dir.path()), (Calls{"a.eps", "c.eps", "final.eps"}));
    expectRestoredAfterFailure(window.calls);
    // The job stopped at the second source: the third was never reached.
    EXPECT_EQ(std::count(window.calls.begin(), window.calls.end(), "position 3"), 0);
}

TEST(AssemblyJob, TheResultItselfIsRefusedAsASourceBeforeAnythingIsTouched)
{
    TempDir dir;
    writeFile(dir.file("final.eps"), "older result");
    writeFile(dir.file("a.eps"), "A");
    ASSERT_EQ(::link(dir.file("final.eps").c_str(), dir.file("hard.eps").c_str()), 0);
    ASSERT_EQ(::symlink("final.eps", dir.file("soft.eps").c_str()), 0);

    for (const char *alias : {"final.eps", "hard.eps", "soft.eps"}) {
        JobInputs inputs = inputsFor(dir, {"a.eps", alias});
        inputs.sourceDeletion = assembly::SourceDeletion::Permanently;
        RecordingWindow window;
        try {
            runJob(inputs, window);
            ADD_FAILURE() << alias << " was accepted";
        } catch (const assembly::JobError &error) {
            EXPECT_NE(std::string(error.what()).find(alias), std::string::npos) << error.what();
        }
        EXPECT_EQ(readFile(dir.file("final.eps")), "older result") << alias;
        EXPECT_EQ(listNames(dir.path()), (Calls{"a.eps", "final.eps", "hard.eps", "soft.eps"}));
        // Under its own name it is refused before the progress bar is even shown; under another
        // name when it is opened, by the fstat every source gets: nothing is written either way.
        if (std::string(alias) == "final.eps")
            EXPECT_EQ(window.calls, (Calls{"busy 1", "ok 0", "quit 0", "progress 0", "rules",
                                           "quit 1", "busy 0"}));
        else
            expectRestoredAfterFailure(window.calls);
    }
}

TEST(AssemblyJob, TheOutputReachedThroughProcIsRefusedInsteadOfReadWhileWritten)
{
    TempDir dir;
    writeFile(dir.file("a.eps"), "A");
    // The output takes one of the lowest free descriptors, after the folder's; a link through
    // /proc/self/fd leads to it. Each candidate is tried in a job of its own: none may read the
    // output, and one must be refused as being it.
    const int next = ::dup(0);
    ASSERT_GE(next, 0);
    ::close(next);
    int refusals = 0;
    for (int fd = next; fd < next + 4; ++fd) {
        ::unlink(dir.file("loop.eps").c_str());
        ASSERT_EQ(::symlink(("/proc/self/fd/" + std::to_string(fd)).c_str(),
                            dir.file("loop.eps").c_str()),
                  0);
        RecordingWindow window;
        try {
            runJob(inputsFor(dir, {"a.eps", "loop.eps"}), window);
            ADD_FAILURE() << "a job read /proc/self/fd/" << fd;
        } catch (const assembly::JobError &error) {
            EXPECT_NE(std::string(error.what()).find("« loop.eps » est le fichier résultat"),
                      std::string::npos)
                << error.what();
            ++refusals;
        } catch (const assembly::EInOutError &) {
            // The folder's own descriptor, or none.
        }
        EXPECT_EQ(listNames(dir.path()), (Calls{"a.eps", "loop.eps"}));
    }
    EXPECT_EQ(refusals, 1);
}

TEST(AssemblyJob, ThePdfResultIsRefusedAsASourceWhenConverting)
{
    TempDir dir;
    writeFile(dir.file("final.pdf"), "older PDF");
    writeFile(dir.file("a.eps"), "A");
    ASSERT_EQ(::symlink("final.pdf", dir.file("pdf.eps").c_str()), 0);
    for (const char *alias : {"final.pdf", "pdf.eps"}) {
        JobInputs inputs = inputsFor(dir, {"a.eps", alias});
        inputs.convertToPdf = true;
        RecordingWindow window;
        EXPECT_THROW(runJob(inputs, window), assembly::JobError) << alias;
        EXPECT_EQ(readFile(dir.file("final.pdf")), "older PDF");
        EXPECT_EQ(listNames(dir.path()), (Calls{"a.eps", "final.pdf", "pdf.eps"}));
    }
    // Without the conversion the PDF is a file like any other.
    RecordingWindow window;
    runJob(inputsFor(dir, {"a.eps", "final.pdf"}), window);
    EXPECT_EQ(readFile(dir.file("final.eps")), "Aolder PDF");
}

TEST(AssemblyJob, FifosDevicesAndSocketsAreRefusedWithoutBlockingOrReadingThem)
{
    TempDir dir;
    writeFile(dir.file("final.eps"), "older result");
    writeFile(dir.file("a.eps"), "A");
    writeFile(dir.file("c.eps"), "C");
    ASSERT_EQ(::mkfifo(dir.file("fifo.eps").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("/dev/null", dir.file("null.eps").c_str()), 0);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(socket, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const std::string socketPath = dir.file("socket.eps");
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(socket, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
    const Calls before = listNames(dir.path());

    for (const char *special : {"fifo.eps", "null.eps", "socket.eps"}) {
        JobInputs inputs = inputsFor(dir, {"a.eps", special, "c.eps"});
        inputs.sourceDeletion = assembly::SourceDeletion::Permanently;
        RecordingWindow window;
        std::future<void> job = std::async(std::launch::async, [&] {
            try {
                runJob(inputs, window);
                ADD_FAILURE() << special << " was assembled";
            } catch (const assembly::JobError &error) {
                EXPECT_NE(std::string(error.what()).find(special), std::string::npos)
                    << error.what();
                EXPECT_NE(std::string(error.what()).find("fichier ordinaire"), std::string::npos);
            }
        });
        // A job blocked on the FIFO is freed after a minute by a writer that hangs up at once,
        // so that the test fails instead of hanging.
        if (job.wait_for(std::chrono::minutes(1)) == std::future_status::timeout) {
            ADD_FAILURE() << special << " held the job";
            ::close(::open(dir.file("fifo.eps").c_str(), O_WRONLY | O_NONBLOCK));
        }
        job.get();
        EXPECT_EQ(listNames(dir.path()), before);
        EXPECT_EQ(readFile(dir.file("final.eps")), "older result");
        expectRestoredAfterFailure(window.calls);
        EXPECT_EQ(std::count(window.calls.begin(), window.calls.end(), "position 3"), 0);
    }
    ::close(socket);
}

TEST(AssemblyJob, ASecondJobIntoTheSameFolderIsRefusedTouchingNothing)
{
    TempDir dir;
    writeFile(dir.file("a.eps"), "A");
    writeFile(dir.file("final.eps"), "the running job's");
    // Another job holds the folder: its lock is taken on another open of the same folder.
    const int running = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::flock(running, LOCK_EX), 0);
    JobInputs inputs = inputsFor(dir, {"a.eps"});
    RecordingWindow window;
    try {
        runJob(inputs, window);
        ADD_FAILURE() << "two jobs wrote into one folder";
    } catch (const assembly::JobError &error) {
        EXPECT_EQ(std::string(error.what()), assembly::folderBusyMessage());
    }
    EXPECT_EQ(readFile(dir.file("final.eps")), "the running job's");
    EXPECT_EQ(listNames(dir.path()), (Calls{"a.eps", "final.eps"}));
    ::close(running);
    EXPECT_NO_THROW(runJob(inputs, window));
    EXPECT_EQ(readFile(dir.file("final.eps")), "A");
}

TEST(AssemblyJob, TemporariesLeftByKilledJobsGoButNotThoseStillHeld)
{
    TempDir dir;
    writeFile(dir.file("a.eps"), "A");
    writeFile(dir.file(".brakwen-0123456789ab.tmp"), "left by a job killed outright");
    writeFile(dir.file(".ps2pdf-0123456789ab.pdf.tmp"), "left by a converter killed outright");
    writeFile(dir.file(".brakwen-ba9876543210.tmp"), "still being written");
    writeFile(dir.file(".brakwen-notes.txt"), "the user's own");
    const int held = ::open(dir.file(".brakwen-ba9876543210.tmp").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    RecordingWindow window;
    runJob(inputsFor(dir, {"a.eps"}), window);
    EXPECT_EQ(listNames(dir.path()),
              (Calls{".brakwen-ba9876543210.tmp", ".brakwen-notes.txt", "a.eps", "final.eps"}));
    ::close(held);
}

TEST(AssemblyJob, ReplacingAResultWhoseSourcesMayBeGoneIsAskedFirst)
{
    TempDir dir;
    writeFile(dir.file("a.eps"), "A");
    writeFile(dir.file("final.eps"), "older result");
    JobInputs inputs = inputsFor(dir, {"a.eps"});
    inputs.sourceDeletion = assembly::SourceDeletion::Permanently;
    RecordingWindow refusing;
    refusing.replaceAnswer = false;
    const JobReport declined = runJob(inputs, refusing);
    EXPECT_TRUE(declined.declined);
    // Asked before the window shows anything of a job, and nothing happened.
    EXPECT_EQ(refusing.calls, (Calls{"replace? final.eps"}));
    EXPECT_EQ(readFile(dir.file("final.eps")), "older result");
    EXPECT_EQ(listNames(dir.path()), (Calls{"a.eps", "final.eps"}));

    // Without deletion, replacing stays silent.
    inputs.sourceDeletion = assembly::SourceDeletion::Keep;
    RecordingWindow silent;
    runJob(inputs, silent);
    EXPECT_EQ(std::count(silent.calls.begin(), silent.calls.end(), "replace? final.eps"), 0);
    EXPECT_EQ(readFile(dir.file("final.eps")), "A");
}

TEST(AssemblyJob, ManySmallSourcesAmongLargeOnesKeepTheirOrderAndBytes)
{
    // Small sources are gathered in a buffer of 1 MiB written whole: more than it holds, in
    // sizes that do not divide it, between large sources that go their own way.
    TempDir dir;
    std::vector<std::string> names;
    std::string expected;
    for (int i = 0; i < 60; ++i) {
        const bool large = i % 20 == 7;
        const std::string name = "f" + std::to_string(i) + ".eps";
        const std::string bytes =
            patternBytes(large ? 300 * 1024 + i : 40 * 1024 + 37 * i, static_cast<unsigned>(i));
        writeFile(dir.file(name), bytes);
        names.push_back(name);
        expected += bytes;
    }
    RecordingWindow window;
    runJob(inputsFor(dir, names), window);
    const std::string result = readFile(dir.file("final.eps"));
    EXPECT_EQ(result.size(), expected.size());
    EXPECT_TRUE(result == expected);
}
