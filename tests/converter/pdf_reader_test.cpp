// The parts' PDFs are parsed only in a reader process shut in with its descriptors, under a
// memory ceiling and a time limit of its own: a hostile part exhausts the reader, never the
// converter, and the conversion fails naming it.

#include "converter/pdf_reader_process.h"
#include "pdf_parts.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFOutlineDocumentHelper.hh>
#include <string>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace pdf_parts;
using converter::PdfReaderProcess;

namespace {

const std::string plan = "fichier 2 (« plan.eps »)";
constexpr std::uint64_t mebibyte = std::uint64_t{1} << 20;

std::string procFile(pid_t pid, const char *name)
{
    return testing_support::readFile("/proc/" + std::to_string(pid) + "/" + name);
}

// The number after `key` in a /proc file, in its first unit.
std::uint64_t valueAfter(const std::string &text, const std::string &key)
{
    const std::size_t at = text.find(key);
    return at == std::string::npos ? 0 : std::stoull(text.substr(at + key.size()));
}

// How far this process's resident memory rose above where it was while work ran.
template <typename Work> std::uint64_t peakGrowth(Work &&work)
{
    // Writing 5 there sets the peak back to what is resident now.
    testing_support::writeFile("/proc/self/clear_refs", "5");
    const std::uint64_t before = valueAfter(procFile(::getpid(), "status"), "VmHWM:");
    work();
    return (valueAfter(procFile(::getpid(), "status"), "VmHWM:") - before) * 1024;
}

} // namespace

TEST(PdfReader, IsShutInWithItsDescriptorsBeforeItReads)
{
    TempDir folder;
    const std::string part = HandMadePart().writeIn(folder, "part.pdf");
    testing_support::writeFile(folder.file("held"), "");
    const posix::UniqueFd marker(::open(folder.file("held").c_str(), O_RDONLY));
    PdfReaderProcess reader({64 * mebibyte, 60, {}});
    EXPECT_EQ(reader.check(part, plan, {}), 1);
    // Nothing the converter held reaches it.
    const std::string descriptors = "/proc/" + std::to_string(reader.pid()) + "/fd";
    for (const std::string &name : testing_support::listNames(descriptors)) {
        char target[4096] = {};
        ::readlink((descriptors + "/" + name).c_str(), target, sizeof target - 1);
        EXPECT_NE(target, folder.file("held")) << name;
    }
    const std::string status = procFile(reader.pid(), "status");
    EXPECT_NE(status.find("\nSeccomp:\t2\n"), std::string::npos) << status;
    EXPECT_NE(status.find("\nNoNewPrivs:\t1\n"), std::string::npos) << status;
    for (const char *set : {"CapInh", "CapPrm", "CapEff", "CapAmb"})
        EXPECT_NE(status.find(std::string("\n") + set + ":\t0000000000000000\n"), std::string::npos)
            << status;
    // Only a privileged process may empty its bounding set; an unprivileged one has no use for it.
    if (::geteuid() == 0) {
        EXPECT_NE(status.find("\nCapBnd:\t0000000000000000\n"), std::string::npos) << status;
    }
    // The ceiling counts from what the reader held when it set it, the room given above that.
    const std::string limits = procFile(reader.pid(), "limits");
    const std::uint64_t ceiling = valueAfter(limits, "Max data size");
    const std::uint64_t held = valueAfter(status, "VmData:") * 1024;
    EXPECT_GT(ceiling, held);
    EXPECT_LE(ceiling - held, 64 * mebibyte);
    EXPECT_EQ(valueAfter(limits, "Max open files"), 16U);
    const std::size_t core = limits.find("Max core file size");
    EXPECT_EQ(limits.substr(core, limits.find('\n', core) - core),
              "Max core file size        0                    0                    bytes     ");
}

TEST(PdfReader, DiesWithTheConverter)
{
    TempDir folder;
    const std::string part = HandMadePart().writeIn(folder, "part.pdf");
    // Orphans of this process's children come back to it, so that it can wait for the reader.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    const posix::UniqueFd told(ends[0]);
    const pid_t converter = ::fork();
    if (converter == 0) {
        PdfReaderProcess reader({64 * mebibyte, 60, {}});
        // Once it has answered, it is all set up.
        const pid_t pid = reader.check(part, plan, {}) == 1 ? reader.pid() : -1;
        if (::write(ends[1], &pid, sizeof pid) == sizeof pid)
            ::pause();
        ::_exit(1);
    }
    ::close(ends[1]);
    pid_t pid = -1;
    ASSERT_EQ(::read(told.get(), &pid, sizeof pid), static_cast<ssize_t>(sizeof pid));
    ASSERT_GT(pid, 0);
    const posix::UniqueFd readerEnd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    // Stopped, as if busy with a part: it would never see its socket close.
    ::kill(pid, SIGSTOP);
    ::kill(converter, SIGKILL);
    ::waitpid(converter, nullptr, 0);
    pollfd ended = {readerEnd.get(), POLLIN, 0};
    // The limit is only a safety net: the reader ends as soon as the converter has.
    const bool endedAlone = ::poll(&ended, 1, 60000) == 1;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
    EXPECT_TRUE(endedAlone);
}

