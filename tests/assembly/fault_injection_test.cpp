// Faults the file system rarely gives on demand, injected into a real brakwen-cli run: a full
// disk and short writes through an LD_PRELOAD shim, an unreadable source through a real
// unprivileged user. Each time nothing may be lost.

#include "test_support.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testing_support;
using Names = std::vector<std::string>;

namespace {

const std::string cliPath = BRAKWEN_CLI_PATH;
const std::string shimPath = BRAKWEN_FAULT_SHIM_PATH;

std::vector<std::string> shimEnvironment(std::vector<std::string> settings)
{
    return preloading(shimPath, std::move(settings));
}

struct Sources
{
    TempDir dir;
    std::string a;
    std::string b;
    std::string c;

    // Large sources go through the kernel's copy path (or the buffered one); small ones are
    // gathered in the copier's buffer and written in blocks.
    explicit Sources(bool small = false)
        : a(patternBytes(small ? 60 * 1024 + 3 : 700 * 1024 + 3, 11)), b(patternBytes(2048, 12)),
          c(patternBytes(small ? 40 * 1024 : 1500 * 1024, 13))
    {
        writeFile(dir.file("a.eps"), a);
        writeFile(dir.file("b.eps"), b);
        writeFile(dir.file("c.eps"), c);
        writeFile(dir.file("final.eps"), "older result");
    }

    ProgramRun assemble(std::vector<std::string> settings)
    {
        return runProgram(
            {cliPath, "--delete-sources", "--force", dir.path(), "a.eps", "b.eps", "c.eps"},
            shimEnvironment(std::move(settings)));
    }

    void expectUntouched() const
    {
        EXPECT_EQ(listNames(dir.path()), (Names{"a.eps", "b.eps", "c.eps", "final.eps"}));
        EXPECT_EQ(readFile(dir.file("final.eps")), "older result");
        EXPECT_EQ(readFile(dir.file("a.eps")), a);
        EXPECT_EQ(readFile(dir.file("c.eps")), c);
    }
};

enum class CopyPath { Kernel, Buffered, Gathered };

// Every copy path: the kernel's copy_file_range, the buffered read/write loop, and small sources
// gathered in the buffer.
class FaultInjection : public ::testing::TestWithParam<CopyPath>
{
protected:
    std::vector<std::string> withCopyPath(std::vector<std::string> settings) const
    {
        if (GetParam() == CopyPath::Buffered)
            settings.push_back("BRAKWEN_FAULT_NO_KERNEL_COPY=1");
        return settings;
    }
    bool small() const { return GetParam() == CopyPath::Gathered; }
    // Disk sizes that fill up before, inside and after the first source, and inside the last.
    std::vector<std::string> limits() const
    {
        if (small())
            return {"0", "1000", "62000", "100000"};
        return {"0", "1000", "800000", "2000000"};
    }
};

} // namespace

TEST_P(FaultInjection, DiskFullLeavesTheOlderResultAndEverySource)
{
    for (const std::string &limit : limits()) {
        Sources sources(small());
        const ProgramRun run =
            sources.assemble(withCopyPath({std::string("BRAKWEN_FAULT_LIMIT=") + limit}));
        EXPECT_EQ(run.exitStatus, 1) << "limit " << limit;
        EXPECT_EQ(run.err,
                  cliError(sources.dir.file("final.eps"), "Erreur E/S 112. (disque plein)"))
            << "limit " << limit;
        sources.expectUntouched();
    }
}

TEST_P(FaultInjection, ShortWritesGoOnWithTheRest)
{
    for (const char *chunk : {"1", "1000", "65537"}) {
        Sources sources(small());
        // One byte at a time would take too long over megabytes: shrink the sources for it.
        if (std::string(chunk) == "1") {
            sources.a.resize(5000);
            sources.c.resize(3000);
            writeFile(sources.dir.file("a.eps"), sources.a);
            writeFile(sources.dir.file("c.eps"), sources.c);
        }
        const ProgramRun run =
            sources.assemble(withCopyPath({std::string("BRAKWEN_FAULT_CHUNK=") + chunk}));
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(readFile(sources.dir.file("final.eps")), sources.a + sources.b + sources.c)
            << "chunk " << chunk;
        EXPECT_EQ(listNames(sources.dir.path()), Names{"final.eps"});
    }
}

