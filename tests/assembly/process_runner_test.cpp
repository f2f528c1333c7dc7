// The process runner: started or not, and how the child ended. Arguments reaching the child
// intact are checked through the conversion.

#include "assembly/process_runner.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

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
    // The child ends only once told to, at the second call back (or, as a safety net, after a
    // minute, which fails the test).
    int said[2];
    ASSERT_EQ(::pipe2(said, O_CLOEXEC), 0);
    int callbacks = 0;
    assembly::ProcessRequest request;
    request.arguments = {"/usr/bin/timeout", "60", "/bin/sh", "-c", "read line; exit 4"};
    request.descriptors = {{STDIN_FILENO, said[0]}};
    request.whileWaiting = [&] {
        if (++callbacks == 2) {
            EXPECT_EQ(::write(said[1], "\n", 1), 1);
        }
    };
    const auto slow = runProcess(request);
    ::close(said[0]);
    ::close(said[1]);
    EXPECT_TRUE(slow.started);
    EXPECT_EQ(slow.exitStatus, 4);
    EXPECT_GE(callbacks, 2);

    // A child that is already gone at the first look is reaped all the same.
    const auto quick = runProcess({"/bin/true"}, [] {});
    EXPECT_TRUE(quick.succeeded());
}
