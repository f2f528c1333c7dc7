#include "converter/ghostscript_run.h"

#include "converter/conversion_failure.h"
#include "converter/driver_program.h"
#include "posix/eintr.h"
#include "posix/unique_fd.h"
#include "posix/write_all.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <poll.h>
#include <string_view>
#include <unistd.h>

namespace converter {

namespace {

// Descriptor numbers inside Ghostscript.
constexpr int inputDescriptor = 3;
constexpr int holderDescriptor = 4;
// A longer line is passed on in pieces; it cannot be a report line.
constexpr std::size_t lineLimit = 4096;

std::vector<std::string> ghostscriptEnvironment(const std::string &temporaryFolder)
{
    std::vector<std::string> result;
    for (char **entry = environ; *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        const std::string_view name = text.substr(0, text.find('='));
        // GS_OPTIONS could undo -dSAFER; the temporary folder is ours alone.
        if (name == "GS_OPTIONS" || name == "GS_DEVICE" || name == "TMPDIR" || name == "TEMP" ||
            name == "TMP")
            continue;
        result.emplace_back(text);
    }
    result.push_back("TMPDIR=" + temporaryFolder);
    result.push_back("TEMP=" + temporaryFolder);
    return result;
}

// Splits what Ghostscript writes on stderr into the driver's reports and everything else.
class ReportReader
{
public:
    ReportReader(const std::string &key, GhostscriptResult &result, bool passOnOutput)
        : m_prefix(reportPrefix(key).substr(1)), m_result(result), m_passOnOutput(passOnOutput)
    {}

    void take(std::string_view bytes)
    {
        for (char c : bytes) {
            if (c == '\n') {
                endLine();
                continue;
            }
            m_line.push_back(c);
            if (m_line.size() >= lineLimit) {
                passOn(m_line);
                m_line.clear();
                m_midLine = true;
            }
        }
    }

    void finish()
    {
        if (!m_line.empty())
            endLine();
    }

private:
    void endLine()
    {
        if (!m_midLine && m_line.compare(0, m_prefix.size(), m_prefix) == 0) {
            read(std::string_view(m_line).substr(m_prefix.size()));
        } else if (!m_line.empty() || m_midLine) {
            m_line.push_back('\n');
            passOn(m_line);
        }
        m_line.clear();
        m_midLine = false;
    }

    // "<number> <status> <pages> <detail> "
    void read(std::string_view text)
    {
        std::string_view fields[3];
        for (std::string_view &field : fields) {
            const auto blank = text.find(' ');
            field = text.substr(0, blank);
            text = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
        }
        long pages = -1;
        std::from_chars(fields[2].data(), fields[2].data() + fields[2].size(), pages);
        if (fields[1] == "end") {
            m_result.finished = true;
            m_result.totalPages = pages;
            return;
        }
        PartOutcome outcome;
        std::from_chars(fields[0].data(), fields[0].data() + fields[0].size(), outcome.number);
        outcome.status = std::string(fields[1]);
        outcome.pages = pages;
        if (!text.empty() && text.back() == ' ')
            text.remove_suffix(1);
        if (text != "-")
            outcome.detail = std::string(text);
        m_result.outcomes.push_back(std::move(outcome));
    }

    void passOn(const std::string &text) const
    {
        if (m_passOnOutput)
            posix::writeAll(STDERR_FILENO, text.data(), text.size());
    }

    std::string m_prefix;
    GhostscriptResult &m_result;
    bool m_passOnOutput;
    std::string m_line;
    bool m_midLine = false;
};

} // namespace

GhostscriptResult runGhostscript(const GhostscriptSetup &setup)
{
    GhostscriptResult result;
    int errorPipe[2];
    if (::pipe2(errorPipe, O_CLOEXEC) != 0)
        throw ConversionFailure("Ghostscript ne peut pas être lancé");
    posix::UniqueFd errorRead(errorPipe[0]);
    posix::UniqueFd errorWrite(errorPipe[1]);
    posix::UniqueFd nothing(::open("/dev/null", O_RDONLY | O_CLOEXEC));

    posix::ChildSetup child;
    child.arguments = {setup.program,
                       "@" + setup.responseFile,
                       "-dSAFER",
                       "-dNOOUTERSAVE",
                       "-dBATCH",
                       "-dNOPAUSE",
                       "--permit-file-read=/dev/fd/" + std::to_string(inputDescriptor),
                       "-sstdout=%stderr",
                       "-sOutputFile=-",
                       setup.driverPath};
    child.environment = ghostscriptEnvironment(setup.temporaryFolder);
    child.descriptors = {{0, nothing.get()},
                         {1, setup.output},
                         {2, errorWrite.get()},
                         {inputDescriptor, setup.input}};
    if (setup.guardHolder >= 0)
        child.descriptors.emplace_back(holderDescriptor, setup.guardHolder);
    // Ghostscript never outlives the converter, which alone could clean up after it.
    child.endsWithParent = true;
    std::optional<posix::ChildProcess> gs = posix::ChildProcess::start(child);
    errorWrite.reset();
    if (!gs)
        throw ConversionFailure("Ghostscript ne peut pas être lancé");

    ReportReader reports(setup.key, result, setup.passOnOutput);
    char buffer[65536];
    for (;;) {
        if (setup.stopRequested && setup.stopRequested()) {
            result.exit = gs->stop(2000);
            result.stopped = true;
            return result;
        }
        pollfd wait = {errorRead.get(), POLLIN, 0};
        const int ready = ::poll(&wait, 1, 100);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;
        const ssize_t got =
            posix::retryOnInterrupt([&] { return ::read(errorRead.get(), buffer, sizeof buffer); });
        if (got <= 0)
            break;
        reports.take(std::string_view(buffer, static_cast<std::size_t>(got)));
    }
    reports.finish();
    result.exit = gs->wait();
    return result;
}

} // namespace converter