TEST_P(FaultInjection, SourceErrorsAreReportedNeverTakenForTheEndOfAFile)
{
    struct Case
    {
        std::string setting;
        std::string message;
    };
    const Case cases[] = {
        {"BRAKWEN_FAULT_OPEN_ERRNO=" + std::to_string(EMFILE),
         "Trop de fichiers ouverts. (trop de fichiers ouverts par le programme)"},
        {"BRAKWEN_FAULT_OPEN_ERRNO=" + std::to_string(EACCES),
         "Accès au fichier refusé. (accès refusé)"},
        {"BRAKWEN_FAULT_OPEN_ERRNO=" + std::to_string(EBUSY), "Erreur E/S 32. (fichier occupé)"},
        {"BRAKWEN_FAULT_READ_ERRNO=" + std::to_string(EIO),
         "Erreur E/S 1117. (erreur de lecture ou d'écriture du disque)"},
    };
    for (const Case &fault : cases) {
        Sources sources(small());
        const ProgramRun run =
            sources.assemble(withCopyPath({"BRAKWEN_FAULT_SOURCE=c.eps", fault.setting}));
        EXPECT_EQ(run.exitStatus, 1) << fault.setting;
        EXPECT_EQ(run.err, cliError(sources.dir.file("c.eps"), fault.message)) << fault.setting;
        sources.expectUntouched();
    }
}

TEST_P(FaultInjection, ASourceTheSystemWillNotDeleteIsReportedAsKept)
{
    Sources sources(small());
    const ProgramRun run = sources.assemble(withCopyPath(
        {"BRAKWEN_FAULT_SOURCE=b.eps", "BRAKWEN_FAULT_UNLINK_ERRNO=" + std::to_string(EPERM)}));
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, cliError(sources.dir.file("b.eps"),
                                "conservé : sa suppression a été refusée (opération non permise)"));
    EXPECT_EQ(listNames(sources.dir.path()), (Names{"b.eps", "final.eps"}));
    EXPECT_EQ(readFile(sources.dir.file("final.eps")), sources.a + sources.b + sources.c);
}

TEST_P(FaultInjection, AJobKilledWhileCopyingLeavesNothingBehind)
{
    Sources sources(small());
    // The temporary output has no name while it is written only where the file system can make
    // unnamed files; elsewhere a kill leaves it, hidden, as any crash would.
    const int probe = ::open(sources.dir.path().c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (probe < 0)
        GTEST_SKIP() << "no O_TMPFILE in " << sources.dir.path();
    ::close(probe);
    const ProgramRun run = sources.assemble(
        withCopyPath({std::string("BRAKWEN_FAULT_KILL_AFTER=") + (small() ? "62000" : "800000")}));
    EXPECT_EQ(run.exitStatus, -1) << "the job was not killed: " << run.err;
    sources.expectUntouched();
}

TEST_P(FaultInjection, WithoutUnnamedFilesANamedTemporaryServesAndNeverStays)
{
    Sources fine(small());
    const ProgramRun run = fine.assemble(withCopyPath({"BRAKWEN_FAULT_NO_TMPFILE=1"}));
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(readFile(fine.dir.file("final.eps")), fine.a + fine.b + fine.c);
    EXPECT_EQ(listNames(fine.dir.path()), Names{"final.eps"});

    Sources full(small());
    const ProgramRun failed = full.assemble(
        withCopyPath({"BRAKWEN_FAULT_NO_TMPFILE=1", "BRAKWEN_FAULT_LIMIT=" + limits()[2]}));
    EXPECT_EQ(failed.err, cliError(full.dir.file("final.eps"), "Erreur E/S 112. (disque plein)"));
    full.expectUntouched();

    // An unnamed result that cannot be given a name fails the job like any other write.
    Sources unlinkable(small());
    const ProgramRun refused =
        unlinkable.assemble(withCopyPath({"BRAKWEN_FAULT_LINKAT_ERRNO=" + std::to_string(EPERM)}));
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_EQ(refused.err, cliError(unlinkable.dir.file("final.eps"),
                                    "Accès au fichier refusé. (opération non permise)"));
    unlinkable.expectUntouched();
}

INSTANTIATE_TEST_SUITE_P(CopyPaths, FaultInjection,
                         ::testing::Values(CopyPath::Kernel, CopyPath::Buffered,
                                           CopyPath::Gathered),
                         [](const auto &info) {
                             switch (info.param) {
                             case CopyPath::Kernel:
                                 return "Kernel";
                             case CopyPath::Buffered:
                                 return "Buffered";
                             default:
                                 return "Gathered";
                             }
                         });

TEST(Permissions, UnreadableSourceFailsAndAReadOnlySourceIsAssembled)
{
    TempDir dir;
    writeFile(dir.file("a.eps"), "readable, not writable");
    writeFile(dir.file("secret.eps"), "secret");
    ASSERT_EQ(::chmod(dir.file("a.eps").c_str(), 0444), 0);
    ASSERT_EQ(::chmod(dir.file("secret.eps").c_str(), 0000), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);

    // Root reads everything, so the refusal must come from a real unprivileged user.
    std::vector<std::string> prefix;
    if (::geteuid() == 0) {
        if (::access("/usr/bin/setpriv", X_OK) != 0)
            GTEST_SKIP() << "setpriv is needed to run as an unprivileged user";
        prefix = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    }
    // The build tree may lie where that user cannot go (a home folder): run a copy.
    TempDir programFolder;
    const std::string program = copyExecutable(cliPath, programFolder);
    auto as = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), program);
        arguments.insert(arguments.begin(), prefix.begin(), prefix.end());
        // Leak checking needs ptrace rights an unprivileged user may lack.
        return runProgram(arguments, {"ASAN_OPTIONS=detect_leaks=0"});
    };

    const ProgramRun refused = as({"--delete-sources", dir.path(), "a.eps", "secret.eps"});
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_EQ(refused.err,
              cliError(dir.file("secret.eps"), "Accès au fichier refusé. (accès refusé)"));
    EXPECT_EQ(listNames(dir.path()), (Names{"a.eps", "secret.eps"}));

    const ProgramRun readOnly = as({dir.path(), "a.eps"});
    EXPECT_EQ(readOnly.exitStatus, 0) << readOnly.err;
    EXPECT_EQ(readFile(dir.file("final.eps")), "readable, not writable");
}

