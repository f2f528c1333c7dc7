#include "sandbox/ghostscript_sandbox.h"

#include <cstdlib>
#include <fcntl.h>

namespace sandbox {

namespace {

void allowReadingIfThere(posix::PathConfinement &confinement, const std::string &path,
                         std::vector<posix::UniqueFd> &held)
{
    posix::UniqueFd fd(::open(path.c_str(), O_PATH | O_CLOEXEC));
    if (!fd.valid())
        return;
    confinement.allowReading(fd.get());
    held.push_back(std::move(fd));
}

} // namespace

std::vector<std::string> ghostscriptOptions()
{
    return {"-q", "-dSAFER", "-dNOPAUSE", "-dBATCH"};
}

void allowGhostscriptResources(posix::PathConfinement &confinement,
                               std::vector<posix::UniqueFd> &held)
{
    for (const char *path : {"/usr", "/etc", "/var/lib/ghostscript", "/var/cache/fontconfig"})
        allowReadingIfThere(confinement, path, held);
    if (const char *home = std::getenv("HOME"); home != nullptr && *home == '/') {
        for (const char *fonts : {"/.fonts", "/.local/share/fonts", "/.cache/fontconfig"})
            allowReadingIfThere(confinement, std::string(home) + fonts, held);
    }
}

} // namespace sandbox
