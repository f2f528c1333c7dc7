// Runs a command and prints what it cost, for the conversion benchmark:
//   job_measure [--memory] COMMAND [ARGUMENT...]
// prints "wall SECONDS cpu SECONDS" and, with --memory, "peak-pss MB processes N": the highest sum
// of Pss over the command and every process below it (the converter, its Ghostscript zygote and
// the zygote's children), sampled every 5 ms. Pss shares each page among the processes mapping it,
// so the pages a child still shares with the zygote count once. The processor time is that of the
// whole tree, each process reaped by its parent. The command's exit status is job_measure's.

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Every process's parent, from /proc/PID/stat.
std::map<pid_t, pid_t> parents()
{
    std::map<pid_t, pid_t> parentOf;
    DIR *proc = ::opendir("/proc");
    if (proc == nullptr)
        return parentOf;
    while (const dirent *entry = ::readdir(proc)) {
        const pid_t pid = std::atoi(entry->d_name);
        if (pid <= 0)
            continue;
        std::ifstream stat("/proc/" + std::string(entry->d_name) + "/stat");
        std::string text;
        std::getline(stat, text);
        // The name between parentheses may hold spaces: the fields after its last ')'.
        const std::size_t close = text.rfind(')');
        if (close == std::string::npos)
            continue;
        char state = 0;
        int parent = 0;
        if (std::sscanf(text.c_str() + close + 1, " %c %d", &state, &parent) == 2)
            parentOf[pid] = parent;
    }
    ::closedir(proc);
    return parentOf;
}

long pssKilobytes(pid_t pid)
{
    std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
    for (std::string line; std::getline(rollup, line);) {
        if (line.rfind("Pss:", 0) == 0)
            return std::atol(line.c_str() + 4);
    }
    return 0;
}

// The Pss of root and its descendants, and how many they are.
std::pair<long, int> treePss(pid_t root)
{
    const std::map<pid_t, pid_t> parentOf = parents();
    std::set<pid_t> tree{root};
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto &[pid, parent] : parentOf) {
            if (tree.count(parent) != 0 && tree.insert(pid).second)
                grew = true;
        }
    }
    long total = 0;
    for (const pid_t pid : tree)
        total += pssKilobytes(pid);
    return {total, static_cast<int>(tree.size())};
}

} // namespace

int main(int argc, char **argv)
{
    int first = 1;
    const bool memory = argc > 1 && std::strcmp(argv[1], "--memory") == 0;
    if (memory)
        ++first;
    if (first >= argc) {
        std::fprintf(stderr, "usage: %s [--memory] COMMAND [ARGUMENT...]\n", argv[0]);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::execvp(argv[first], argv + first);
        std::fprintf(stderr, "job_measure: %s: %s\n", argv[first], std::strerror(errno));
        ::_exit(127);
    }
    long peak = 0;
    int processes = 0;
    int status = 0;
    while (memory && ::waitpid(child, &status, WNOHANG) == 0) {
        const auto [pss, count] = treePss(child);
        if (pss > peak) {
            peak = pss;
            processes = count;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!memory)
        ::waitpid(child, &status, 0);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage usage = {};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    std::printf("wall %.4f cpu %.4f", wall, cpu);
    if (memory)
        std::printf(" peak-pss %.1f processes %d", static_cast<double>(peak) / 1024.0, processes);
    std::printf("\n");
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
