// The part checker and joiner on part PDFs made beforehand (pdf_join_bench.sh makes them):
//   pdf_join_bench [--repeat N] [--decode] OUTPUT.pdf PART.pdf...
// Checks every part, then joins them (the list N times over: 2,000 parts repeated 10 times make
// 20,000) into OUTPUT.pdf, and prints the CPU time of each step per part, the peak memory of
// each step and the result's size. With --decode, the check also decodes every stream of the
// part, as qpdf --check does, to weigh what that would cost.

#include "converter/conversion_failure.h"
#include "converter/pdf_join.h"
#include "converter/pdf_part_check.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <qpdf/Pl_Discard.hh>
#include <qpdf/QPDF.hh>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

double cpuSeconds()
{
    timespec now = {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Resident memory now, in KB (the peak is reset before each step).
long peakKilobytes()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void resetPeak()
{
    // Writing 5 to clear_refs resets the peak resident set size Linux reports.
    const int fd = ::open("/proc/self/clear_refs", O_WRONLY | O_CLOEXEC);
    if (fd >= 0) {
        [[maybe_unused]] const ssize_t ignored = ::write(fd, "5", 1);
        ::close(fd);
    }
}

long highWaterKilobytes()
{
    FILE *status = std::fopen("/proc/self/status", "r");
    long value = -1;
    char line[256];
    while (status != nullptr && std::fgets(line, sizeof line, status) != nullptr)
        if (std::strncmp(line, "VmHWM:", 6) == 0)
            value = std::atol(line + 6);
    if (status != nullptr)
        std::fclose(status);
    return value < 0 ? peakKilobytes() : value;
}

void decodeEveryStream(const char *path)
{
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    pdf.processFile(path);
    for (QPDFObjectHandle object : pdf.getAllObjects()) {
        if (object.isStream()) {
            Pl_Discard nowhere;
            object.pipeStreamData(&nowhere, nullptr, 0, qpdf_dl_generalized);
        }
    }
}

// A part's PDF open for reading, closed when it goes.
struct OpenPart
{
    explicit OpenPart(const std::string &path) : fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    OpenPart(const OpenPart &) = delete;
    OpenPart &operator=(const OpenPart &) = delete;
    ~OpenPart()
    {
        if (fd >= 0)
            ::close(fd);
    }
    int fd;
};

struct CheckedPart
{
    std::string path;
    long pages;
};

} // namespace

int main(int argc, char **argv)
{
    int first = 1;
    long repeat = 1;
    bool decode = false;
    for (; first < argc && std::strncmp(argv[first], "--", 2) == 0; ++first) {
        if (std::strcmp(argv[first], "--decode") == 0)
            decode = true;
        else if (std::strcmp(argv[first], "--repeat") == 0 && first + 1 < argc)
            repeat = std::atol(argv[++first]);
        else
            repeat = 0;
    }
    if (argc - first < 2 || repeat < 1) {
        std::fprintf(stderr, "usage: %s [--repeat N] [--decode] OUTPUT.pdf PART.pdf...\n", argv[0]);
        return 2;
    }
    const std::string output = argv[first];
    std::vector<CheckedPart> parts;
    try {
        resetPeak();
        const double checkStart = cpuSeconds();
        for (int i = first + 1; i < argc; ++i) {
            parts.push_back({argv[i], converter::checkPart(OpenPart(argv[i]).fd, {})});
            if (decode)
                decodeEveryStream(argv[i]);
        }
        const double checkSeconds = cpuSeconds() - checkStart;
        const long checkPeak = highWaterKilobytes();

        const int fd = ::open(output.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) {
            std::perror(output.c_str());
            return 1;
        }
        resetPeak();
        const double joinStart = cpuSeconds();
        std::size_t joined = 0;
        {
            converter::PdfJoiner joiner(fd);
            for (long r = 0; r < repeat; ++r)
                for (const CheckedPart &part : parts)
                    joiner.copy(OpenPart(part.path).fd, {}, part.pages, std::to_string(++joined));
            joiner.finish({"bench", "Brakwen", "bench"});
        }
        const double joinSeconds = cpuSeconds() - joinStart;
        const long joinPeak = highWaterKilobytes();
        struct stat status = {};
        ::fstat(fd, &status);
        ::close(fd);
        std::printf("check: %.3f ms of CPU per part (%zu parts), peak %.1f MB\n",
                    checkSeconds * 1000 / static_cast<double>(parts.size()), parts.size(),
                    static_cast<double>(checkPeak) / 1024);
        std::printf("join: %.3f ms of CPU per part (%zu parts), peak %.1f MB, %lld bytes\n",
                    joinSeconds * 1000 / static_cast<double>(joined), joined,
                    static_cast<double>(joinPeak) / 1024, static_cast<long long>(status.st_size));
    } catch (const std::runtime_error &failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
    return 0;
}
