// Descriptors handed over a socket arrive as open files; a message too big arrives as nothing.

#include "posix/descriptor_passing.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

TEST(DescriptorPassing, TheFilesSentAreTheFilesReceived)
{
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET, 0, ends), 0);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const int fds[] = {pipeEnds[1], pipeEnds[1]};
    const long message = 42;
    ASSERT_TRUE(posix::sendWithDescriptors(ends[0], &message, sizeof message, fds));
    long received = 0;
    std::vector<posix::UniqueFd> got;
    ASSERT_EQ(posix::receiveWithDescriptors(ends[1], &received, sizeof received, got),
              static_cast<ssize_t>(sizeof received));
    EXPECT_EQ(received, 42);
    ASSERT_EQ(got.size(), 2u);
    // A descriptor of its own, to the same pipe, and not inherited by programs it runs.
    ASSERT_EQ(::write(got[1].get(), "x", 1), 1);
    char byte = 0;
    ASSERT_EQ(::read(pipeEnds[0], &byte, 1), 1);
    EXPECT_EQ(byte, 'x');
    EXPECT_NE(::fcntl(got[0].get(), F_GETFD) & FD_CLOEXEC, 0);

    // A message longer than the receiver takes is refused whole, its descriptors closed.
    const char longer[16] = {};
    ASSERT_TRUE(posix::sendWithDescriptors(ends[0], longer, sizeof longer, fds));
    EXPECT_EQ(posix::receiveWithDescriptors(ends[1], &received, sizeof received, got), -1);
    EXPECT_EQ(errno, EMSGSIZE);
    EXPECT_TRUE(got.empty());
    for (const int fd : {ends[0], ends[1], pipeEnds[0], pipeEnds[1]})
        ::close(fd);
}
