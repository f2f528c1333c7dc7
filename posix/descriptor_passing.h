#pragma once

// Messages of a fixed size that carry open descriptors to another process over a local
// SOCK_SEQPACKET socket, so that a process can be given exactly the files it may use and nothing
// it could name by itself.

#include "posix/unique_fd.h"

#include <cstddef>
#include <span>
#include <sys/types.h>
#include <vector>

namespace posix {

// At most this many descriptors travel with one message.
inline constexpr std::size_t descriptorsPerMessage = 8;

// Sends size bytes and the descriptors; false with errno set when the message did not go whole.
bool sendWithDescriptors(int socket, const void *data, std::size_t size, std::span<const int> fds);

// Receives one message of at most size bytes and its descriptors (close-on-exec). Returns the
// bytes received, 0 when the other end is gone, -1 with errno set on failure. A message cut short
// or carrying more descriptors than fit is a failure (EMSGSIZE), whatever it carried closed.
ssize_t receiveWithDescriptors(int socket, void *data, std::size_t size,
                               std::vector<UniqueFd> &fds);

} // namespace posix
