#include "converter/part_conversions.h"

#include "converter/ceilings.h"
#include "converter/conversion_failure.h"
#include "converter/part_child.h"
#include "posix/anonymous_file.h"
#include "posix/eintr.h"
#include "posix/processor_time.h"
#include "posix/unique_fd.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace converter {

namespace {

const char *const nothingWritten = " ; aucun PDF n'a été écrit";
constexpr std::uint64_t smallPart = std::uint64_t{1} << 20;

// Text from a document, made safe to print on a terminal.
std::string printable(std::string text)
{
    for (char &c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7f')
            c = '?';
    return text;
}

// Copies [offset, offset + length) of the input into fd, in the kernel where it can.
bool copyRange(int input, int fd, std::uint64_t offset, std::uint64_t length)
{
    auto position = static_cast<off_t>(offset);
    while (length > 0) {
        const ssize_t sent = posix::retryOnInterrupt(
            [&] { return ::sendfile(fd, input, &position, static_cast<std::size_t>(length)); });
        if (sent <= 0)
            break;
        length -= static_cast<std::uint64_t>(sent);
    }
    char buffer[65536];
    while (length > 0) {
        const std::size_t want = length < sizeof buffer ? length : sizeof buffer;
        const ssize_t got =
            posix::retryOnInterrupt([&] { return ::pread(input, buffer, want, position); });
        if (got <= 0)
            return false;
        for (ssize_t written = 0; written < got;) {
            const ssize_t put = posix::retryOnInterrupt([&] {
                return ::write(fd, buffer + written, static_cast<std::size_t>(got - written));
            });
            if (put <= 0)
                return false;
            written += put;
        }
        position += got;
        length -= static_cast<std::uint64_t>(got);
    }
    return ::lseek(fd, 0, SEEK_SET) == 0;
}

// A file in memory, or where the system has no such thing, one in the part's folder that is
// gone as soon as it is open.
posix::UniqueFd scratchFile(const std::string &folder, const std::string &name)
{
    posix::UniqueFd file = posix::anonymousFile(name.c_str());
    if (file.valid())
        return file;
    const std::string path = folder + "/" + name;
    file = posix::UniqueFd(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    ::unlink(path.c_str());
    return file;
}

// What the main process keeps of a part whose child runs.
struct RunningPart
{
    std::string pdfPath;
    std::string scratchFolder;
    posix::UniqueFd report;
};

class Conversions
{
public:
    Conversions(GhostscriptZygote &zygote, PdfReaderProcess &reader, int input,
                const std::vector<Part> &parts, const PartConversionSettings &settings,
                PartConversionCosts &costs)
        : m_zygote(zygote), m_reader(reader), m_input(input), m_parts(parts), m_settings(settings),
          m_checked(parts.size()), m_costs(costs)
    {}

    std::vector<CheckedPart> run()
    {
        std::size_t next = 0;
        std::size_t done = 0;
        const unsigned parallel = m_settings.parallel > 0 ? m_settings.parallel : 1;
        while (done < m_parts.size()) {
            const double preparing = posix::processorMilliseconds();
            while (m_running.size() < parallel && next < m_parts.size())
                launch(next++);
            m_costs.preparingMilliseconds += posix::processorMilliseconds() - preparing;
            pollfd wait = {m_zygote.eventDescriptor(), POLLIN, 0};
            const int ready = ::poll(&wait, 1, 100);
            if (m_settings.stopRequested && m_settings.stopRequested())
                throw ConversionFailure("interrompu");
            if (ready < 0 && errno != EINTR)
                throw ConversionFailure("Ghostscript s'est arrêté" + std::string(nothingWritten));
            if (ready <= 0)
                continue;
            const std::optional<ZygoteEvent> event = m_zygote.nextEvent();
            if (!event)
                throw ConversionFailure("Ghostscript s'est arrêté" + std::string(nothingWritten));
            if (event->kind == ZygoteEvent::Refused)
                throw ConversionFailure(describe(event->index) +
                                        " : Ghostscript ne peut pas être lancé" + nothingWritten);
            if (event->kind != ZygoteEvent::Ended)
                continue;
            const double checking = posix::processorMilliseconds();
            finish(*event);
            m_costs.checksMilliseconds += posix::processorMilliseconds() - checking;
            m_costs.childrenMilliseconds += static_cast<double>(event->cpuMicroseconds) * 1e-3;
            ++done;
            if (m_settings.progress)
                m_settings.progress(done, m_parts.size(), event->index);
        }
        return std::move(m_checked);
    }

private:
    std::string describe(std::uint64_t index) const
    {
        return index < m_parts.size() ? m_parts[index].description() : "fichier ?";
    }

    void launch(std::size_t index)
    {
        const Part &part = m_parts[index];
        const std::string what = part.description();
        // Ghostscript's scratch files go to a folder of the part's own, where nothing else is.
        const std::string folder = m_settings.scratchFolder + "/" + std::to_string(index);
        if (::mkdir(folder.c_str(), 0700) != 0)
            throw ConversionFailure(what + " : écriture impossible dans le dossier temporaire" +
                                    nothingWritten);
        posix::UniqueFd folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        // A small part's PDF waits for the join in the scratch folder, in memory where the
        // system allows; making thousands of files on disk costs more than converting them.
        const std::string pdfPath =
            (part.length < smallPart ? m_settings.scratchFolder : m_settings.folder) + "/" +
            std::to_string(index) + ".pdf";
        // Readable too: the child looks at how its PDF ends.
        posix::UniqueFd pdf(::open(pdfPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        posix::UniqueFd source = scratchFile(folder, "part.ps");
        posix::UniqueFd report = scratchFile(folder, "report");
        if (!folderFd.valid() || !pdf.valid() || !source.valid() || !report.valid() ||
            !copyRange(m_input, source.get(), part.offset, part.length))
            throw ConversionFailure(what + " : écriture impossible dans le dossier temporaire" +
                                    nothingWritten);
        PartRequest request;
        request.index = index;
        request.eps = part.kind == Part::Kind::Eps ? 1 : 0;
        request.timeLimitSeconds = m_settings.timeLimit;
        request.width = part.box.width();
        request.height = part.box.height();
        request.llx = part.box.llx;
        request.lly = part.box.lly;
        const int fds[requestDescriptors] = {source.get(), pdf.get(), folderFd.get(), report.get()};
        if (!m_zygote.launch(request, fds))
            throw ConversionFailure(what + " : Ghostscript ne peut pas être lancé" +
                                    nothingWritten);
        m_running.emplace(index, RunningPart{pdfPath, folder, std::move(report)});
    }

    void finish(const ZygoteEvent &event)
    {
        const auto found = m_running.find(event.index);
        if (found == m_running.end())
            throw ConversionFailure("compte rendu de Ghostscript incohérent" +
                                    std::string(nothingWritten));
        RunningPart running = std::move(found->second);
        m_running.erase(found);
        const Part &part = m_parts[event.index];
        const std::string what = part.description();
        std::error_code ignored;
        std::filesystem::remove_all(running.scratchFolder, ignored);

        char text[1024];
        const ssize_t got = posix::retryOnInterrupt(
            [&] { return ::pread(running.report.get(), text, sizeof text - 1, 0); });
        const PartReport report =
            parsePartReport(std::string_view(text, got > 0 ? static_cast<std::size_t>(got) : 0));
        if (event.exited == 0) {
            if (event.signal == SIGALRM || event.signal == SIGXCPU)
                throw ConversionFailure(what + " : la conversion a dépassé " +
                                        std::to_string(m_settings.timeLimit) + " secondes" +
                                        nothingWritten);
            if (event.signal == SIGXFSZ)
                throw limitReached(what, "scratch");
            throw ConversionFailure(what + " : Ghostscript s'est arrêté (signal " +
                                    std::to_string(event.signal) + ")" + nothingWritten);
        }
        if (report.outcome == "limit")
            throw limitReached(what, report.errorName);
        if (report.outcome == "error" && report.errorName == "unconfined")
            throw ConversionFailure(what + " : Ghostscript ne peut pas y être confiné" +
                                    nothingWritten);
        if (report.outcome == "error" && report.errorName == "quit")
            throw ConversionFailure(what + " : le fichier a arrêté Ghostscript (code " +
                                    printable(report.command) + ")" + nothingWritten);
        if (report.outcome == "error")
            throw ConversionFailure(what + " : erreur PostScript " + printable(report.errorName) +
                                    (report.command.empty() || report.command == "-"
                                         ? ""
                                         : " dans " + printable(report.command)) +
                                    nothingWritten);
        const bool quit = report.outcome == "quit";
        if (event.code != 0 || (report.pages < 1 && !quit))
            throw ConversionFailure(what + " : Ghostscript n'a pas pu terminer le PDF" +
                                    nothingWritten);
        CheckedPart checked{running.pdfPath, what, {}, 0};
        if (part.kind == Part::Kind::Eps)
            checked.expectation.pageSize = std::make_pair(part.box.width(), part.box.height());
        checked.pages = m_reader.check(checked.pdfPath, what, checked.expectation);
        if (!quit && checked.pages != report.pages)
            throw ConversionFailure(what + " : le PDF compte " + std::to_string(checked.pages) +
                                    " pages, Ghostscript en a montré " +
                                    std::to_string(report.pages) + nothingWritten);
        m_checked[event.index] = std::move(checked);
    }

    ConversionFailure limitReached(const std::string &what, const std::string &limit) const
    {
        return ConversionFailure((limit == "memory"
                                      ? memoryExhausted(what, m_settings.limits.memoryBytes)
                                      : scratchExhausted(what, m_settings.limits.scratchBytes)) +
                                 nothingWritten);
    }

    GhostscriptZygote &m_zygote;
    PdfReaderProcess &m_reader;
    int m_input;
    const std::vector<Part> &m_parts;
    const PartConversionSettings &m_settings;
    std::vector<CheckedPart> m_checked;
    std::unordered_map<std::uint64_t, RunningPart> m_running;
    PartConversionCosts &m_costs;
};

} // namespace

std::vector<CheckedPart> convertParts(GhostscriptZygote &zygote, PdfReaderProcess &reader,
                                      int input, const std::vector<Part> &parts,
                                      const PartConversionSettings &settings,
                                      PartConversionCosts *costs)
{
    PartConversionCosts unused;
    return Conversions(zygote, reader, input, parts, settings, costs != nullptr ? *costs : unused)
        .run();
}

} // namespace converter
