#include "posix/descriptor_passing.h"

#include "posix/eintr.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>

namespace posix {

namespace {

union ControlBuffer {
    char bytes[CMSG_SPACE(sizeof(int) * descriptorsPerMessage)];
    cmsghdr alignment;
};

} // namespace

bool sendWithDescriptors(int socket, const void *data, std::size_t size, std::span<const int> fds)
{
    if (fds.size() > descriptorsPerMessage) {
        errno = EINVAL;
        return false;
    }
    iovec part = {const_cast<void *>(data), size};
    msghdr message = {};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    ControlBuffer control = {};
    if (!fds.empty()) {
        message.msg_control = control.bytes;
        message.msg_controllen = CMSG_SPACE(sizeof(int) * fds.size());
        cmsghdr *header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = SOL_SOCKET;
        header->cmsg_type = SCM_RIGHTS;
        header->cmsg_len = CMSG_LEN(sizeof(int) * fds.size());
        std::memcpy(CMSG_DATA(header), fds.data(), sizeof(int) * fds.size());
    }
    const ssize_t sent =
        retryOnInterrupt([&] { return ::sendmsg(socket, &message, MSG_NOSIGNAL); });
    if (sent < 0)
        return false;
    if (static_cast<std::size_t>(sent) != size) {
        errno = EMSGSIZE;
        return false;
    }
    return true;
}

ssize_t receiveWithDescriptors(int socket, void *data, std::size_t size, std::vector<UniqueFd> &fds)
{
    fds.clear();
    iovec part = {data, size};
    msghdr message = {};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    ControlBuffer control = {};
    message.msg_control = control.bytes;
    message.msg_controllen = sizeof control.bytes;
    const ssize_t got =
        retryOnInterrupt([&] { return ::recvmsg(socket, &message, MSG_CMSG_CLOEXEC); });
    if (got < 0)
        return -1;
    for (cmsghdr *header = CMSG_FIRSTHDR(&message); header != nullptr;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS)
            continue;
        const std::size_t count = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (std::size_t i = 0; i < count; ++i) {
            int fd = -1;
            std::memcpy(&fd, CMSG_DATA(header) + i * sizeof(int), sizeof fd);
            fds.emplace_back(fd);
        }
    }
    if ((message.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) != 0) {
        fds.clear();
        errno = EMSGSIZE;
        return -1;
    }
    return got;
}

} // namespace posix
