#pragma once

#include "posix/unique_fd.h"

namespace posix {

// A read-write file that lives only as long as its descriptors: handed to a child process, it
// carries data both ways and can never be left behind. Close-on-exec; invalid (errno set) when
// the system gives none.
UniqueFd anonymousFile(const char *purpose);

} // namespace posix
