#include "converter/pdf_reader_process.h"

#include "converter/ceilings.h"
#include "converter/conversion_failure.h"
#include "converter/pdf_reader_service.h"
#include "posix/descriptor_passing.h"
#include "posix/eintr.h"
#include "posix/processor_time.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <vector>

namespace converter {

namespace {

// The part's PDF, opened without waiting on whatever may be at its name: the reader reads it
// through a mapping, which only a plain file gives.
posix::UniqueFd openPart(const std::string &path)
{
    return posix::UniqueFd(posix::retryOnInterrupt([&] {
        return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    }));
}

void setExpectation(ReaderRequest &request, const PartExpectation &expectation)
{
    request.eps = expectation.pageSize ? 1 : 0;
    if (expectation.pageSize)
        std::tie(request.width, request.height) = *expectation.pageSize;
}

// Texts for the reader, each ended by a NUL, cut short where they would not fit.
void setText(ReaderRequest &request, std::initializer_list<std::string_view> texts)
{
    std::size_t at = 0;
    for (const std::string_view text : texts) {
        const std::size_t length = std::min(text.size(), sizeof request.text - 1 - at);
        std::memcpy(request.text + at, text.data(), length);
        at += length;
        request.text[at] = '\0';
        at = std::min(at + 1, sizeof request.text - 1);
    }
}

// A sentence from the reader, which a part may have taken over: bounded, and printable on a
// terminal and in a message box.
std::string said(const ReaderAnswer &answer)
{
    std::string text(answer.why, ::strnlen(answer.why, sizeof answer.why));
    for (char &c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7f')
            c = '?';
    return text.empty() ? "le PDF produit est endommagé" : text;
}

} // namespace

PdfReaderProcess::PdfReaderProcess(PdfReaderLimits limits) : m_limits(std::move(limits))
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0)
        throw ConversionFailure("la lecture des PDF ne peut pas être lancée");
    posix::UniqueFd ours(ends[0]);
    posix::UniqueFd theirs(ends[1]);
    const pid_t converter = ::getpid();
    m_pid = ::fork();
    if (m_pid < 0)
        throw ConversionFailure("la lecture des PDF ne peut pas être lancée");
    if (m_pid == 0) {
        ours.reset();
        servePdfReading(theirs.get(), m_limits.memory, converter);
    }
    m_socket = std::move(ours);
}

PdfReaderProcess::~PdfReaderProcess()
{
    stop();
}

long PdfReaderProcess::check(const std::string &pdfPath, const std::string &description,
                             const PartExpectation &expectation)
{
    const posix::UniqueFd pdf = openPart(pdfPath);
    if (!pdf.valid())
        fail(description + " : le PDF produit est introuvable ou illisible");
    ReaderRequest request;
    request.kind = ReaderRequest::Check;
    setExpectation(request, expectation);
    const int fds[] = {pdf.get()};
    return ask(request, fds, description).pages;
}

void PdfReaderProcess::startJoin(int outputFd)
{
    ReaderRequest request;
    request.kind = ReaderRequest::StartJoin;
    const int fds[] = {outputFd};
    ask(request, fds, {});
}

void PdfReaderProcess::copy(const std::string &pdfPath, const std::string &description,
                            const PartExpectation &expectation, long pages,
                            const std::string &title)
{
    const posix::UniqueFd pdf = openPart(pdfPath);
    if (!pdf.valid())
        fail(description + " : le PDF produit est introuvable ou illisible");
    ReaderRequest request;
    request.kind = ReaderRequest::Copy;
    setExpectation(request, expectation);
    request.pages = pages;
    setText(request, {title});
    const int fds[] = {pdf.get()};
    ask(request, fds, description);
}

void PdfReaderProcess::finishJoin(const DocumentInfo &info)
{
    ReaderRequest request;
    request.kind = ReaderRequest::FinishJoin;
    setText(request, {info.title, info.creator, info.producer});
    ask(request, {}, {});
}

ReaderAnswer PdfReaderProcess::ask(const ReaderRequest &request, std::span<const int> fds,
                                   const std::string &description)
{
    const std::string subject = description.empty() ? "écriture du PDF" : description;
    if (m_pid <= 0 || !posix::sendWithDescriptors(m_socket.get(), &request, sizeof request, fds))
        fail(subject + " : la lecture des PDF s'est arrêtée");
    const ReaderAnswer answer = awaitAnswer(subject);
    switch (answer.kind) {
    case ReaderAnswer::Done:
        return answer;
    case ReaderAnswer::PartFailed:
        fail(subject + " : " + said(answer));
    case ReaderAnswer::MemoryExhausted:
        fail(memoryExhausted(subject, m_limits.memory));
    case ReaderAnswer::Failed:
        fail(said(answer));
    case ReaderAnswer::Unconfined:
        fail("la lecture des PDF ne peut pas être confinée ; aucun PDF n'a été écrit");
    }
    fail(subject + " : réponse incohérente de la lecture des PDF");
}

ReaderAnswer PdfReaderProcess::awaitAnswer(const std::string &subject)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(m_limits.seconds);
    for (;;) {
        if (m_limits.stopRequested && m_limits.stopRequested())
            fail("interrompu");
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            fail(subject + " : la lecture des PDF a dépassé " + std::to_string(m_limits.seconds) +
                 " secondes");
        // Woken every tenth of a second to see whether the conversion was interrupted.
        pollfd wait = {m_socket.get(), POLLIN, 0};
        const int ready = ::poll(&wait, 1, static_cast<int>(std::min<long long>(left, 100)));
        if (ready == 0 || (ready < 0 && errno == EINTR))
            continue;
        ReaderAnswer answer;
        std::vector<posix::UniqueFd> none;
        if (ready > 0 && posix::receiveWithDescriptors(m_socket.get(), &answer, sizeof answer,
                                                       none) == sizeof answer)
            return answer;
        // Gone: how it ended is its exit status, unless it lives on having closed its end.
        ::kill(m_pid, SIGKILL);
        int status = 0;
        posix::retryOnInterrupt([&] { return ::waitpid(m_pid, &status, 0); });
        m_pid = -1;
        fail(subject + " : la lecture des PDF s'est arrêtée (" +
             (WIFSIGNALED(status) ? "signal " + std::to_string(WTERMSIG(status))
                                  : "code " + std::to_string(WEXITSTATUS(status))) +
             ")");
    }
}

void PdfReaderProcess::fail(const std::string &why)
{
    stop();
    throw ConversionFailure(why);
}

double PdfReaderProcess::end()
{
    return stop();
}

double PdfReaderProcess::stop()
{
    const double before = posix::processorMilliseconds(posix::ProcessorTimeOf::EndedChildren);
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        posix::retryOnInterrupt([&] { return ::waitpid(m_pid, &status, 0); });
        m_pid = -1;
    }
    m_socket.reset();
    return posix::processorMilliseconds(posix::ProcessorTimeOf::EndedChildren) - before;
}

} // namespace converter