TEST_P(FaultInjection, WritesThatStoreNothingOrAResultOfTheWrongSizeFailTheJob)
{
    // A write that stores nothing without an error would otherwise be retried for ever.
    Sources stalled(small());
    const ProgramRun zero = stalled.assemble(withCopyPath({"BRAKWEN_FAULT_ZERO_WRITES=1"}));
    EXPECT_EQ(zero.exitStatus, 1);
    EXPECT_EQ(zero.err, cliError(stalled.dir.file("final.eps"), "Erreur E/S 112. (disque plein)"));
    stalled.expectUntouched();

    // The result must hold exactly the bytes read, not a byte more or less.
    Sources drifting(small());
    const ProgramRun drift = drifting.assemble(withCopyPath({"BRAKWEN_FAULT_SIZE_DRIFT=7"}));
    EXPECT_EQ(drift.exitStatus, 1);
    EXPECT_EQ(drift.err, cliError(drifting.dir.file("final.eps"),
                                  "Erreur E/S 1117. (erreur de lecture ou d'écriture du disque)"));
    drifting.expectUntouched();
}

TEST_P(FaultInjection, AnInterruptedFlushIsRetriedNotTakenForAFailure)
{
    Sources sources(small());
    const ProgramRun run = sources.assemble(withCopyPath({"BRAKWEN_FAULT_FSYNC_EINTR=1"}));
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(readFile(sources.dir.file("final.eps")), sources.a + sources.b + sources.c);
    EXPECT_EQ(listNames(sources.dir.path()), Names{"final.eps"});
}

TEST_P(FaultInjection, ASourceThatGrewSinceItsSizeWasReadIsCopiedAsItWasThenAndKept)
{
    // a.eps is 60 KiB gathered, or 700 KiB copied by the kernel or the buffer: fstat says 5000
    // bytes fewer than it has, as if they were appended in between.
    Sources sources(small());
    ProgramRun run = runProgram(
        {cliPath, "--delete-sources", "--force", sources.dir.path(), "a.eps", "b.eps", "c.eps"},
        shimEnvironment(
            withCopyPath({"BRAKWEN_FAULT_SOURCE=a.eps", "BRAKWEN_FAULT_SOURCE_GREW=5000"})));
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(readFile(sources.dir.file("final.eps")),
              sources.a.substr(0, sources.a.size() - 5000) + sources.b + sources.c);
    // Its bytes past the size read were not assembled: it is not deleted.
    EXPECT_EQ(listNames(sources.dir.path()), (Names{"a.eps", "final.eps"}));
}
