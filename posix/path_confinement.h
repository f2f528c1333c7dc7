#pragma once

// Confines the calling process, for good, to the files it was allowed (Linux's Landlock): a
// document interpreted there cannot open anything else, whatever hole it finds in the interpreter.
// Where the kernel offers it, the process also loses network connections, signals to processes
// outside its confinement and abstract sockets. Best effort: a kernel without Landlock confines
// nothing, and apply() says so; the caller's other defences still hold.

#include "posix/unique_fd.h"

#include <cstdint>
#include <vector>

namespace posix {

class PathConfinement
{
public:
    // Reading files and listing folders beneath the folder (or the file) open on fd.
    void allowReading(int fd);
    // Reading, writing, making and removing files beneath the folder open on fd.
    void allowWriting(int fd);
    // Reading, and running programs, beneath the folder (or the file) open on fd.
    void allowRunning(int fd);

    // Applies the rules to this process and every child it starts; returns the Landlock version
    // applied, 0 when the kernel has none (nothing confined). Sets no_new_privs either way, so
    // that the process can gain no privilege by running a program.
    int apply();

    // The same in two steps, for a child that must be confined between fork and exec, where
    // nothing but system calls is safe: the rules are made beforehand, in the parent (an invalid
    // descriptor when the kernel has no Landlock)...
    UniqueFd prepare(int *version = nullptr) const;
    // ...and entered in the child. Returns false when the kernel refused.
    static bool enter(int prepared);

    // The Landlock version the kernel offers; 0 when it offers none.
    static int kernelVersion();

private:
    struct Rule
    {
        int fd;
        std::uint64_t access;
    };
    std::vector<Rule> m_rules;
};

} // namespace posix
