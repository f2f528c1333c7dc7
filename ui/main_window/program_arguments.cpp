#include "program_arguments.h"

#include "assembly/version_text.h"

#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace ProgramArguments {

namespace {

constexpr int exitSuccess = 0;
constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

const char *const help =
    R"(Utilisation : brakwen [OPTION]... [FICHIER.eps... | DOSSIER]
Ouvre la fenêtre de Brakwen, qui assemble des fichiers EPS, octet par octet et
dans l'ordre choisi, en un seul fichier EPS ou PDF.

Avec des FICHIERs, leur dossier devient le répertoire des fichiers EPS et les
FICHIERs rejoignent la liste des fichiers sélectionnés, dans l'ordre donné ;
ceux d'un autre dossier que le premier, ou qui ne sont pas des fichiers .eps,
sont laissés de côté et nommés dans un message. Avec un DOSSIER seul, ce
dossier devient le répertoire des fichiers EPS.

Options :
  -h, --help             affiche cette aide et quitte
  -V, --version          affiche la version et quitte

Un nom de fichier qui commence par « - » se donne après « -- ».
Le même travail sans fenêtre : brakwen-cli (brakwen-cli --help).
)";

// Qt's own options, which the application object takes out of the arguments (with one dash or
// two); those named here with a value take the next argument, or "=value", as theirs.
bool isQtOption(std::string_view argument, bool &takesNext)
{
    constexpr std::string_view withValue[] = {
        "platform",        "platformpluginpath", "platformtheme", "plugin",
        "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
        "display",         "geometry",           "style",         "stylesheet"};
    constexpr std::string_view alone[] = {"reverse", "widgetcount",   "nograb",
                                          "dograb",  "qmljsdebugger", "testability"};
    argument.remove_prefix(argument.starts_with("--") ? 2 : 1);
    const std::size_t equals = argument.find('=');
    const std::string_view name = argument.substr(0, equals);
    for (std::string_view option : withValue)
        if (name == option) {
            takesNext = equals == std::string_view::npos;
            return true;
        }
    takesNext = false;
    for (std::string_view option : alone)
        if (name == option)
            return true;
    return false;
}

int usageError(const char *option)
{
    std::fprintf(stderr,
                 "brakwen: option inconnue « %s » (un nom de fichier qui commence par "
                 "« - » se donne après « -- »)\nEssayez « brakwen --help ».\n",
                 option);
    return exitUsage;
}

int print(const char *text)
{
    // Written whole or said: `brakwen --help > /dev/full` must not pass for a success.
    if (std::fputs(text, stdout) < 0 || std::fflush(stdout) != 0) {
        std::fputs("brakwen: écriture impossible sur la sortie standard\n", stderr);
        return exitFailure;
    }
    return exitSuccess;
}

} // namespace

std::optional<int> answerWithoutWindow(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--")
            break;
        if (argument == "--help" || argument == "-h")
            return print(help);
        if (argument == "--version" || argument == "-V")
            return print(assembly::versionText("brakwen").c_str());
    }
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--")
            break;
        bool takesNext = false;
        if (argument.size() < 2 || argument.front() != '-')
            continue;
        if (!isQtOption(argument, takesNext))
            return usageError(argv[i]);
        i += takesNext ? 1 : 0;
    }
    return std::nullopt;
}

Named paths(int argc, char **argv)
{
    Named named;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (options && argument == "--") {
            options = false;
            continue;
        }
        if (options && argument.size() > 1 && argument.front() == '-') {
            named.exitNow = usageError(argv[i]);
            return named;
        }
        std::error_code error;
        // Named from the folder the program was started in; ".", ".." and doubled slashes are
        // taken out, as a file manager never gives them.
        const std::filesystem::path path =
            std::filesystem::absolute(std::filesystem::path(argument), error).lexically_normal();
        if (!error)
            named.paths.emplace_back(QByteArray::fromStdString(path.native()));
    }
    return named;
}

} // namespace ProgramArguments
