// Preloaded into brakwen-tiff-preview by the preview's tests. The first time the decoder reads
// its standard input (the picture's bytes, which it reads only once confined) this tries what a
// picture crafted against the TIFF library would make it try, and writes on the standard error
// "open=E socket=E fork=E spare=E", each E the errno the attempt met (0: it worked); spare is a
// read from the descriptor PROBE_FD, which the decoder's parent left open for it.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int outcome(int result)
{
    return result >= 0 ? 0 : errno;
}

} // namespace

extern "C" ssize_t read(int fd, void *buffer, size_t count)
{
    using Read = ssize_t (*)(int, void *, size_t);
    static const auto realRead = reinterpret_cast<Read>(dlsym(RTLD_NEXT, "read"));
    static bool tried = false;
    if (fd == STDIN_FILENO && !tried) {
        tried = true;
        const int opened = outcome(::open(std::getenv("PROBE_FILE"), O_RDONLY));
        const int socket = outcome(::socket(AF_UNIX, SOCK_STREAM, 0));
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(0);
        const int forked = outcome(child);
        char spare = 0;
        const int read = outcome(int(realRead(std::atoi(std::getenv("PROBE_FD")), &spare, 1)));
        char line[64];
        const int length = std::snprintf(line, sizeof line, "open=%d socket=%d fork=%d spare=%d\n",
                                         opened, socket, forked, read);
        if (::write(STDERR_FILENO, line, static_cast<size_t>(length)) != length)
            std::abort();
    }
    return realRead(fd, buffer, count);
}
