#include "cli/command_line.h"

#include "cli/messages.h"

#include <CLI/CLI.hpp>
#include <cstdio>

namespace cli {

namespace {

const char *const help =
    R"(Utilisation : brakwen-cli [OPTION]... RÉPERTOIRE FICHIER...
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
                           (par défaut 60) ; au-delà, elle échoue
  -v, --verbose          montre aussi ce que dit Ghostscript en convertissant
  -h, --help             affiche cette aide et quitte
  -V, --version          affiche la version et quitte

Un nom de fichier qui commence par « - » se donne après « -- ».

Code de sortie :
  0  réussite
  1  échec de l'assemblage ou de la conversion, convertisseur absent compris
  2  erreur d'utilisation
Interrompu par SIGINT, SIGTERM ou SIGHUP, brakwen-cli arrête le convertisseur,
retire ses fichiers temporaires, garde les sources et le résultat précédent,
puis se termine par ce signal (code 128 + son numéro dans un shell).
)";

std::string describe(const CLI::ParseError &error)
{
    if (dynamic_cast<const CLI::RequiredError *>(&error) != nullptr)
        return "il faut un répertoire et au moins un fichier à assembler";
    if (dynamic_cast<const CLI::ExtrasError *>(&error) != nullptr)
        return "option ou argument inattendu";
    if (dynamic_cast<const CLI::ArgumentMismatch *>(&error) != nullptr)
        return "une option n'a pas reçu la valeur attendue";
    return "ligne de commande incorrecte";
}

} // namespace

const char *helpText()
{
    return help;
}

int usageError(const std::string &message)
{
    printError(message);
    std::fprintf(stderr, "Essayez « brakwen-cli --help ».\n");
    return exitUsage;
}

CommandLine parseCommandLine(int argc, char **argv)
{
    // CLI11 parses; the help is written by hand, to read as a French GNU tool's does.
    CLI::App app{"", "brakwen-cli"};
    app.set_help_flag();
    CommandLine commandLine;
    assembly::JobInputs &inputs = commandLine.inputs;
    inputs.baseName = "final";
    bool showHelp = false;
    bool showVersion = false;
    app.add_flag("-h,--help", showHelp);
    app.add_flag("-V,--version", showVersion);
    app.add_flag("-p,--pdf", inputs.convertToPdf);
    app.add_flag("-d,--delete-sources", inputs.deleteSources);
    app.add_flag("-v,--verbose", commandLine.verbose);
    app.add_flag("-f,--force", commandLine.force);
    app.add_option("-t,--timeout", inputs.conversionTimeLimit);
    app.add_option("-n,--name", inputs.baseName);
    app.add_option("REPERTOIRE", inputs.directory);
    app.add_option("FICHIER", inputs.selectedFiles);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &error) {
        // A file name starting with a dash is taken for an unknown option; say how to give it.
        for (const std::string &extra : app.remaining()) {
            if (!extra.empty() && extra.front() == '-') {
                commandLine.exitNow = usageError(
                    "option inconnue « " + extra +
                    " » (un nom de fichier qui commence par « - » se donne après « -- »)");
                return commandLine;
            }
        }
        commandLine.exitNow = usageError(describe(error));
        return commandLine;
    }
    if (showHelp) {
        std::fputs(help, stdout);
        commandLine.exitNow = exitSuccess;
        return commandLine;
    }
    if (showVersion) {
        std::printf("brakwen-cli %s\n", BRAKWEN_VERSION);
        commandLine.exitNow = exitSuccess;
        return commandLine;
    }
    if (app.count("REPERTOIRE") == 0 || inputs.selectedFiles.empty()) {
        commandLine.exitNow =
            usageError("il faut un répertoire et au moins un fichier à assembler");
        return commandLine;
    }
    // An empty directory would put the result at the root of the file system.
    if (inputs.directory.empty()) {
        commandLine.exitNow = usageError("le nom du répertoire est vide");
        return commandLine;
    }
    for (const std::string &name : inputs.selectedFiles) {
        if (name.empty() || name.find('/') != std::string::npos) {
            commandLine.exitNow =
                usageError("« " + name + " » n'est pas un nom de fichier du répertoire");
            return commandLine;
        }
    }
    return commandLine;
}

} // namespace cli
