#pragma once

// The walls around each part's Ghostscript, in two layers that do not depend on each other, so
// that either holds where the system refuses the other: namespaces of its own, in which the root
// holds, read-only, only what Ghostscript reads, and the part's own small in-memory scratch
// space; and Landlock, which lets it open nothing else. Around both: a system call filter, no
// capabilities, no way to gain privileges, and the part's limits. A part that neither layer can
// hold does not run.

#include "converter/ceilings.h"
#include "posix/unique_fd.h"

#include <cstdint>
#include <string>

namespace converter {

// The part's scratch folder in its private root. Ghostscript is started with it as TMPDIR, so
// that it is the one temporary folder -dSAFER lets a document reach, and the part's own.
inline constexpr const char *partScratch = "/tmp";

struct PartWalls
{
    bool ownRoot = false; // the zygote is in namespaces and a root of its own
    bool ownUser = false; // inside a user namespace of its own
    int landlock = 0;     // Landlock's version; 0 where the kernel refuses it
    bool seccomp = false; // the kernel filters system calls
    PartLimits limits;
    std::uint64_t dataAtStart = 0; // the zygote's data, on top of which the memory limit counts

    bool holdAny() const { return ownRoot || landlock > 0; }
    // What the zygote tells the converter of them.
    std::int32_t summary() const;
    static PartWalls fromSummary(std::int32_t summary);
};

// In the zygote, once Ghostscript is started and before it forks any part: finds which walls the
// system offers and enters its namespaces and private root, built on `workFolder`, an empty
// folder of the converter's.
PartWalls raiseZygoteWalls(const PartLimits &limits, const std::string &workFolder);

// In a part's child: its scratch space, open. In its own root, a new file system of the part's
// scratch size mounted on partScratch; without one, the converter's folder open on `folderFd`.
posix::UniqueFd enterPartScratch(const PartWalls &walls, int folderFd);

// How Ghostscript names the scratch folder folderFd opened.
std::string partScratchName(const PartWalls &walls, int folderFd);

// In a part's child, last before its part runs: Landlock (reading Ghostscript's resources,
// writing only its scratch folder and /dev/null), its limits, no capability, the system call
// filter. False when it cannot be held: the part must not run.
bool shutPartIn(const PartWalls &walls, int scratchFd);

// The layers missing, in a French sentence said once on --verbose; empty when all hold.
std::string missingWalls(const PartWalls &walls);

} // namespace converter
