#include "converter/pdf_reader_service.h"

#include "converter/conversion_failure.h"
#include "converter/pdf_join.h"
#include "converter/pdf_part_check.h"
#include "converter/pdf_reader_protocol.h"
#include "posix/capabilities.h"
#include "posix/close_descriptors.h"
#include "posix/confinement.h"
#include "posix/descriptor_passing.h"
#include "posix/memory_ceiling.h"

#include <csignal>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

namespace converter {

namespace {

// Besides the socket, the descriptors of one request and the joined PDF.
constexpr rlim_t descriptorLimit = 16;

int answerSocket = -1;
std::optional<posix::MemoryCeiling> ceiling;
bool memoryRanOut = false;

void send(const ReaderAnswer &answer)
{
    [[maybe_unused]] const ssize_t ignored = ::write(answerSocket, &answer, sizeof answer);
}

ReaderAnswer answered(ReaderAnswer::Kind kind, const char *why = "")
{
    ReaderAnswer answer;
    answer.kind = kind;
    std::strncpy(answer.why, why, sizeof answer.why - 1);
    return answer;
}

// libqpdf takes an allocation that fails while it reads an object for damage in the file: the
// allocator says first that the ceiling was reached.
void allocationRefused()
{
    memoryRanOut = true;
    throw std::bad_alloc();
}

#if defined(__SANITIZE_ADDRESS__)
// A checked build's allocator ends the process instead of failing an allocation: it says why
// before it goes, when the ceiling was the cause.
void dying()
{
    if (ceiling && ceiling->nearlyReached())
        send(answered(ReaderAnswer::MemoryExhausted));
    ::_exit(1);
}
#endif

// Everything a part could use against the machine taken away, before the first byte is read.
bool shutIn(std::uint64_t memory)
{
    std::set_new_handler(allocationRefused);
    preparePdfLibrary();
    ceiling = posix::MemoryCeiling::limitGrowth(memory);
    const rlimit files = {descriptorLimit, descriptorLimit};
    const rlimit noCore = {0, 0};
    return ceiling && ::setrlimit(RLIMIT_NOFILE, &files) == 0 &&
           ::setrlimit(RLIMIT_CORE, &noCore) == 0 && posix::dropCapabilities() &&
           posix::confineToOpenDescriptors();
}

PartExpectation expectationOf(const ReaderRequest &request)
{
    PartExpectation expectation;
    if (request.eps != 0)
        expectation.pageSize = std::make_pair(request.width, request.height);
    return expectation;
}

// The request's texts, each ended by a NUL.
std::vector<std::string> textsOf(const ReaderRequest &request)
{
    std::vector<std::string> texts;
    const char *at = request.text;
    const char *const end = request.text + sizeof request.text;
    while (at < end) {
        const std::size_t length = ::strnlen(at, static_cast<std::size_t>(end - at));
        texts.emplace_back(at, length);
        at += length + 1;
    }
    return texts;
}

ReaderAnswer serve(const ReaderRequest &request, std::vector<posix::UniqueFd> &fds,
                   std::optional<PdfJoiner> &joiner, posix::UniqueFd &output)
{
    const bool withDescriptor = request.kind != ReaderRequest::FinishJoin;
    if (fds.size() != (withDescriptor ? 1U : 0U))
        return answered(ReaderAnswer::Failed, "requête incohérente pour la lecture des PDF");
    ReaderAnswer answer;
    switch (request.kind) {
    case ReaderRequest::Check:
        answer.pages = checkPart(fds[0].get(), expectationOf(request));
        return answer;
    case ReaderRequest::StartJoin:
        output = std::move(fds[0]);
        joiner.emplace(output.get());
        return answer;
    case ReaderRequest::Copy:
        if (!joiner)
            break;
        joiner->copy(fds[0].get(), expectationOf(request), request.pages, textsOf(request)[0]);
        return answer;
    case ReaderRequest::FinishJoin: {
        if (!joiner)
            break;
        std::vector<std::string> texts = textsOf(request);
        texts.resize(3);
        joiner->finish({texts[0], texts[1], texts[2]});
        joiner.reset();
        return answer;
    }
    }
    return answered(ReaderAnswer::Failed, "requête incohérente pour la lecture des PDF");
}

ReaderAnswer serveSafely(const ReaderRequest &request, std::vector<posix::UniqueFd> &fds,
                         std::optional<PdfJoiner> &joiner, posix::UniqueFd &output)
{
    ReaderAnswer answer;
    try {
        answer = serve(request, fds, joiner, output);
    } catch (const std::bad_alloc &) {
        memoryRanOut = true;
    } catch (const PartFailure &failure) {
        answer = answered(ReaderAnswer::PartFailed, failure.what());
    } catch (const std::exception &failure) {
        answer = answered(ReaderAnswer::Failed, failure.what());
    }
    if (memoryRanOut)
        answer = answered(ReaderAnswer::MemoryExhausted);
    memoryRanOut = false;
    return answer;
}

} // namespace

void servePdfReading(int socket, std::uint64_t memory, pid_t converter)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != converter)
        ::_exit(127);
    ::prctl(PR_SET_NAME, "brakwen-pdf");
    for (const int stop : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        ::signal(stop, SIG_DFL);
    // Nothing the converter holds (the job's files, Ghostscript's socket) reaches the reader.
    posix::closeDescriptorsFrom(STDERR_FILENO + 1, {socket});
    answerSocket = socket;
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_set_death_callback(dying);
#endif
    if (!shutIn(memory)) {
        send(answered(ReaderAnswer::Unconfined));
        ::_exit(1);
    }
    std::optional<PdfJoiner> joiner;
    posix::UniqueFd output;
    for (;;) {
        ReaderRequest request;
        std::vector<posix::UniqueFd> fds;
        const ssize_t got = posix::receiveWithDescriptors(socket, &request, sizeof request, fds);
        if (got <= 0)
            break;
        if (got != sizeof request) {
            send(answered(ReaderAnswer::Failed, "requête incohérente pour la lecture des PDF"));
            continue;
        }
        send(serveSafely(request, fds, joiner, output));
    }
    // Ended here: what a normal exit runs afterwards (a leak check in checked builds) may need
    // calls the confinement refuses.
    ::_exit(0);
}

} // namespace converter
