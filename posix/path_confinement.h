#pragma once

// Confines the calling process, for good, to the files it was allowed (Linux's Landlock): a
// document interpreted there cannot open anything else, whatever hole it finds in the interpreter.
// Where the kernel offers it, the process also loses network connections, signals to processes
// outside its confinement and abstract sockets. Best effort: a kernel without Landlock confines
// nothing, and apply() says so; the caller's other defences still hold.

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

    // Applies the rules to this process and every child it starts; returns the Landlock version
    // applied, 0 when the kernel has none (nothing confined). Sets no_new_privs either way, so
    // that the process can gain no privilege by running a program.
    int apply();

private:
    struct Rule
    {
        int fd;
        std::uint64_t access;
    };
    std::vector<Rule> m_rules;
};

} // namespace posix
