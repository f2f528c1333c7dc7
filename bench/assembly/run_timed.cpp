// Runs a command and prints its wall-clock time and the CPU time it and its children used, in
// microseconds: "<wall> <user+system>". GNU time rounds both to hundredths of a second, too coarse
// for runs of a few tens of milliseconds. Usage: run_timed [-o FILE] COMMAND [ARGUMENT...]
// (-o sends the command's standard output to FILE, as a shell redirection would).

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    int first = 1;
    const char *output = nullptr;
    if (argc > 2 && std::strcmp(argv[1], "-o") == 0) {
        output = argv[2];
        first = 3;
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: run_timed [-o FILE] COMMAND [ARGUMENT...]\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        if (output != nullptr) {
            const int fd = ::open(output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0 || ::dup2(fd, STDOUT_FILENO) < 0)
                ::_exit(127);
        }
        ::execvp(argv[first], argv + first);
        ::_exit(127);
    }
    int status = 0;
    rusage usage = {};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child)
        return 1;
    const auto wall = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    const long long cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000LL +
                          usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
    std::printf("%lld %lld\n", static_cast<long long>(wall.count()), cpu);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
