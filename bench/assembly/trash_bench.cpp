// Prints how long the job's last step takes to move many sources to the trash, against deleting
// them for ever, on the same kind of files in the same file system: the .trashinfo written for
// each and the rename into the trash, against one unlink.
//
// Run: build/release/bench-bin/trash_bench [count] [rounds] [folder]
// (defaults: 20000 files of 4 KB, 7 rounds, in $TMPDIR or /tmp). Each round makes two fresh sets
// and a fresh home trash beside them, deletes one set and trashes the other, in alternating order,
// and the median of the per-round ratios trash / delete is printed.

#include "assembly/job_window.h"
#include "assembly/source_removal.h"
#include "posix/folder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class SilentWindow : public assembly::JobWindow
{
public:
    void setBusyCursor(bool) override {}
    void setOkButtonVisible(bool) override {}
    void setQuitButtonVisible(bool) override {}
    void setProgressRange(int, int) override {}
    void setProgressPosition(int) override {}
    void setProgressVisible(bool) override {}
    void showErrorBox(const std::string &, const std::string &) override {}
    bool confirmReplacement(const std::string &) override { return true; }
    void clearLists() override {}
    void applyControlRules() override {}
};

std::vector<assembly::SourceStamp> makeSet(const std::string &folder, int count)
{
    std::filesystem::create_directories(folder);
    const std::string content(4096, 'x');
    std::vector<assembly::SourceStamp> stamps;
    stamps.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        // Built in place: GCC 12 takes `"f" + std::string&&` for an overlapping copy.
        std::string name = std::to_string(100000 + i);
        name.insert(0, 1, 'f');
        name += ".eps";
        const std::string path = folder + "/" + name;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 || ::write(fd, content.data(), content.size()) != 4096 || ::close(fd) != 0) {
            std::perror(path.c_str());
            std::exit(1);
        }
        stamps.push_back({name, path, *assembly::FileIdentity::ofPath(path)});
    }
    // Written back before the clock starts, so that neither step waits for this set's data.
    const int handle = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::syncfs(handle);
    ::close(handle);
    return stamps;
}

// Seconds the step takes on a fresh set; exits when a source stays.
double timed(const std::string &folder, int count, assembly::SourceDeletion deletion)
{
    const std::vector<assembly::SourceStamp> stamps = makeSet(folder, count);
    const std::optional<posix::Folder> opened = posix::Folder::open(folder);
    SilentWindow window;
    assembly::JobReport report;
    const auto start = std::chrono::steady_clock::now();
    assembly::removeSources(*opened, stamps, deletion, window, report);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (report.sourcesDeleted + report.sourcesTrashed != count) {
        std::fprintf(stderr, "%zu sources kept, the first: %s\n", report.keptSources.size(),
                     report.keptSources.empty() ? "" : report.keptSources[0].reason.c_str());
        std::exit(1);
    }
    return took.count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int count = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
    const char *tmp = std::getenv("TMPDIR");
    std::string base = argc > 3 ? argv[3] : (tmp != nullptr ? tmp : "/tmp");
    base += "/brakwen-trash-bench-XXXXXX";
    if (::mkdtemp(base.data()) == nullptr) {
        std::perror(base.c_str());
        return 1;
    }
    std::vector<double> deleted, trashed, ratios;
    for (int round = 0; round < rounds; ++round) {
        const std::string folder = base + "/" + std::to_string(round);
        // A trash of its own for each round, on the same file system: the home trash.
        ::setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
        double forEver = 0;
        double toTrash = 0;
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn + round) % 2 == 0)
                forEver = timed(folder + "/delete", count, assembly::SourceDeletion::Permanently);
            else
                toTrash = timed(folder + "/trash", count, assembly::SourceDeletion::ToTrash);
        }
        deleted.push_back(forEver);
        trashed.push_back(toTrash);
        ratios.push_back(toTrash / forEver);
        std::printf("round %d: delete %.1f ms, trash %.1f ms, ratio %.2f\n", round + 1,
                    forEver * 1000, toTrash * 1000, toTrash / forEver);
        std::filesystem::remove_all(folder);
    }
    std::filesystem::remove_all(base);
    std::printf("%d sources of 4 KB: delete %.1f ms, trash %.1f ms (medians); median ratio %.2f "
                "(goal: at most 2)\n",
                count, median(deleted) * 1000, median(trashed) * 1000, median(ratios));
    return 0;
}
