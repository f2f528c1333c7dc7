// The process runner: started or not, how the child ended, and arguments passed untouched.

#include "assembly/process_runner.h"
#include "test_support.h"

#include <csignal>
#include <gtest/gtest.h>

using assembly::runProcess;

TEST(ProcessRunner, ReportsStartAndExitStatus)
{
    const auto ok = runProcess({"/bin/sh", "-c", "exit 0"});
    EXPECT_TRUE(ok.started);
    EXPECT_TRUE(ok.succeeded());

    const auto three = runProcess({"/bin/sh", "-c", "exit 3"});
    EXPECT_TRUE(three.started);
    EXPECT_TRUE(three.exited);
    EXPECT_EQ(three.exitStatus, 3);
    EXPECT_FALSE(three.succeeded());

    const auto killed = runProcess({"/bin/sh", "-c", "kill -KILL $$"});
    EXPECT_TRUE(killed.started);
    EXPECT_FALSE(killed.exited);
    EXPECT_FALSE(killed.succeeded());
}

TEST(ProcessRunner, MissingProgramIsNotStarted)
{
    EXPECT_FALSE(runProcess({"/nonexistent/program"}).started);
    EXPECT_FALSE(runProcess({}).started);
}

TEST(ProcessRunner, ArgumentsArePassedWithoutReparsing)
{
    testing_support::TempDir dir;
    const std::string output = dir.file("out");
    const std::string awkward = "a b \"c\" 'd' $HOME `x` ; | \\ *";
    const auto run =
        runProcess({"/bin/sh", "-c", "printf '%s' \"$1\" > \"$2\"", "sh", awkward, output});
    ASSERT_TRUE(run.succeeded());
    EXPECT_EQ(testing_support::readFile(output), awkward);
}

TEST(ProcessRunner, ChildDoesNotInheritAnIgnoredSigpipe)
{
    // A converter started with SIGPIPE ignored would go on writing into a closed pipe.
    testing_support::TempDir dir;
    struct sigaction ignore
    {
    };
    struct sigaction previous
    {
    };
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(::sigaction(SIGPIPE, &ignore, &previous), 0);
    const auto run = runProcess(
        {"/bin/sh", "-c", "grep SigIgn /proc/$$/status > \"$1\"", "sh", dir.file("signals")});
    ::sigaction(SIGPIPE, &previous, nullptr);
    ASSERT_TRUE(run.succeeded());

    const std::string line = testing_support::readFile(dir.file("signals"));
    ASSERT_EQ(line.rfind("SigIgn:", 0), 0u) << line;
    // A hexadecimal mask; SIGPIPE is signal 13, bit 12.
    const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
    EXPECT_EQ(mask & (1ull << (SIGPIPE - 1)), 0ull) << line;
}
