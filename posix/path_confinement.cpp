#include "posix/path_confinement.h"

#include "posix/unique_fd.h"

#include <linux/landlock.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace posix {

namespace {

// The access rights each Landlock version knows; Debian 12's headers stop at the second.
constexpr std::uint64_t truncateRight = std::uint64_t{1} << 14;
constexpr std::uint64_t deviceIoctlRight = std::uint64_t{1} << 15;
constexpr std::uint64_t allTcp = 3;    // bind and connect
constexpr std::uint64_t allScopes = 3; // abstract unix sockets and signals

constexpr std::uint64_t readRights = LANDLOCK_ACCESS_FS_READ_FILE | LANDLOCK_ACCESS_FS_READ_DIR;
constexpr std::uint64_t fileOnlyRights =
    LANDLOCK_ACCESS_FS_READ_FILE | LANDLOCK_ACCESS_FS_WRITE_FILE | truncateRight;

// The ruleset attribute as the newest kernels read it; older ones are given a shorter prefix.
struct RulesetAttribute
{
    std::uint64_t handledAccessFs = 0;
    std::uint64_t handledAccessNet = 0;
    std::uint64_t scoped = 0;
};

struct PathBeneath
{
    std::uint64_t allowedAccess;
    std::int32_t parentFd;
} __attribute__((packed));

std::uint64_t fileSystemRights(int version)
{
    std::uint64_t rights = (LANDLOCK_ACCESS_FS_MAKE_SYM << 1) - 1;
    if (version >= 2)
        rights |= LANDLOCK_ACCESS_FS_REFER;
    if (version >= 3)
        rights |= truncateRight;
    if (version >= 5)
        rights |= deviceIoctlRight;
    return rights;
}

bool isFolder(int fd)
{
    struct stat status = {};
    return ::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode);
}

} // namespace

void PathConfinement::allowReading(int fd)
{
    m_rules.push_back({fd, readRights});
}

void PathConfinement::allowWriting(int fd)
{
    m_rules.push_back({fd, ~std::uint64_t{0}});
}

void PathConfinement::allowRunning(int fd)
{
    m_rules.push_back({fd, readRights | LANDLOCK_ACCESS_FS_EXECUTE});
}

int PathConfinement::apply()
{
    int version = 0;
    const UniqueFd ruleset = prepare(&version);
    if (!ruleset.valid()) {
        ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
        return 0;
    }
    return enter(ruleset.get()) ? version : 0;
}

int PathConfinement::kernelVersion()
{
    const long known =
        ::syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    return known > 0 ? static_cast<int>(known) : 0;
}

UniqueFd PathConfinement::prepare(int *version) const
{
    const int known = kernelVersion();
    if (known < 1)
        return UniqueFd();
    RulesetAttribute attribute;
    attribute.handledAccessFs = fileSystemRights(known);
    std::size_t size = sizeof attribute.handledAccessFs;
    if (known >= 4) {
        attribute.handledAccessNet = allTcp;
        size += sizeof attribute.handledAccessNet;
    }
    if (known >= 6) {
        attribute.scoped = allScopes;
        size += sizeof attribute.scoped;
    }
    // The kernel opens it close-on-exec.
    UniqueFd ruleset(static_cast<int>(::syscall(SYS_landlock_create_ruleset, &attribute, size, 0)));
    if (!ruleset.valid())
        return UniqueFd();
    for (const Rule &rule : m_rules) {
        // A rule on a file may carry only the rights that apply to files.
        std::uint64_t access = rule.access & attribute.handledAccessFs;
        if (!isFolder(rule.fd))
            access &= fileOnlyRights | LANDLOCK_ACCESS_FS_EXECUTE;
        PathBeneath beneath = {access, rule.fd};
        if (::syscall(SYS_landlock_add_rule, ruleset.get(), LANDLOCK_RULE_PATH_BENEATH, &beneath,
                      0) != 0)
            return UniqueFd();
    }
    if (version != nullptr)
        *version = known;
    return ruleset;
}

bool PathConfinement::enter(int prepared)
{
    // Also what lets an unprivileged process confine itself.
    ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
    return ::syscall(SYS_landlock_restrict_self, prepared, 0) == 0;
}

} // namespace posix
