// Which entries of a folder are offered as EPS files.
#include "../shell/deep_folder.h"
#include "eps_directory_listing.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void makeFile(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    QVERIFY2(fd >= 0, path.constData());
    ::close(fd);
}

std::vector<QByteArray> sorted(std::vector<QByteArray> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

class EpsDirectoryListingTest : public QObject
{
    Q_OBJECT

private slots:
    void patternMatching_data();
    void patternMatching();
    void listsFilesOnly();
    void keepsRawBytesOfNonUtf8Names();
    void unreadableFolderGivesNothing();
    void folderDeeperThanThePathLimitIsListed();
};

void EpsDirectoryListingTest::patternMatching_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("matches");
    QTest::newRow("lower") << QByteArray("a.eps") << true;
    QTest::newRow("upper") << QByteArray("B.EPS") << true;
    QTest::newRow("mixed") << QByteArray("c.ePs") << true;
    QTest::newRow("extension only") << QByteArray(".eps") << true;
    QTest::newRow("two dots") << QByteArray("x..eps") << true;
    QTest::newRow("longer extension") << QByteArray("d.epsx") << false;
    QTest::newRow("further extension") << QByteArray("e.eps.bak") << false;
    QTest::newRow("no dot") << QByteArray("feps") << false;
    QTest::newRow("ps") << QByteArray("g.ps") << false;
    QTest::newRow("trailing blank") << QByteArray("h.eps ") << false;
    QTest::newRow("too short") << QByteArray("eps") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void EpsDirectoryListingTest::patternMatching()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, matches);
    QCOMPARE(EpsDirectoryListing::matchesEpsPattern(name), matches);
}

void EpsDirectoryListingTest::listsFilesOnly()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QByteArray dir = QFile::encodeName(root.path()) + '/';
    for (const char *name : {"a.eps", "B.EPS", ".hidden.eps", "notes.txt", "c.eps.bak", "d.epsx"})
        makeFile(dir + name);
    QVERIFY(QDir(root.path()).mkdir(QStringLiteral("folder.eps")));
    QVERIFY(QDir(root.path()).mkdir(QStringLiteral("folder")));
    // Links are judged by their target: a link to a folder is no file to join.
    QCOMPARE(::symlink((dir + "folder").constData(), (dir + "dirlink.eps").constData()), 0);
    QCOMPARE(::symlink((dir + "a.eps").constData(), (dir + "filelink.eps").constData()), 0);
    QCOMPARE(::symlink((dir + "gone").constData(), (dir + "dangling.eps").constData()), 0);

    const std::vector<QByteArray> expected = {".hidden.eps", "B.EPS", "a.eps", "dangling.eps",
                                              "filelink.eps"};
    QCOMPARE(sorted(EpsDirectoryListing::list(dir)), expected);
    // The separator the window appends is optional.
    QCOMPARE(sorted(EpsDirectoryListing::list(QFile::encodeName(root.path()))), expected);
}

void EpsDirectoryListingTest::keepsRawBytesOfNonUtf8Names()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QByteArray dir = QFile::encodeName(root.path()) + '/';
    const QByteArray latin1Name("\xe9t\xe9.eps"); // "été.eps" in Latin-1: not valid UTF-8
    makeFile(dir + latin1Name);
    // QTemporaryDir cannot see this name either, so it could not empty the folder.
    const auto removeLatin1 = qScopeGuard([&] { ::unlink((dir + latin1Name).constData()); });
    makeFile(dir + "\xc3\xa9t\xc3\xa9.EPS");
    const std::vector<QByteArray> expected = {"\xc3\xa9t\xc3\xa9.EPS", latin1Name};
    QCOMPARE(sorted(EpsDirectoryListing::list(dir)), expected);
}

void EpsDirectoryListingTest::unreadableFolderGivesNothing()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QByteArray dir = QFile::encodeName(root.path()) + '/';
    makeFile(dir + "file.eps");
    QVERIFY(EpsDirectoryListing::list(dir + "missing/").empty());
    QVERIFY(EpsDirectoryListing::list(dir + "file.eps/").empty());

    // A folder the user may not read. Root reads everything, so the listing then runs in a
    // child process that has become an unprivileged user.
    QVERIFY(QDir(root.path()).mkdir(QStringLiteral("locked")));
    makeFile(dir + "locked/inside.eps");
    QCOMPARE(::chmod(dir.constData(), 0755), 0);
    const QByteArray locked = dir + "locked/";
    if (::geteuid() != 0) {
        QCOMPARE(::chmod(locked.constData(), 0), 0);
        QVERIFY(EpsDirectoryListing::list(locked).empty());
        QCOMPARE(::chmod(locked.constData(), 0700), 0);
        return;
    }
    QCOMPARE(::chmod(locked.constData(), 0700), 0);
    QCOMPARE(EpsDirectoryListing::list(locked).size(), size_t(1));
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(100);
        ::_exit(int(std::min<size_t>(EpsDirectoryListing::list(locked).size(), 99)));
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
}

void EpsDirectoryListingTest::folderDeeperThanThePathLimitIsListed()
{
    QTemporaryDir dir;
    const DeepFolder deep(QFile::encodeName(dir.path()));
    QVERIFY(deep.isValid());
    QVERIFY(deep.makeFile("page.eps"));
    QVERIFY(deep.makeFolder("dossier.eps"));
    QCOMPARE(EpsDirectoryListing::list(deep.path() + '/'), std::vector<QByteArray>{"page.eps"});
}

QTEST_GUILESS_MAIN(EpsDirectoryListingTest)
#include "eps_directory_listing_test.moc"
