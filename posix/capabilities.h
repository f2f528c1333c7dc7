#pragma once

// Gives up every capability the calling process holds or could pass on: run as root, a process
// that reads untrusted bytes keeps none of root's powers over the machine.

namespace posix {

// Empties the effective, permitted, inheritable and ambient sets, and the bounding set where the
// process may (it needs CAP_SETPCAP, which only a privileged process has; an unprivileged one has
// nothing to give up there and, with no_new_privs, no way to gain anything). False when the
// kernel refused.
bool dropCapabilities();

} // namespace posix
