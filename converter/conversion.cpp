#include "converter/conversion.h"

#include "assembly/part_manifest.h"
#include "assembly/pdf_check.h"
#include "converter/conversion_failure.h"
#include "converter/driver_program.h"
#include "converter/leftover_guard.h"
#include "converter/part_plan.h"
#include "converter/pdf_output.h"
#include "posix/child_process.h"
#include "posix/eintr.h"
#include "posix/pending_file.h"
#include "posix/stop_signals.h"
#include "posix/unique_fd.h"
#include "posix/write_all.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace converter {

namespace {

const char *const nothingWritten = " ; aucun PDF n'a été écrit";

// A descriptor number given in the environment, or -1.
int descriptorFromEnvironment(const char *name)
{
    const char *value = std::getenv(name);
    if (value == nullptr || *value == '\0')
        return -1;
    int fd = -1;
    const char *end = value + std::char_traits<char>::length(value);
    const auto [last, error] = std::from_chars(value, end, fd);
    return error == std::errc() && last == end && fd >= 0 ? fd : -1;
}

std::string readWhole(int fd)
{
    std::string text;
    char buffer[65536];
    for (off_t offset = 0;;) {
        const ssize_t got =
            posix::retryOnInterrupt([&] { return ::pread(fd, buffer, sizeof buffer, offset); });
        if (got < 0)
            throw ConversionFailure("le découpage transmis par le programme est illisible");
        if (got == 0)
            return text;
        text.append(buffer, static_cast<std::size_t>(got));
        offset += got;
    }
}

// Text from Ghostscript or a document, made safe to print on a terminal.
std::string printable(std::string text)
{
    for (char &c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7f')
            c = '?';
    return text;
}

// The folder a private temporary one is made in: TMPDIR or /tmp, made absolute so that no name
// handed to Ghostscript starts with a dash or depends on its working folder.
std::string temporaryBase()
{
    const char *folder = std::getenv("TMPDIR");
    std::string base = folder != nullptr && *folder != '\0' ? folder : "/tmp";
    if (base.front() != '/') {
        std::error_code ignored;
        base = (std::filesystem::current_path(ignored) / base).string();
    }
    return base;
}

// A folder only this user may enter, watched before it exists so that it never stays behind.
std::string makePrivateFolder(LeftoverGuard &guard)
{
    const std::string base = temporaryBase();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = base + "/brakwen-ps2pdf-" + posix::randomHex(12);
        guard.watch(candidate);
        if (::mkdir(candidate.c_str(), 0700) == 0)
            return candidate;
        if (errno != EEXIST)
            break;
    }
    throw ConversionFailure("dossier temporaire impossible à créer dans " + base);
}

void writeFile(const std::string &path, const std::string &text)
{
    posix::UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd.valid() || posix::writeAll(fd.get(), text.data(), text.size()) != 0 || fd.close() != 0)
        throw ConversionFailure("écriture impossible dans le dossier temporaire");
}

// Removes the private folder when the conversion ends, however it ends.
class FolderRemoval
{
public:
    explicit FolderRemoval(std::string path) : m_path(std::move(path)) {}
    FolderRemoval(const FolderRemoval &) = delete;
    FolderRemoval &operator=(const FolderRemoval &) = delete;
    ~FolderRemoval()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }

private:
    std::string m_path;
};

} // namespace

Conversion::Conversion(std::string responseFile, std::string epsPath, std::string pdfPath)
    : m_responseFile(std::move(responseFile)), m_epsPath(std::move(epsPath)),
      m_pdfPath(std::move(pdfPath))
{}

