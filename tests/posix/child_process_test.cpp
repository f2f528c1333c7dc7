// Children started as told and ended for good: their descriptors, how they ended, and a stop
// that reaches a child deaf to SIGTERM together with what it started.

#include "posix/child_process.h"
#include "posix/unique_fd.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace {

posix::ChildSetup shell(const std::string &script)
{
    posix::ChildSetup setup;
    setup.arguments = {"/bin/sh", "-c", script};
    return setup;
}

std::string readAll(int fd)
{
    std::string text;
    char buffer[256];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    return text;
}

} // namespace

TEST(ChildProcess, SeesItsDescriptorsUnderTheNumbersGivenAndNothingElseOfTheEnvironment)
{
    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
    posix::UniqueFd reading(pipe[0]);
    posix::UniqueFd writing(pipe[1]);
    posix::ChildSetup setup = shell("printf '%s' \"$ONLY\" >&7; printf '%s' \"${HOME-none}\" >&7");
    setup.descriptors = {{7, writing.get()}};
    setup.environment = std::vector<std::string>{"ONLY=given"};
    std::optional<posix::ChildProcess> child = posix::ChildProcess::start(setup);
    ASSERT_TRUE(child);
    writing.reset();
    EXPECT_EQ(readAll(reading.get()), "givennone");
    EXPECT_TRUE(child->wait().succeeded());
}

TEST(ChildProcess, SaysHowItEnded)
{
    const posix::ExitStatus code = posix::ChildProcess::start(shell("exit 3"))->wait();
    EXPECT_TRUE(code.exited);
    EXPECT_EQ(code.code, 3);
    EXPECT_FALSE(code.succeeded());

    const posix::ExitStatus killed = posix::ChildProcess::start(shell("kill -9 $$"))->wait();
    EXPECT_FALSE(killed.exited);
    EXPECT_EQ(killed.signal, SIGKILL);
    EXPECT_FALSE(killed.succeeded());

    errno = 0;
    posix::ChildSetup missing;
    missing.arguments = {"brakwen-no-such-program"};
    missing.searchPath = true;
    EXPECT_FALSE(posix::ChildProcess::start(missing));
    EXPECT_EQ(errno, ENOENT);
}

TEST(ChildProcess, AStopReachesAChildDeafToTermAndWhatItStarted)
{
    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
    posix::UniqueFd reading(pipe[0]);
    posix::UniqueFd writing(pipe[1]);
    // The grandchild holds the pipe open: the pipe ends only when it is gone too.
    posix::ChildSetup setup = shell("trap '' TERM; sleep 60 & echo started; wait");
    setup.descriptors = {{1, writing.get()}};
    setup.ownProcessGroup = true;
    std::optional<posix::ChildProcess> child = posix::ChildProcess::start(setup);
    ASSERT_TRUE(child);
    writing.reset();
    char line[8];
    ASSERT_GT(::read(reading.get(), line, sizeof line), 0);

    const posix::ExitStatus status = child->stop(200);
    EXPECT_EQ(status.signal, SIGKILL);
    // The grandchild gone as well: the pipe closes at once, not when its sleep would end.
    pollfd end = {reading.get(), POLLIN, 0};
    ASSERT_EQ(::poll(&end, 1, 5000), 1);
    EXPECT_EQ(readAll(reading.get()), "");
}
