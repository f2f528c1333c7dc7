#pragma once

// System calls that a signal may interrupt before they did anything: the call is simply made
// again. Not for close(), which Linux never restarts (the descriptor is gone either way).

#include <cerrno>

namespace posix {

template <typename Call> auto retryOnInterrupt(Call call) -> decltype(call())
{
    for (;;) {
        const auto result = call();
        if (result != -1 || errno != EINTR)
            return result;
    }
}

} // namespace posix
