#pragma once

// Shuts the calling process in with what it already holds: from now on it can read and write the
// descriptors it has open (at any offset, and cut a file it holds), take descriptors handed to it
// over a socket it holds, manage its memory, run threads of its own and end, and nothing else.
// Opening a file, listing a folder, starting a program, reaching the network or sending a signal
// fail with EPERM. For a process that parses untrusted bytes from the descriptors it is given
// and writes the result to others: whatever those bytes make it do, it can reach nothing more.
// Lasts for the life of the process and passes to its threads; there is no way back.

namespace posix {

// Returns false (errno set) when the system refused the confinement; the caller must then not
// go on with the untrusted work.
bool confineToOpenDescriptors();

} // namespace posix
