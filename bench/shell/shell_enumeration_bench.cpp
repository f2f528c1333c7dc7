// Lists a folder of 100,000 files and one of 10,000 sub-folders through the namespace, the way
// the contents list and the tree do, and prints the time of each step and the peak memory.
// Usage: shell_enumeration_bench [parent-folder]  (the test folders go in a temporary folder made
// there, /tmp by default, and removed afterwards)

#include "directory_folder.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace shell;

namespace {

constexpr int FileCount = 100000;
constexpr int FolderCount = 10000;
constexpr int DrawnRows = 60; // what a list window shows at once

class Stopwatch
{
public:
    double lap()
    {
        const auto now = std::chrono::steady_clock::now();
        const double ms = std::chrono::duration<double, std::milli>(now - m_start).count();
        m_start = now;
        return ms;
    }

private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

long peakKilobytes()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

bool populate(const QByteArray &root)
{
    const QByteArray files = root + "/files";
    const QByteArray folders = root + "/folders";
    if (::mkdir(files.constData(), 0755) != 0 || ::mkdir(folders.constData(), 0755) != 0)
        return false;
    for (int i = 0; i < FileCount; ++i) {
        // Mixed case and numbers, so the collation does real work.
        const QByteArray name = files + (i % 3 == 0 ? "/Page " : "/page ") + QByteArray::number(i) +
                                (i % 2 ? ".eps" : ".txt");
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0 || ::close(fd) != 0)
            return false;
    }
    for (int i = 0; i < FolderCount; ++i) {
        const QByteArray name = folders + "/Dossier " + QByteArray::number(i);
        if (::mkdir(name.constData(), 0755) != 0)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir temporary =
        argc > 1
            ? QTemporaryDir(QFile::decodeName(argv[1]) + QStringLiteral("/brakwen-bench-XXXXXX"))
            : QTemporaryDir();
    if (!temporary.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    const QByteArray root = QFile::encodeName(temporary.path());
    Stopwatch watch;
    if (!populate(root)) {
        std::fprintf(stderr, "cannot create the test folders under %s\n", root.constData());
        return 1;
    }
    std::printf("setup: %d files and %d folders created in %.0f ms\n", FileCount, FolderCount,
                watch.lap());
    const long baseKb = peakKilobytes();

    // The contents list: every entry, folders first in name order, then the visible rows.
    DirectoryFolder files(root + "/files");
    watch.lap();
    QList<ItemId> ids = *files.enumerate(Folders | NonFolders);
    const double listMs = watch.lap();
    files.sortIds(ids, true);
    const double sortMs = watch.lap();
    int cells = 0;
    for (int row = 0; row < DrawnRows && row < ids.size(); ++row) {
        files.attributesOf(ids[row]);
        files.displayNameOf(ids[row], NameForm::InFolder);
        for (int column = 1; column < 4; ++column)
            cells += files.detailsOf(ids[row], column).isEmpty() ? 0 : 1;
    }
    const double drawMs = watch.lap();
    std::printf("list, %lld entries: enumerate %.1f ms, sort (folders first) %.1f ms, "
                "%d drawn rows with details %.1f ms, total %.1f ms\n",
                static_cast<long long>(ids.size()), listMs, sortMs, DrawnRows, drawMs,
                listMs + sortMs + drawMs);

    // The contents list as the views build it: folders and non-folders listed apart, each sorted.
    DirectoryFolder again(root + "/files");
    watch.lap();
    QList<ItemId> folderIds = *again.enumerate(Folders);
    QList<ItemId> otherIds = *again.enumerate(NonFolders);
    const double splitListMs = watch.lap();
    again.sortIds(folderIds, false);
    again.sortIds(otherIds, false);
    const double splitSortMs = watch.lap();
    std::printf(
        "list in two listings (folders, then non-folders): enumerate %.1f ms, sort %.1f ms, "
        "total %.1f ms\n",
        splitListMs, splitSortMs, splitListMs + splitSortMs);

    // For comparison: sorting with one collator comparison per pair, as a view would without
    // the namespace's own sort.
    QList<ItemId> byPairs = ids;
    watch.lap();
    std::sort(byPairs.begin(), byPairs.end(),
              [&](const ItemId &a, const ItemId &b) { return files.compareIds(0, a, b) < 0; });
    std::printf("     reference: sort by pairwise compareIds %.1f ms (same order: %s)\n",
                watch.lap(), byPairs == ids ? "yes" : "no");

    // The tree: expanding a folder of sub-folders, with the expand button of each child.
    DirectoryFolder folders(root + "/folders");
    watch.lap();
    QList<ItemId> children = *folders.enumerate(Folders);
    const double childMs = watch.lap();
    int expandable = 0;
    for (const ItemId &child : children)
        expandable += (folders.attributesOf(child) & HasSubFolder) ? 1 : 0;
    const double attributeMs = watch.lap();
    folders.sortIds(children, false);
    const double childSortMs = watch.lap();
    std::printf("tree, %lld sub-folders: enumerate %.1f ms, attributes %.1f ms (%d with an "
                "expand button), sort %.1f ms, total %.1f ms\n",
                static_cast<long long>(children.size()), childMs, attributeMs, expandable,
                childSortMs, childMs + attributeMs + childSortMs);

    std::printf("peak memory: %.1f MB (%.1f MB above the set-up)\n", peakKilobytes() / 1024.0,
                (peakKilobytes() - baseKb) / 1024.0);
    std::printf("(drawn cells: %d)\n", cells);
    return 0;
}
