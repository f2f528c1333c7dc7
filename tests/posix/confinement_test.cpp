// A process confined to a folder can open nothing else, and what it started with stays usable;
// one shut out of everything beyond itself still works on its own.

#include "posix/confinement.h"
#include "posix/path_confinement.h"
#include "posix/unique_fd.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Runs body in a child process and returns its exit status: confinement lasts for good, so it
// is tried where it cannot reach the test itself.
template <typename Body> int inChild(Body body)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(body());
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

TEST(PathConfinement, OnlyTheFoldersAllowedCanBeOpened)
{
    char pattern[] = "/tmp/brakwen-confinement-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string allowed = pattern;
    const std::string outside = allowed + "-outside";
    posix::UniqueFd(::open(outside.c_str(), O_WRONLY | O_CREAT, 0600));

    const int status = inChild([&] {
        posix::UniqueFd input(::open(outside.c_str(), O_RDONLY));
        posix::UniqueFd folder(::open(allowed.c_str(), O_PATH | O_DIRECTORY));
        posix::PathConfinement confinement;
        confinement.allowWriting(folder.get());
        if (confinement.apply() == 0)
            return 77; // a kernel without Landlock: nothing to see
        // A file it opened before stays usable; nothing outside opens any more, even to read.
        char byte;
        if (::read(input.get(), &byte, 1) < 0)
            return 1;
        if (::open(outside.c_str(), O_RDONLY) >= 0 || errno != EACCES)
            return 2;
        if (::open("/etc/passwd", O_RDONLY) >= 0)
            return 3;
        // Its own folder is open to it.
        const std::string inside = allowed + "/made";
        if (::open(inside.c_str(), O_WRONLY | O_CREAT, 0600) < 0)
            return 4;
        return 0;
    });
    ::unlink((allowed + "/made").c_str());
    ::rmdir(allowed.c_str());
    ::unlink(outside.c_str());
    if (status == 77)
        GTEST_SKIP() << "no Landlock in this kernel";
    EXPECT_EQ(status, 0);
}

TEST(OwnProcessConfinement, ReachesNothingBeyondItselfYetWorksOnItsOwn)
{
    const int status = inChild([] {
        const pid_t parent = ::getppid();
        posix::UniqueFd nothing(::open("/dev/null", O_RDWR));
        if (!posix::confineToOwnProcess(::getpid()))
            return 1;
        const auto refused = [](long result) { return result == -1 && errno == EPERM; };
        char byte = 'x';
        rlimit limit = {};
        const int checks[] = {refused(::socket(AF_UNIX, SOCK_STREAM, 0)),
                              refused(::kill(parent, 0)),
                              ::kill(::getpid(), 0) == 0,
                              refused(::fork()),
                              refused(::unshare(CLONE_NEWNS)),
                              refused(::execl("/bin/false", "false", nullptr)),
                              refused(::memfd_create("x", 0)),
                              refused(::ioctl(nothing.get(), TIOCSTI, &byte)),
                              refused(::prlimit(parent, RLIMIT_NOFILE, nullptr, &limit)),
                              ::getrlimit(RLIMIT_NOFILE, &limit) == 0,
                              posix::UniqueFd(::open("/dev/null", O_RDONLY)).valid()};
        for (int i = 0; i < static_cast<int>(std::size(checks)); ++i)
            if (checks[i] == 0)
                return 10 + i;
        // Threads of its own still start.
        bool ran = false;
        std::thread([&ran] { ran = true; }).join();
        return ran ? 0 : 2;
    });
    EXPECT_EQ(status, 0);
}