TEST(PdfReader, AHugeOrDeepPartExhaustsTheReaderNotTheConverter)
{
    TempDir folder;
    std::string items;
    for (int i = 0; i < 3000000; ++i)
        items += "0 ";
    const std::string huge =
        HandMadePart{.catalog = "/Big 5 0 R", .extra = {"[" + items + "]"}}.writeIn(folder,
                                                                                    "huge.pdf");
    const std::string deep =
        HandMadePart{.catalog = "/Deep 5 0 R",
                     .extra = {std::string(200000, '[') + std::string(200000, ']')}}
            .writeIn(folder, "deep.pdf");
    items.clear();
    items.shrink_to_fit();

    std::string failure;
    const std::uint64_t growth = peakGrowth([&] {
        PdfReaderProcess reader({64 * mebibyte, 60, {}});
        failure = failureOf([&] { reader.check(huge, plan, {}); });
        EXPECT_EQ(reader.pid(), -1) << "the reader is ended with the conversion";
    });
    EXPECT_EQ(failure, plan + " : mémoire épuisée (limite 64 Mio)");
    EXPECT_LT(growth, 32 * mebibyte);

    PdfReaderProcess reader({64 * mebibyte, 60, {}});
    const std::string deepFailure = failureOf([&] { reader.check(deep, plan, {}); });
    EXPECT_TRUE(deepFailure.starts_with(plan + " : ")) << deepFailure;
}

TEST(PdfReader, AReaderThatDoesNotAnswerInTimeIsKilledNamingThePart)
{
    TempDir folder;
    const std::string part = HandMadePart().writeIn(folder, "part.pdf");
    PdfReaderProcess reader({64 * mebibyte, 1, {}});
    const pid_t pid = reader.pid();
    ASSERT_EQ(::kill(pid, SIGSTOP), 0);
    EXPECT_EQ(failureOf([&] { reader.check(part, plan, {}); }),
              plan + " : la lecture des PDF a dépassé 1 secondes");
    // Killed and reaped: no process of that number is left to this one.
    EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST(PdfReader, JoinsThePartsItIsHandedOneAtATime)
{
    TempDir folder;
    const std::string part =
        HandMadePart{.page = "/MediaBox [0 0 100 50]/Resources <</XObject <</Im 5 0 R>>>>",
                     .extra = {stream("/Subtype/Image/Width 2/Height 1/ColorSpace/DeviceGray"
                                      "/BitsPerComponent 8",
                                      std::string("\0\xff", 2))}}
            .writeIn(folder, "part.pdf");
    const std::string joined = folder.file("joined.pdf");
    const posix::UniqueFd output(
        ::open(joined.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    PdfReaderProcess reader({64 * mebibyte, 60, {}});
    reader.startJoin(output.get());
    for (const char *title : {"un", "deux"})
        reader.copy(part, plan, {std::pair(100.0, 50.0)}, 1, title);
    reader.finishJoin({"joined", "Brakwen", "test"});
    ASSERT_TRUE(passesQpdfCheck(joined));
    QPDF pdf;
    pdf.processFile(joined.c_str());
    EXPECT_EQ(pdf.getAllPages().size(), 2U);
    EXPECT_EQ(pdf.getTrailer().getKey("/Info").getKey("/Title").getUTF8Value(), "joined");
    std::vector<std::string> titles;
    for (QPDFOutlineObjectHelper &bookmark : QPDFOutlineDocumentHelper(pdf).getTopLevelOutlines())
        titles.push_back(bookmark.getTitle());
    EXPECT_EQ(titles, (std::vector<std::string>{"un", "deux"}));
    // The image is written once: the reader reads back what it wrote to find it again.
    std::size_t images = 0;
    for (QPDFObjectHandle object : pdf.getAllObjects())
        images +=
            object.isStream() && object.getDict().getKey("/Subtype").isNameAndEquals("/Image");
    EXPECT_EQ(images, 1U);

    PdfReaderProcess another({64 * mebibyte, 60, {}});
    another.startJoin(output.get());
    EXPECT_EQ(failureOf([&] { another.copy(part, plan, {}, 2, "trois"); }),
              plan + " : le PDF produit a changé depuis sa vérification");
}
