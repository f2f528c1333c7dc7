#include "cli/command_line.h"

#include "assembly/failure_cause.h"
#include "assembly/version_text.h"
#include "cli/bare_names.h"
#include "cli/messages.h"
#include "cli/name_list.h"
#include "cli/option_parser.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace cli {

namespace {

// Within 80 columns.
const char *const help =
    R"(Utilisation : brakwen-cli [OPTION]... RÉPERTOIRE [FICHIER]...
Assemble les FICHIERs du RÉPERTOIRE, octet par octet et dans l'ordre donné, en
un fichier BASE.eps de ce répertoire ; sur demande, le convertit en BASE.pdf et
supprime les fichiers sources une fois le résultat écrit sur le disque.

Options :
  -n, --name=BASE        nom du fichier final, sans extension (par défaut
                           « final », peut être vide)
  -p, --pdf              convertit le résultat en BASE.pdf avec le
                           convertisseur placé à côté de brakwen-cli
                           (ps2pdf.bat, pdfwrite.rsp, brakwen-ps2pdf)
  -d, --delete-sources   supprime les fichiers sources une fois le résultat
                           écrit et vérifié
  -f, --force            avec --delete-sources, remplace un résultat déjà là
                           (sans --force, brakwen-cli refuse : ce fichier est
                           peut-être tout ce qui reste d'autres sources)
  -t, --timeout=SECONDES temps accordé à la conversion de chaque fichier
                           (de 1 à 86400, par défaut 60) ; au-delà, elle échoue
  -T, --files-from=LISTE ajoute, après les FICHIERs, les noms lus dans LISTE,
                           un par ligne (« - » : l'entrée standard)
  -0, --null             les noms de LISTE finissent chacun par un octet nul,
                           comme les écrit « find -print0 »
  -v, --verbose          montre aussi ce que dit Ghostscript en convertissant
  -h, --help             affiche cette aide et quitte
  -V, --version          affiche la version et quitte

Un FICHIER se donne par son nom seul ou avec le chemin du RÉPERTOIRE (comme
l'écrit RÉPERTOIRE/*.eps) ; un nom qui commence par « - » se donne après « -- ».

Code de sortie :
  0  réussite
  1  échec de l'assemblage ou de la conversion, convertisseur absent compris
  2  erreur d'utilisation, LISTE illisible comprise
Interrompu par SIGINT, SIGTERM ou SIGHUP, brakwen-cli arrête le convertisseur,
retire ses fichiers temporaires, garde les sources et le résultat précédent,
puis se termine par ce signal (code 128 + son numéro dans un shell).

Signalez les anomalies sur <https://github.com/brakwen/brakwen/issues>.
)";

// A day at most: the converter adds to it when it sets its own limits.
constexpr unsigned longestTimeLimit = 86400;

// A whole number of seconds, written plainly ("60", not "+60" or " 60").
std::optional<unsigned> secondsFrom(const std::string &text)
{
    unsigned seconds = 0;
    const char *const end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, seconds);
    if (error != std::errc() || last != end || seconds == 0 || seconds > longestTimeLimit)
        return std::nullopt;
    return seconds;
}

// A script that reads the help or the version through a pipe must learn when it got nothing.
int printed(const std::string &text)
{
    if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
        printError("erreur d'écriture sur la sortie standard (" + assembly::reasonForErrno(errno) +
                   ")");
        return exitFailure;
    }
    return exitSuccess;
}

} // namespace

int usageError(const std::string &message)
{
    printError(message);
    std::fprintf(stderr, "Essayez « brakwen-cli --help ».\n");
    return exitUsage;
}

CommandLine parseCommandLine(int argc, char **argv)
{
    CommandLine commandLine;
    assembly::JobInputs &inputs = commandLine.inputs;
    inputs.baseName = "final";
    bool showHelp = false;
    bool showVersion = false;
    bool nulSeparated = false;
    std::optional<std::string> listPath;
    std::optional<std::string> timeLimit;
    const auto set = [](bool &flag) { return [&flag](const std::string &) { flag = true; }; };
    const std::vector<Option> options{
        {'n', "name", true, [&](const std::string &value) { inputs.baseName = value; }},
        {'p', "pdf", false, set(inputs.convertToPdf)},
        {'d', "delete-sources", false, set(inputs.deleteSources)},
        {'f', "force", false, set(commandLine.force)},
        {'t', "timeout", true, [&](const std::string &value) { timeLimit = value; }},
        {'T', "files-from", true, [&](const std::string &value) { listPath = value; }},
        {'0', "null", false, set(nulSeparated)},
        {'v', "verbose", false, set(commandLine.verbose)},
        {'h', "help", false, set(showHelp)},
        {'V', "version", false, set(showVersion)},
    };

    ParsedArguments parsed = parseOptions(argc, argv, options);
    if (!parsed.error.empty()) {
        commandLine.exitNow = usageError(parsed.error);
        return commandLine;
    }
    if (showHelp || showVersion) {
        commandLine.exitNow =
            printed(showHelp ? std::string(help) : assembly::versionText("brakwen-cli"));
        return commandLine;
    }
    if (timeLimit) {
        const std::optional<unsigned> seconds = secondsFrom(*timeLimit);
        if (!seconds) {
            commandLine.exitNow = usageError("--timeout : « " + *timeLimit +
                                             " » n'est pas un nombre de secondes de 1 à " +
                                             std::to_string(longestTimeLimit));
            return commandLine;
        }
        inputs.conversionTimeLimit = *seconds;
    }
    std::vector<std::string> &operands = parsed.operands;
    if (operands.empty()) {
        commandLine.exitNow =
            usageError("il faut un répertoire et au moins un fichier à assembler");
        return commandLine;
    }
    inputs.directory = operands.front();
    // An empty directory would put the result at the root of the file system.
    if (inputs.directory.empty()) {
        commandLine.exitNow = usageError("le nom du répertoire est vide");
        return commandLine;
    }
    operands.erase(operands.begin());
    if (listPath) {
        NameList list = readNameList(*listPath, nulSeparated);
        if (list.error != 0) {
            printError(*listPath + ": liste de noms illisible (" +
                       assembly::reasonForErrno(list.error) + ")");
            commandLine.exitNow = exitUsage;
            return commandLine;
        }
        operands.insert(operands.end(), std::make_move_iterator(list.names.begin()),
                        std::make_move_iterator(list.names.end()));
    }
    if (operands.empty()) {
        commandLine.exitNow =
            usageError("il faut un répertoire et au moins un fichier à assembler");
        return commandLine;
    }
    BareNames names = bareNames(inputs.directory, operands);
    if (!names.error.empty()) {
        commandLine.exitNow = usageError(names.error);
        return commandLine;
    }
    inputs.selectedFiles = std::move(names.names);
    return commandLine;
}

} // namespace cli
