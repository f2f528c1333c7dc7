// Run: directory_chooser_bench [files=100000] [folders=10000] (QT_QPA_PLATFORM=offscreen).
// Builds both folders in a temporary directory, then times what the user waits for.

#include "folder_tree_model.h"
#include "shell/file_system_namespace.h"
#include "shell_list_view.h"
#include "shell_tree_view.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::atomic<int> g_enumerations{0};

// Counts enumerations, to show that expanding a folder does not open its sub-folders.
class CountingFolder : public shell::ShellFolder
{
public:
    explicit CountingFolder(std::unique_ptr<shell::ShellFolder> inner) : m_inner(std::move(inner))
    {}
    std::optional<QList<shell::ItemId>> enumerate(unsigned filter) const override
    {
        ++g_enumerations;
        return m_inner->enumerate(filter);
    }
    QString displayNameOf(const shell::ItemId &c, shell::NameForm f) const override
    {
        return m_inner->displayNameOf(c, f);
    }
    int compareIds(int col, const shell::ItemId &a, const shell::ItemId &b) const override
    {
        return m_inner->compareIds(col, a, b);
    }
    quint32 attributesOf(const shell::ItemId &c) const override { return m_inner->attributesOf(c); }
    std::unique_ptr<shell::ShellFolder> bindToObject(const shell::ItemId &c) const override
    {
        auto f = m_inner->bindToObject(c);
        return f ? std::make_unique<CountingFolder>(std::move(f)) : nullptr;
    }
    shell::ColumnKind columnKind() const override { return m_inner->columnKind(); }
    std::optional<shell::ColumnDescription> columnDescription(int c) const override
    {
        return m_inner->columnDescription(c);
    }
    QString detailsOf(const shell::ItemId &c, int col) const override
    {
        return m_inner->detailsOf(c, col);
    }
    std::optional<shell::ItemId> setNameOf(const shell::ItemId &c, const QString &n) override
    {
        return m_inner->setNameOf(c, n);
    }
    std::optional<QByteArray> fileSystemPath(const shell::ItemId &c) const override
    {
        return m_inner->fileSystemPath(c);
    }
    void sortIds(QList<shell::ItemId> &ids, bool foldersFirst) const override
    {
        m_inner->sortIds(ids, foldersFirst);
    }
    QString iconNameOf(const shell::ItemId &c, bool open) const override
    {
        return m_inner->iconNameOf(c, open);
    }

private:
    std::unique_ptr<shell::ShellFolder> m_inner;
};

class CountingNamespace : public shell::ShellNamespace
{
public:
    explicit CountingNamespace(shell::FileSystemNamespace::Options o) : m_inner(std::move(o)) {}
    std::unique_ptr<shell::ShellFolder> desktop() const override
    {
        return std::make_unique<CountingFolder>(m_inner.desktop());
    }
    shell::IdList computerNode() const override { return m_inner.computerNode(); }
    std::optional<shell::IdList> parseDisplayName(const QString &p) const override
    {
        return m_inner.parseDisplayName(p);
    }

private:
    shell::FileSystemNamespace m_inner;
};

long peakRssKb()
{
    struct rusage usage
    {
    };
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long currentRssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int folders = argc > 2 ? std::atoi(argv[2]) : 10000;

    QTemporaryDir dir;
    const QByteArray base = QFile::encodeName(dir.path());
    const QByteArray filesDir = base + "/files";
    const QByteArray foldersDir = base + "/folders";
    ::mkdir(filesDir.constData(), 0755);
    ::mkdir(foldersDir.constData(), 0755);
    for (int i = 0; i < files; ++i) {
        const QByteArray name = filesDir + "/page" + QByteArray::number(i * 7919 % files) + ".eps";
        const int fd = ::open(name.constData(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0)
            ::close(fd);
    }
    for (int i = 0; i < folders; ++i) {
        const QByteArray name = foldersDir + "/dossier " + QByteArray::number(i);
        ::mkdir(name.constData(), 0755);
    }

    shell::FileSystemNamespace::Options options;
    options.homePath = base;
    options.volumes = [] { return QList<shell::Volume>{{"/", QString(), "ext4", "/dev/root"}}; };
    CountingNamespace ns(options);

    TShellListView list(ns);
    list.resize(640, 480);
    list.show();
    const std::optional<shell::IdList> filesIds = ns.parseDisplayName(QFile::decodeName(filesDir));
    if (!filesIds)
        return 1;
    const long rssBefore = currentRssKb();
    QElapsedTimer timer;
    timer.start();
    list.showFolder(*filesIds);
    const qint64 fillMs = timer.elapsed();
    const QPixmap shot = list.grab();
    const qint64 listMs = timer.elapsed();
    std::printf("contents list: filled in %.3f s, painted in %.3f s\n", fillMs / 1000.0,
                (listMs - fillMs) / 1000.0);
    std::printf(
        "contents list: %d files opened, sorted and painted in %.3f s (%d rows, first %s)\n", files,
        listMs / 1000.0, list.model()->rowCount(),
        qPrintable(list.model()->index(0, 0).data().toString()));
    std::printf("contents list: memory %+.1f MB for the folder, peak RSS of the process %.1f MB\n",
                (currentRssKb() - rssBefore) / 1024.0, peakRssKb() / 1024.0);

    TShellTreeView tree(ns);
    tree.resize(217, 369);
    tree.show();
    tree.setFolderPath(QFile::decodeName(foldersDir));
    const QModelIndex node = tree.currentIndex();
    const int enumerationsBefore = g_enumerations;
    timer.restart();
    tree.expandNode(node);
    const QPixmap treeShot = tree.grab();
    const qint64 treeMs = timer.elapsed();
    std::printf("folder tree: %d sub-folders expanded and painted in %.3f s (%d nodes, %d folder "
                "listings: the sub-folders were not opened)\n",
                folders, treeMs / 1000.0, tree.model()->rowCount(node),
                g_enumerations - enumerationsBefore);
    std::printf("peak RSS of the whole run %.1f MB\n", peakRssKb() / 1024.0);
    return shot.isNull() || treeShot.isNull() ? 1 : 0;
}
