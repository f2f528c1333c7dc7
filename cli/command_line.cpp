#include "cli/command_line.h"

#include "assembly/failure_cause.h"
#include "assembly/result_names.h"
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
                           « final », peut être vide ; « .eps » ou « .pdf » à
                           sa fin n'est pas doublé)
  -p, --pdf              convertit le résultat en BASE.pdf avec le
                           convertisseur placé à côté de brakwen-cli
                           (ps2pdf.bat, pdfwrite.rsp, brakwen-ps2pdf)
  -d, --delete-sources   supprime les fichiers sources une fois le résultat
                           écrit et vérifié
      --trash-sources    met les fichiers sources à la corbeille une fois le
                           résultat écrit et vérifié (ceux qu'aucune corbeille
                           ne prend sont conservés)
  -f, --force            avec --delete-sources ou --trash-sources, remplace un
                           résultat déjà là (sans --force, brakwen-cli refuse :
                           ce fichier est peut-être tout ce qui reste d'autres
                           sources)
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

namespace {

// The options as given, before they are checked.
struct OptionValues
{
    bool showHelp = false;
    bool showVersion = false;
    bool deleteSources = false;
    bool trashSources = false;
    bool nulSeparated = false;
    std::optional<std::string> listPath;
    std::optional<std::string> timeLimit;
};

std::vector<Option> optionsInto(CommandLine &commandLine, OptionValues &values)
{
    assembly::JobInputs &inputs = commandLine.inputs;
    const auto set = [](bool &flag) { return [&flag](const std::string &) { flag = true; }; };
    return {
        {'n', "name", true, [&](const std::string &value) { inputs.baseName = value; }},
        {'p', "pdf", false, set(inputs.convertToPdf)},
        {'d', "delete-sources", false, set(values.deleteSources)},
        {'\0', "trash-sources", false, set(values.trashSources)},
        {'f', "force", false, set(commandLine.force)},
        {'t', "timeout", true, [&](const std::string &value) { values.timeLimit = value; }},
        {'T', "files-from", true, [&](const std::string &value) { values.listPath = value; }},
        {'0', "null", false, set(values.nulSeparated)},
        {'v', "verbose", false, set(commandLine.verbose)},
        {'h', "help", false, set(values.showHelp)},
        {'V', "version", false, set(values.showVersion)},
    };
}

// The values that need more than their presence; nullopt when they are right, else the exit
// status (said on stderr).
std::optional<int> checkValues(const OptionValues &values, assembly::JobInputs &inputs)
{
    if (values.deleteSources && values.trashSources)
        return usageError("« --delete-sources » et « --trash-sources » s'excluent : les sources "
                          "sont supprimées ou mises à la corbeille");
    if (values.deleteSources)
        inputs.sourceDeletion = assembly::SourceDeletion::Permanently;
    if (values.trashSources)
        inputs.sourceDeletion = assembly::SourceDeletion::ToTrash;
    if (!assembly::resultNames(inputs.baseName))
        return usageError(assembly::baseNameRefusal(inputs.baseName));
    if (values.timeLimit) {
        const std::optional<unsigned> seconds = secondsFrom(*values.timeLimit);
        if (!seconds)
            return usageError("--timeout : " + quoted(*values.timeLimit) +
                              " n'est pas un nombre de secondes de 1 à " +
                              std::to_string(longestTimeLimit));
        inputs.conversionTimeLimit = *seconds;
    }
    return std::nullopt;
}

// The folder, then the files named after it and those of the list; nullopt when they are
// right, else the exit status (said on stderr).
std::optional<int> takeOperands(std::vector<std::string> operands, const OptionValues &values,
                                assembly::JobInputs &inputs)
{
    const char *const needed = "il faut un répertoire et au moins un fichier à assembler";
    if (operands.empty())
        return usageError(needed);
    inputs.directory = operands.front();
    // An empty directory would put the result at the root of the file system.
    if (inputs.directory.empty())
        return usageError("le nom du répertoire est vide");
    operands.erase(operands.begin());
    if (values.listPath) {
        NameList list = readNameList(*values.listPath, values.nulSeparated);
        if (list.error != 0) {
            printError(*values.listPath + ": liste de noms illisible (" +
                       assembly::reasonForErrno(list.error) + ")");
            return exitUsage;
        }
        operands.insert(operands.end(), std::make_move_iterator(list.names.begin()),
                        std::make_move_iterator(list.names.end()));
    }
    if (operands.empty())
        return usageError(needed);
    BareNames names = bareNames(inputs.directory, operands);
    if (!names.error.empty())
        return usageError(names.error);
    inputs.selectedFiles = std::move(names.names);
    return std::nullopt;
}

} // namespace

CommandLine parseCommandLine(int argc, char **argv)
{
    CommandLine commandLine;
    commandLine.inputs.baseName = "final";
    OptionValues values;
    ParsedArguments parsed = parseOptions(argc, argv, optionsInto(commandLine, values));
    if (!parsed.error.empty())
        commandLine.exitNow = usageError(parsed.error);
    else if (values.showHelp || values.showVersion)
        commandLine.exitNow =
            printed(values.showHelp ? std::string(help) : assembly::versionText("brakwen-cli"));
    else if (!(commandLine.exitNow = checkValues(values, commandLine.inputs)))
        commandLine.exitNow = takeOperands(std::move(parsed.operands), values, commandLine.inputs);
    return commandLine;
}

} // namespace cli
