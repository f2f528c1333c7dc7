// The process runner: started or not, and how the child ended. Arguments reaching the child
// intact are checked through the conversion.

#include "assembly/process_runner.h"

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
    EXPECT_FALSE(runProcess(std::vector<std::string>{}).started);
}

TEST(ProcessRunner, WaitingCallerIsCalledBackUntilTheChildEnds)
{
    int callbacks = 0;
    const auto slow = runProcess({"/bin/sh", "-c", "sleep 0.3; exit 4"}, [&] { ++callbacks; });
    EXPECT_TRUE(slow.started);
    EXPECT_EQ(slow.exitStatus, 4);
    EXPECT_GT(callbacks, 1);

    // A child that is already gone at the first look is reaped all the same.
    const auto quick = runProcess({"/bin/true"}, [] {});
    EXPECT_TRUE(quick.succeeded());
}
