#include "cli/command_line.h"

#include "assembly/failure_cause.h"
#include "cli/bare_names.h"
#include "cli/messages.h"
#include "cli/name_list.h"
#include "cli/option_parser.h"

#include <cerrno>
#include <cstdio>
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

const char *const version = "brakwen-cli (Brakwen) " BRAKWEN_VERSION R"(
Copyright (C) 2026 The Brakwen developers.
Licence GPLv3+ : GNU GPL version 3 ou ultérieure
<https://gnu.org/licenses/gpl.html>.
Ceci est un logiciel libre : vous êtes libre de le modifier et de le
redistribuer. Il n'y a AUCUNE GARANTIE, dans la mesure permise par la loi.
)";

// A script that reads the help or the version through a pipe must learn when it got nothing.
int printed(const char *text)
{
    if (std::fputs(text, stdout) < 0 || std::fflush(stdout) != 0) {
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
    const auto set = [](bool &flag) { return [&flag](const std::string &) { flag = true; }; };
    const std::vector<Option> options{
        {'n', "name", true, [&](const std::string &value) { inputs.baseName = value; }},
        {'p', "pdf", false, set(inputs.convertToPdf)},
        {'d', "delete-sources", false, set(inputs.deleteSources)},
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
        commandLine.exitNow = printed(showHelp ? help : version);
        return commandLine;
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
