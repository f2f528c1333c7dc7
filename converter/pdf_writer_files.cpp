#include "converter/pdf_writer_files.h"

#include "converter/part_program.h"
#include "posix/eintr.h"
#include "posix/pending_file.h"
#include "posix/unique_fd.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

namespace converter {

namespace {

// Descriptors below this stay free for the children's own files (3 to 6).
constexpr int firstWriterDescriptor = 16;

std::vector<int> openDescriptors()
{
    std::vector<int> fds;
    DIR *folder = ::opendir("/proc/self/fd");
    if (folder == nullptr)
        return fds;
    const int own = ::dirfd(folder);
    while (const dirent *entry = ::readdir(folder)) {
        const int fd = std::atoi(entry->d_name);
        if (entry->d_name[0] != '.' && fd != own)
            fds.push_back(fd);
    }
    ::closedir(folder);
    std::sort(fds.begin(), fds.end());
    return fds;
}

std::string target(int fd)
{
    char link[4096];
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = ::readlink(path.c_str(), link, sizeof link);
    return length > 0 ? std::string(link, static_cast<std::size_t>(length)) : std::string();
}

} // namespace

PdfWriterFiles openSharedPdfWriter(GhostscriptInterpreter &interpreter, const std::string &base)
{
    PdfWriterFiles files;
    // Low descriptors are taken for the time of the opening, so that the writer's land above
    // the children's; descriptor 4, the output the writer is told to open, is /dev/null.
    std::vector<posix::UniqueFd> placeholders;
    for (;;) {
        posix::UniqueFd placeholder(::open("/dev/null", O_RDWR | O_CLOEXEC));
        if (!placeholder.valid() || placeholder.get() >= firstWriterDescriptor)
            break;
        placeholders.push_back(std::move(placeholder));
    }
    std::string folder = base + "/brakwen-ps2pdf-" + posix::randomHex(12);
    if (::mkdir(folder.c_str(), 0700) != 0)
        return files;
    const std::vector<int> before = openDescriptors();
    const char *previous = std::getenv("TMPDIR");
    const std::string kept = previous != nullptr ? previous : "";
    ::setenv("TMPDIR", folder.c_str(), 1);
    // Permitted for this opening only: in a child, descriptor 4 is the part's PDF.
    constexpr const char *output = "/dev/fd/4";
    interpreter.permitWriting(output, true);
    const bool opened = !interpreter.run(writerOpeningProgram(false, output)).failed();
    interpreter.permitWriting(output, false);
    if (previous != nullptr)
        ::setenv("TMPDIR", kept.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
    const std::vector<int> after = openDescriptors();
    placeholders.clear();

    std::vector<int> added;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                        std::back_inserter(added));
    int outputs = 0;
    bool understood = opened;
    for (const int fd : added) {
        struct stat status = {};
        if (::fstat(fd, &status) != 0) {
            understood = false;
            continue;
        }
        const std::string path = target(fd);
        if (S_ISREG(status.st_mode) && path.rfind(folder + "/", 0) == 0) {
            ::unlink(path.c_str());
            files.scratch.push_back(fd);
        } else if (S_ISCHR(status.st_mode) && path == "/dev/null") {
            files.output = fd;
            ++outputs;
        } else {
            understood = false;
        }
    }
    ::rmdir(folder.c_str());
    if (!understood || outputs != 1 || files.output < firstWriterDescriptor)
        return {};
    return files;
}

bool takeOwnCopies(const PdfWriterFiles &files, int folderFd, int pdfFd)
{
    for (const int fd : files.scratch) {
        const off_t offset = ::lseek(fd, 0, SEEK_CUR);
        struct stat status = {};
        posix::UniqueFd copy(::openat(folderFd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
        if (!copy.valid()) {
            const std::string name = "scratch-" + std::to_string(fd);
            copy = posix::UniqueFd(
                ::openat(folderFd, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
            ::unlinkat(folderFd, name.c_str(), 0);
        }
        if (offset < 0 || ::fstat(fd, &status) != 0 || !copy.valid())
            return false;
        off_t from = 0;
        for (off_t left = status.st_size; left > 0;) {
            const ssize_t sent = posix::retryOnInterrupt(
                [&] { return ::sendfile(copy.get(), fd, &from, static_cast<std::size_t>(left)); });
            if (sent <= 0)
                return false;
            left -= sent;
        }
        if (::lseek(copy.get(), offset, SEEK_SET) != offset || ::dup2(copy.get(), fd) != fd)
            return false;
    }
    return ::dup2(pdfFd, files.output) == files.output;
}

} // namespace converter
