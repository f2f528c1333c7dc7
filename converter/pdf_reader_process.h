#pragma once

// The one process of a conversion that parses what the parts' Ghostscript wrote. It is forked
// before any part runs and shuts itself in before it reads a byte: a memory ceiling of its own, no
// capability, no privilege to gain, and a seccomp filter that leaves it only the descriptors it
// holds and those handed to it. Each part's PDF is handed to it as soon as that part has ended,
// and it answers with the page count or why the part does not count; at the end it is handed the
// joined PDF and, one at a time, the parts again, and writes the result from their pages. The
// converter itself only opens files, moves descriptors and reads fixed-size answers. A reader
// that takes longer than a part may is killed, and the conversion fails naming that part.

#include "converter/pdf_join.h"
#include "converter/pdf_part_check.h"
#include "converter/pdf_reader_protocol.h"
#include "posix/unique_fd.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <sys/types.h>

namespace converter {

struct PdfReaderLimits
{
    std::uint64_t memory = 0; // bytes the reader may take beyond what it holds when forked
    unsigned seconds = 60;    // for each answer
    std::function<bool()> stopRequested;
};

class PdfReaderProcess
{
public:
    // Forks the reader; throws ConversionFailure when it cannot be started.
    explicit PdfReaderProcess(PdfReaderLimits limits);
    PdfReaderProcess(const PdfReaderProcess &) = delete;
    PdfReaderProcess &operator=(const PdfReaderProcess &) = delete;
    // Kills the reader, wherever it is.
    ~PdfReaderProcess();

    pid_t pid() const { return m_pid; }

    // Every call throws ConversionFailure, naming the part by its description ("fichier 3
    // (« plan.eps »)") when the failure is the part's, and kills the reader.

    // The pages of the part's PDF at pdfPath, checked alone.
    long check(const std::string &pdfPath, const std::string &description,
               const PartExpectation &expectation);
    // The joined PDF is written to outputFd, open for reading and writing.
    void startJoin(int outputFd);
    void copy(const std::string &pdfPath, const std::string &description,
              const PartExpectation &expectation, long pages, const std::string &title);
    void finishJoin(const DocumentInfo &info);

    // Ends the reader; returns the processor time it used, in milliseconds.
    double end();

private:
    ReaderAnswer ask(const ReaderRequest &request, std::span<const int> fds,
                     const std::string &description);
    ReaderAnswer awaitAnswer(const std::string &subject);
    [[noreturn]] void fail(const std::string &why);
    // Kills and reaps the reader, once; returns the processor time it used, in milliseconds.
    double stop();

    PdfReaderLimits m_limits;
    posix::UniqueFd m_socket;
    pid_t m_pid = -1;
};

} // namespace converter
