#pragma once

// System call filters (seccomp) a process puts on itself, for good: they last for the life of the
// process, pass to its threads and children, and cannot be lifted. Each sets no_new_privs first.
// Each returns false (errno set) when the system refused the filter; the caller must then not go
// on with the untrusted work.

#include <span>
#include <sys/types.h>

namespace posix {

// Shuts the calling process in with what it already holds: from now on it can read and write the
// descriptors it has open (at any offset, and cut a file it holds), take descriptors handed to it
// over a socket it holds, manage its memory, run threads of its own and end, and nothing else.
// Opening a file, listing a folder, starting a program, reaching the network or sending a signal
// fail with EPERM. For a process that parses untrusted bytes from the descriptors it is given
// and writes the result to others: whatever those bytes make it do, it can reach nothing more.
bool confineToOpenDescriptors();

// Shuts the calling process out of everything beyond itself: it may still open the files the
// kernel's other walls let it reach, but it can make no socket, start no program or process (its
// own threads excepted), signal or trace no other process, change no mount or namespace, gain
// no privilege, load nothing into the kernel, make no memory file outside its file systems'
// limits and push nothing into a terminal's input. Refused calls fail with EPERM. `self` is the
// caller's pid: the one process that signals may still reach.
bool confineToOwnProcess(pid_t self);

// Makes each of the calls fail with `error`, everything else as before: for a test that plays a
// system without some feature.
bool refuseSystemCalls(std::span<const long> calls, int error);

} // namespace posix
