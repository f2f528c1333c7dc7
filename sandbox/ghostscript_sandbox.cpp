#include "sandbox/ghostscript_sandbox.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace sandbox {

namespace {

// The user's folder of a kind: the XDG variable when set to an absolute path, else its default
// under the home folder; empty without either.
std::string userFolder(const char *variable, const char *fallback)
{
    if (const char *set = std::getenv(variable); set != nullptr && *set == '/')
        return set;
    if (const char *home = std::getenv("HOME"); home != nullptr && *home == '/')
        return std::string(home) + fallback;
    return {};
}

} // namespace

std::vector<std::string> ghostscriptOptions()
{
    return {"-q", "-dSAFER", "-dNOPAUSE", "-dBATCH"};
}

bool isGhostscriptSetting(std::string_view variable)
{
    return variable.starts_with("GS_") || variable == "TEMP" || variable == "TMP";
}

void dropGhostscriptSettings()
{
    std::vector<std::string> names;
    for (char **entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        const std::string_view name = text.substr(0, text.find('='));
        if (isGhostscriptSetting(name))
            names.emplace_back(name);
    }
    for (const std::string &name : names)
        ::unsetenv(name.c_str());
}

std::vector<std::string> ghostscriptResourcePaths()
{
    // Ghostscript's search path on Debian, the CMaps and profiles its resources link to, and
    // fontconfig's folders as its settings name them.
    std::vector<std::string> paths = {"/etc/fonts",
                                      "/usr/local/lib/ghostscript",
                                      "/usr/local/share/fonts",
                                      "/usr/share/color/icc",
                                      "/usr/share/cups/fonts",
                                      "/usr/share/fontconfig",
                                      "/usr/share/fonts",
                                      "/usr/share/ghostscript",
                                      "/usr/share/poppler/cMap",
                                      "/var/cache/fontconfig",
                                      "/var/lib/ghostscript"};
    const auto add = [&paths](const std::string &folder, const char *name) {
        if (!folder.empty())
            paths.push_back(folder + name);
    };
    add(userFolder("XDG_DATA_HOME", "/.local/share"), "/fonts");
    add(userFolder("XDG_CACHE_HOME", "/.cache"), "/fontconfig");
    add(userFolder("XDG_CONFIG_HOME", "/.config"), "/fontconfig");
    const std::string home = userFolder("HOME", "");
    for (const char *name : {"/.fonts", "/.fonts.conf", "/.fonts.conf.d", "/.fontconfig"})
        add(home, name);
    std::sort(paths.begin(), paths.end());
    return paths;
}

void allowGhostscriptResources(posix::PathConfinement &confinement,
                               std::vector<posix::UniqueFd> &held)
{
    for (const std::string &path : ghostscriptResourcePaths()) {
        posix::UniqueFd fd(::open(path.c_str(), O_PATH | O_CLOEXEC));
        if (!fd.valid())
            continue;
        confinement.allowReading(fd.get());
        held.push_back(std::move(fd));
    }
}

} // namespace sandbox
