// A process confined to a folder can open nothing else, and what it started with stays usable.

#include "posix/path_confinement.h"
#include "posix/unique_fd.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
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
