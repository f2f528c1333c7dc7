// What a process forked for an untrusted document keeps of its parent's descriptors.

#include "posix/close_descriptors.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

TEST(CloseDescriptors, OnlyThoseKeptStayFromTheFirstOn)
{
    // Looked at in a child, which tells by its exit status which of 99 to 106 are still open.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int null = ::open("/dev/null", O_RDONLY);
        for (int fd = 99; fd <= 106; ++fd)
            ::dup2(null, fd);
        posix::closeDescriptorsFrom(100, {105, 103, 42});
        int open = 0;
        for (int fd = 99; fd <= 106; ++fd)
            open |= ::fcntl(fd, F_GETFD) != -1 ? 1 << (fd - 99) : 0;
        ::_exit(open);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    // 99, below the first, and the two kept; their neighbours are closed.
    EXPECT_EQ(WEXITSTATUS(status), 1 << 0 | 1 << 4 | 1 << 6);
}