void Conversion::run()
{
    posix::StopSignals::install();
    struct stat status = {};
    if (::stat(m_responseFile.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
        ::access(m_responseFile.c_str(), R_OK) != 0)
        throw ConversionFailure("fichier d'options introuvable : " + m_responseFile);
    const std::string gs = posix::findInPath("gs");
    if (gs.empty())
        throw ConversionFailure(
            "Ghostscript (gs) est introuvable ; installez le paquet ghostscript");
    if (posix::findInPath("qpdf").empty())
        throw ConversionFailure(
            "qpdf, qui vérifie le PDF, est introuvable ; installez le paquet qpdf");

    // Opened once: every part is read from this very file, whatever happens to its name.
    posix::UniqueFd input(posix::retryOnInterrupt(
        [&] { return ::open(m_epsPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY); }));
    if (!input.valid() || ::fstat(input.get(), &status) != 0)
        throw ConversionFailure("fichier introuvable : " + m_epsPath);
    if (!S_ISREG(status.st_mode))
        throw ConversionFailure("pas un fichier ordinaire : " + m_epsPath);
    if (status.st_size == 0)
        throw ConversionFailure("fichier vide : " + m_epsPath);
    if (::stat(m_pdfPath.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
        throw ConversionFailure("le nom du PDF est celui d'un dossier : " + m_pdfPath);
    ::fstat(input.get(), &status);

    const std::vector<Part> parts = plan(input.get(), static_cast<std::uint64_t>(status.st_size));
    if (parts.empty())
        throw ConversionFailure(m_epsPath + " : aucune page à convertir");
    if (posix::StopSignals::received() != 0)
        throw ConversionFailure("interrompu");

    LeftoverGuard guard;
    GhostscriptResult result;
    {
        GhostscriptSetup setup;
        setup.temporaryFolder = makePrivateFolder(guard);
        const FolderRemoval removal(setup.temporaryFolder);
        setup.program = gs;
        setup.responseFile = m_responseFile;
        setup.key = posix::randomHex(32);
        setup.driverPath = setup.temporaryFolder + "/driver.ps";
        writeFile(setup.driverPath,
                  driverProgram(parts, setup.key, documentTitle(), "Brakwen " BRAKWEN_VERSION));
        PdfOutput output(m_pdfPath, guard);
        setup.input = input.get();
        setup.output = output.fd();
        setup.guardHolder = guard.holderDescriptor();
        setup.stopRequested = [] { return posix::StopSignals::received() != 0; };
        setup.passOnOutput = verbose();
        result = runGhostscript(setup);
        if (result.stopped)
            throw ConversionFailure("interrompu");
        check(parts, result);
        // Ghostscript 10 exits with status 0 after a write error on closing the PDF (a full
        // disk): only a strict reader tells a whole PDF from a cut one.
        const std::optional<long> pages = assembly::verifiedPageCount(output.fd());
        if (!pages)
            throw ConversionFailure("le PDF écrit par Ghostscript est incomplet ou endommagé "
                                    "(disque plein ?)" +
                                    std::string(nothingWritten));
        if (*pages != result.totalPages)
            throw ConversionFailure("le PDF compte " + std::to_string(*pages) +
                                    " pages au lieu de " + std::to_string(result.totalPages) +
                                    nothingWritten);
        output.commit();
    }

    const int report = descriptorFromEnvironment(assembly::reportVariable);
    if (report >= 0) {
        const std::string text = assembly::formatPageReport(result.totalPages);
        [[maybe_unused]] const ssize_t ignored = ::pwrite(report, text.data(), text.size(), 0);
    }
}

bool Conversion::verbose()
{
    const char *asked = std::getenv("BRAKWEN_VERBOSE");
    return descriptorFromEnvironment(assembly::reportVariable) < 0 ||
           (asked != nullptr && *asked != '\0' && std::string(asked) != "0");
}

void Conversion::reportFailure(const std::string &why) const
{
    const int report = descriptorFromEnvironment(assembly::reportVariable);
    if (report >= 0) {
        const std::string text = assembly::formatFailureReport(why);
        [[maybe_unused]] const ssize_t ignored = ::pwrite(report, text.data(), text.size(), 0);
    }
    if (verbose())
        std::fprintf(stderr, "ps2pdf.bat : %s\n", why.c_str());
}

std::string Conversion::documentTitle() const
{
    // The PDF's name without ".pdf": the base name the user gave, or the whole name without one.
    const auto slash = m_pdfPath.find_last_of('/');
    std::string name = slash == std::string::npos ? m_pdfPath : m_pdfPath.substr(slash + 1);
    constexpr std::string_view extension = ".pdf";
    if (name.size() > extension.size() && name.ends_with(extension))
        return name.substr(0, name.size() - extension.size());
    return name;
}

std::vector<Part> Conversion::plan(int input, std::uint64_t size) const
{
    const int manifestFd = descriptorFromEnvironment(assembly::partsVariable);
    if (manifestFd < 0)
        return planByContent(input, size);
    const auto files = assembly::parseManifest(readWhole(manifestFd));
    if (!files)
        throw ConversionFailure("le découpage transmis par le programme est illisible");
    std::uint64_t announced = 0;
    for (const assembly::ManifestPart &file : *files)
        announced += file.size;
    if (announced != size)
        throw ConversionFailure("le découpage transmis annonce " + std::to_string(announced) +
                                " octets, le fichier en compte " + std::to_string(size));
    return planFromManifest(input, *files);
}

void Conversion::check(const std::vector<Part> &parts, const GhostscriptResult &result) const
{
    if (!result.exit.exited)
        throw ConversionFailure("Ghostscript a échoué (signal " +
                                std::to_string(result.exit.signal) + ")" + nothingWritten);
    if (result.exit.code != 0)
        throw ConversionFailure("Ghostscript a échoué (code " + std::to_string(result.exit.code) +
                                ")" + nothingWritten);
    long total = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string what = parts[i].description();
        if (i >= result.outcomes.size())
            throw ConversionFailure(what + " : Ghostscript s'est arrêté pendant ce fichier" +
                                    nothingWritten);
        const PartOutcome &outcome = result.outcomes[i];
        if (outcome.number != parts[i].number)
            throw ConversionFailure("compte rendu de Ghostscript incohérent" +
                                    std::string(nothingWritten));
        if (outcome.status != "ok" && outcome.status != "stop")
            throw ConversionFailure(
                what + " : erreur PostScript " + printable(outcome.status) +
                (outcome.detail.empty() ? "" : " dans " + printable(outcome.detail)) +
                nothingWritten);
        if (outcome.pages < 1)
            throw ConversionFailure(what + " : aucune page" + nothingWritten);
        total += outcome.pages;
    }
    if (!result.finished || result.outcomes.size() != parts.size())
        throw ConversionFailure("compte rendu de Ghostscript incohérent" +
                                std::string(nothingWritten));
    // An EPS is given exactly one page; more pages than the parts made means one of them showed
    // pages itself, past the disarmed showpage, and they cannot be told apart.
    if (total != result.totalPages)
        throw ConversionFailure("un fichier EPS a produit des pages en dehors de la sienne (" +
                                std::to_string(result.totalPages) + " pages pour " +
                                std::to_string(total) + " attendues)" + nothingWritten);
}

} // namespace converter
