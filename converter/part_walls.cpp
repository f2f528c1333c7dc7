#include "converter/part_walls.h"

#include "posix/capabilities.h"
#include "posix/confinement.h"
#include "posix/memory_ceiling.h"
#include "posix/path_confinement.h"
#include "posix/private_root.h"
#include "sandbox/ghostscript_sandbox.h"

#include <fcntl.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <unistd.h>
#include <vector>

namespace converter {

namespace {

constexpr std::int32_t ownRootBit = 1;
constexpr std::int32_t ownUserBit = 2;
constexpr std::int32_t seccompBit = 4;
constexpr int landlockShift = 8;

bool landlockEntered(int scratchFd)
{
    posix::PathConfinement confinement;
    std::vector<posix::UniqueFd> held;
    sandbox::allowGhostscriptResources(confinement, held);
    confinement.allowWriting(scratchFd);
    // Where the finished PDF writer is pointed.
    posix::UniqueFd nothing(::open("/dev/null", O_PATH | O_CLOEXEC));
    confinement.allowWriting(nothing.get());
    return confinement.apply() > 0;
}

} // namespace

std::int32_t PartWalls::summary() const
{
    return (ownRoot ? ownRootBit : 0) | (ownUser ? ownUserBit : 0) | (seccomp ? seccompBit : 0) |
           (landlock << landlockShift);
}

PartWalls PartWalls::fromSummary(std::int32_t summary)
{
    PartWalls walls;
    walls.ownRoot = (summary & ownRootBit) != 0;
    walls.ownUser = (summary & ownUserBit) != 0;
    walls.seccomp = (summary & seccompBit) != 0;
    walls.landlock = summary >> landlockShift;
    return walls;
}

PartWalls raiseZygoteWalls(const PartLimits &limits, const std::string &workFolder)
{
    PartWalls walls;
    walls.limits = limits;
    walls.dataAtStart = posix::MemoryCeiling::currentSize().value_or(0);
    walls.landlock = posix::PathConfinement::kernelVersion();
    walls.seccomp = ::prctl(PR_GET_SECCOMP, 0, 0, 0, 0) >= 0;
    const posix::OwnNamespaces namespaces = posix::enterOwnNamespaces();
    if (namespaces == posix::OwnNamespaces::None)
        return walls;
    posix::PrivateRoot root;
    for (const std::string &path : sandbox::ghostscriptResourcePaths())
        root.show(path);
    root.show("/dev/null");
    root.makeFolder(partScratch);
    walls.ownRoot = root.enter(workFolder);
    walls.ownUser = walls.ownRoot && namespaces == posix::OwnNamespaces::WithOwnUser;
    return walls;
}

posix::UniqueFd enterPartScratch(const PartWalls &walls, int folderFd)
{
    if (!walls.ownRoot)
        return posix::UniqueFd(::fcntl(folderFd, F_DUPFD_CLOEXEC, 0));
    if (!posix::mountOwnScratch(partScratch, walls.limits.scratchBytes, walls.limits.scratchFiles))
        return {};
    return posix::UniqueFd(::open(partScratch, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

std::string partScratchName(const PartWalls &walls, int folderFd)
{
    return walls.ownRoot ? partScratch : "/dev/fd/" + std::to_string(folderFd);
}

bool shutPartIn(const PartWalls &walls, int scratchFd)
{
    const bool landlock = walls.landlock > 0 && landlockEntered(scratchFd);
    if (!landlock && !walls.ownRoot)
        return false;
    return applyPartLimits(walls.limits, walls.dataAtStart) && posix::dropCapabilities() &&
           (!walls.seccomp || posix::confineToOwnProcess(::getpid()));
}

std::string missingWalls(const PartWalls &walls)
{
    std::string missing;
    const auto add = [&missing](const char *sentence) {
        missing += (missing.empty() ? "" : " ; ") + std::string(sentence);
    };
    if (!walls.ownRoot && walls.landlock > 0)
        add("le système refuse les espaces de noms : chaque fichier est confiné par Landlock "
            "seul, sans limite commune à ses fichiers temporaires");
    if (walls.ownRoot && walls.landlock == 0)
        add("le noyau n'offre pas Landlock : chaque fichier est confiné par ses espaces de noms "
            "seuls");
    if (!walls.seccomp)
        add("le noyau ne filtre pas les appels système");
    return missing;
}

} // namespace converter
