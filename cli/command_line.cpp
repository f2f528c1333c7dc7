#include "cli/command_line.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

namespace cli {

namespace {

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

// The formatter puts a colon right after a label or a group name; French wants a blank before it.
void frenchLabels(CLI::App &app)
{
    auto formatter = std::make_shared<CLI::Formatter>();
    formatter->label("Usage", "Utilisation ");
    formatter->label("OPTIONS", "OPTIONS");
    formatter->label("Positionals", "Arguments ");
    formatter->label("REQUIRED", "OBLIGATOIRE");
    formatter->label("TEXT", "TEXTE");
    app.formatter(formatter);
}

} // namespace

int usageError(const std::string &message)
{
    std::fprintf(stderr, "brakwen-cli : %s\nEssayez « brakwen-cli --help ».\n", message.c_str());
    return exitUsage;
}

CommandLine parseCommandLine(int argc, char **argv)
{
    CLI::App app{"Assemble des fichiers d'un même répertoire, octet par octet et dans l'ordre "
                 "donné,\nen un fichier BASE.eps dans ce répertoire ; sur demande, le convertit en "
                 "PDF\net supprime les fichiers sources.",
                 "brakwen-cli"};
    frenchLabels(app);
    app.option_defaults()->group("Options ");
    app.set_help_flag("-h,--help", "Affiche cette aide et quitte");

    CommandLine commandLine;
    assembly::JobInputs &inputs = commandLine.inputs;
    inputs.baseName = "final";
    app.add_flag("--pdf", inputs.convertToPdf,
                 "Convertit le résultat en BASE.pdf avec le convertisseur (ps2pdf.bat et "
                 "pdfwrite.rsp) placé à côté de brakwen-cli");
    app.add_flag("--delete-sources", inputs.deleteSources,
                 "Supprime les fichiers sources une fois le résultat écrit sur le disque");
    app.add_option("--name", inputs.baseName,
                   "Nom du fichier final, sans extension (par défaut « final », peut être vide)")
        ->type_name("BASE");
    app.add_option("REPERTOIRE", inputs.directory, "Répertoire des fichiers à assembler")
        ->required()
        ->type_name("");
    app.add_option("FICHIER", inputs.selectedFiles,
                   "Noms des fichiers du répertoire, dans l'ordre d'assemblage ; un nom qui "
                   "commence par « - » se donne après « -- »")
        ->required()
        ->type_name("");
    app.footer("Code de sortie : 0 réussite, 1 échec de l'assemblage ou de la conversion,\n"
               "2 erreur d'utilisation. Interrompu par SIGINT, SIGTERM ou SIGHUP, brakwen-cli\n"
               "arrête le convertisseur, retire ses fichiers temporaires, garde les sources et\n"
               "le résultat précédent, puis se termine par ce signal (code 128 + son numéro).");

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success &success) {
        commandLine.exitNow = app.exit(success);
        return commandLine;
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
