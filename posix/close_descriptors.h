#pragma once

// Closes every descriptor from `from` up except those in `kept`: what a process forked to run
// one untrusted document does first, so that nothing its parent held reaches it.

#include <vector>

namespace posix {

void closeDescriptorsFrom(int from, std::vector<int> kept = {});

} // namespace posix
