#include "../temp_tree.h"
#include "desktop_folder.h"
#include "directory_folder.h"
#include "file_clipboard.h"
#include "item_actions.h"
#include "item_facts.h"
#include "paste_operation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>

using namespace shell;
using namespace shell::actions;

namespace {

// Read with POSIX: Qt cannot open names that are not UTF-8.
QByteArray contentOf(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return "<unreadable>";
    QByteArray content(1 << 16, Qt::Uninitialized);
    const ssize_t got = ::read(fd, content.data(), content.size());
    ::close(fd);
    content.truncate(got > 0 ? got : 0);
    return content;
}

TEST(FileClipboardTest, RoundTripsPathsAndTheCutFlag)
{
    const QList<QByteArray> paths = {"/tmp/a b.txt", "/tmp/caf\xe9", "/tmp/100%"};
    for (const bool cut : {false, true}) {
        const auto data = FileClipboard::encode(paths, cut);
        const FileClipboard::Content back = FileClipboard::decode(data.get());
        EXPECT_EQ(back.paths, paths);
        EXPECT_EQ(back.cut, cut);
        EXPECT_EQ(data->data(QStringLiteral("x-special/gnome-copied-files")).split('\n').first(),
                  cut ? QByteArray("cut") : QByteArray("copy"));
    }
}

TEST(FileClipboardTest, ReadsWhatOtherFileManagersPut)
{
    QMimeData gnome;
    gnome.setData(QStringLiteral("x-special/gnome-copied-files"),
                  "cut\nfile:///home/u/R%C3%A9sum%C3%A9.pdf\nfile:///home/u/b");
    FileClipboard::Content content = FileClipboard::decode(&gnome);
    EXPECT_TRUE(content.cut);
    EXPECT_EQ(content.paths, (QList<QByteArray>{"/home/u/Résumé.pdf", "/home/u/b"}));

    QMimeData kde;
    kde.setData(QStringLiteral("text/uri-list"),
                "# comment\r\nfile://localhost/srv/x\r\nhttp://example.org/y\r\n");
    kde.setData(QStringLiteral("application/x-kde-cutselection"), "1");
    content = FileClipboard::decode(&kde);
    EXPECT_TRUE(content.cut);
    EXPECT_EQ(content.paths, QList<QByteArray>{"/srv/x"});

    QMimeData text;
    text.setText(QStringLiteral("/etc/passwd"));
    EXPECT_TRUE(FileClipboard::decode(&text).paths.isEmpty());
}

class PasteTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tree.makeFolder("src"));
        ASSERT_TRUE(tree.makeFolder("src/album"));
        ASSERT_TRUE(tree.makeFile("src/album/photo.jpg", "jpeg"));
        ASSERT_TRUE(tree.makeFile("src/lettre.txt", "nouvelle"));
        ASSERT_TRUE(tree.makeFolder("dest"));
        ASSERT_TRUE(tree.makeFile("dest/lettre.txt", "ancienne"));
    }

    TempTree tree;
};

TEST_F(PasteTest, CopyNeverOverwritesAndNumbersTheCopies)
{
    const QByteArray dest = tree.path("dest");
    for (int round = 0; round < 3; ++round) {
        const auto result = PasteOperation::run({tree.path("src/lettre.txt")}, dest, false);
        EXPECT_TRUE(result.errors.isEmpty()) << qPrintable(result.errors.join(';'));
    }
    EXPECT_EQ(contentOf(tree.path("dest/lettre.txt")), QByteArray("ancienne"));
    EXPECT_EQ(contentOf(tree.path("dest/lettre (copie).txt")), QByteArray("nouvelle"));
    EXPECT_EQ(contentOf(tree.path("dest/lettre (copie 2).txt")), QByteArray("nouvelle"));
    EXPECT_EQ(contentOf(tree.path("dest/lettre (copie 3).txt")), QByteArray("nouvelle"));
    EXPECT_TRUE(tree.exists("src/lettre.txt"));
    EXPECT_EQ(PasteOperation::freeName(dest, ".bashrc", false), QByteArray(".bashrc"));
    ASSERT_TRUE(tree.makeFile("dest/.bashrc"));
    EXPECT_EQ(PasteOperation::freeName(dest, ".bashrc", false), QByteArray(".bashrc (copie)"));
}

TEST_F(PasteTest, CopiesFoldersWholeAndMovesThem)
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, {1700000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, tree.path("src/album/photo.jpg").constData(), times, 0), 0);
    auto result = PasteOperation::run({tree.path("src/album")}, tree.path("dest"), false);
    EXPECT_TRUE(result.errors.isEmpty());
    EXPECT_EQ(result.created, QList<QByteArray>{tree.path("dest/album")});
    EXPECT_EQ(contentOf(tree.path("dest/album/photo.jpg")), QByteArray("jpeg"));
    struct stat original = {};
    struct stat copy = {};
    ASSERT_EQ(::stat(tree.path("src/album/photo.jpg").constData(), &original), 0);
    ASSERT_EQ(::stat(tree.path("dest/album/photo.jpg").constData(), &copy), 0);
    EXPECT_EQ(copy.st_mtim.tv_sec, 1700000000); // the copy keeps its date
    EXPECT_EQ(copy.st_mode, original.st_mode);

    result = PasteOperation::run({tree.path("src/album")}, tree.path("dest"), true);
    EXPECT_TRUE(result.errors.isEmpty());
    EXPECT_FALSE(tree.exists("src/album"));
    EXPECT_EQ(contentOf(tree.path("dest/album (copie)/photo.jpg")), QByteArray("jpeg"));
    EXPECT_EQ(contentOf(tree.path("dest/album/photo.jpg")), QByteArray("jpeg"));

    // No leftover temporary files beside the copies.
    QDir dest(QFile::decodeName(tree.path("dest")), {}, QDir::Name,
              QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(dest.entryList(), (QStringList{"album", "album (copie)", "lettre.txt"}));
}

TEST_F(PasteTest, RefusesPastingAFolderIntoItselfAndReportsMissingSources)
{
    auto result = PasteOperation::run({tree.path("src")}, tree.path("src/album"), false);
    EXPECT_EQ(result.errors.size(), 1);
    EXPECT_FALSE(tree.exists("src/album/src"));
    // Nor through a link that leads inside it.
    ASSERT_EQ(::symlink("src/album", tree.path("shortcut").constData()), 0);
    result = PasteOperation::run({tree.path("src")}, tree.path("shortcut"), false);
    EXPECT_EQ(result.errors.size(), 1);
    EXPECT_FALSE(tree.exists("src/album/src"));
    result = PasteOperation::run({tree.path("src")}, tree.path("src"), true);
    EXPECT_EQ(result.errors.size(), 1);
    EXPECT_TRUE(tree.exists("src/lettre.txt"));

    result = PasteOperation::run({tree.path("src/absent"), tree.path("src/lettre.txt")},
                                 tree.path("dest"), false);
    EXPECT_EQ(result.errors.size(), 1);
    // The name stays with its guillemets when the message box wraps the line.
    EXPECT_EQ(result.errors.value(0), QStringLiteral("«\u00A0absent\u00A0» n'existe plus"));
    EXPECT_EQ(result.created.size(), 1); // the others still arrive
    // Moving into the folder it is already in changes nothing.
    result = PasteOperation::run({tree.path("dest/lettre.txt")}, tree.path("dest"), true);
    EXPECT_TRUE(result.errors.isEmpty());
    EXPECT_EQ(contentOf(tree.path("dest/lettre.txt")), QByteArray("ancienne"));
}

TEST_F(PasteTest, AFailedWriteLeavesNoPartialCopy)
{
    ASSERT_TRUE(tree.makeFile("src/album/big.bin", QByteArray(64 * 1024, 'x')));
    // A file-size limit makes every write past 4 KB fail (EFBIG), as a full disk would.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const auto result = PasteOperation::run({tree.path("src/album")}, tree.path("dest"), false);
        ::_exit(result.errors.size() == 1 && result.created.isEmpty() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    QDir dest(QFile::decodeName(tree.path("dest")), {}, QDir::Name,
              QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(dest.entryList(), QStringList{"lettre.txt"});
}

class VerbTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tree.makeFolder("home"));
        ASSERT_TRUE(tree.makeFolder("home/data"));
        ASSERT_TRUE(tree.makeFolder("dossier"));
        ASSERT_TRUE(tree.makeFile("dossier/brouillon.eps", "%!PS-Adobe"));
        // Qt trashes into $XDG_DATA_HOME/Trash when the file is on the home's file system.
        savedHome = qgetenv("HOME");
        savedData = qgetenv("XDG_DATA_HOME");
        qputenv("HOME", tree.path("home"));
        qputenv("XDG_DATA_HOME", tree.path("home/data"));
    }
    void TearDown() override
    {
        qputenv("HOME", savedHome);
        qputenv("XDG_DATA_HOME", savedData);
    }

    TempTree tree;
    QByteArray savedHome;
    QByteArray savedData;
};

QStringList labelsOf(const QList<Verb> &verbs, bool enabledOnly)
{
    QStringList labels;
    for (const Verb &verb : verbs) {
        if (verb.enabled || !enabledOnly)
            labels.append(verb.label);
    }
    return labels;
}

TEST_F(VerbTest, MenusOfferTheVerbsTheItemAllows)
{
    DirectoryFolder folder(tree.root());
    const QList<Verb> verbs = verbsFor(folder, "dossier", false);
    EXPECT_EQ(labelsOf(verbs, false), (QStringList{"Ouvrir", "Couper", "Copier", "Coller",
                                                   "Supprimer", "Renommer", "Propriétés"}));
    QStringList verbNames;
    for (const Verb &verb : verbs)
        verbNames.append(verb.verb);
    EXPECT_EQ(verbNames,
              (QStringList{"open", "cut", "copy", "paste", "delete", "rename", "properties"}));
    // Nothing to paste yet.
    EXPECT_FALSE(labelsOf(verbs, true).contains(QStringLiteral("Coller")));
    EXPECT_TRUE(labelsOf(verbsFor(folder, "dossier", true), true).contains("Coller"));

    DesktopFolder desktop(tree.path("home"), {}, [] { return QList<Volume>{}; });
    EXPECT_EQ(labelsOf(verbsFor(desktop, DesktopFolder::ComputerId, true), true),
              QStringList{"Propriétés"});
    EXPECT_EQ(labelsOf(verbsFor(desktop, DesktopFolder::HomeId, false), true),
              (QStringList{"Ouvrir", "Copier", "Propriétés"}));
}

TEST_F(VerbTest, PasteIntoAFolderOrBesideAFile)
{
    DirectoryFolder folder(tree.path("dossier"));
    DirectoryFolder root(tree.root());
    const QByteArray draft = tree.path("dossier/brouillon.eps");
    PasteResult pasted = pasteFiles(root, "home", {{draft}, false});
    EXPECT_TRUE(pasted.result.succeeded) << qPrintable(pasted.result.message);
    EXPECT_FALSE(pasted.clipboardSpent);
    EXPECT_EQ(contentOf(tree.path("home/brouillon.eps")), QByteArray("%!PS-Adobe"));
    EXPECT_TRUE(pasteFiles(folder, "brouillon.eps", {{draft}, false}).result.succeeded);
    EXPECT_TRUE(tree.exists("dossier/brouillon (copie).eps"));

    // A cut is pasted once: the clipboard no longer says where the moved file is.
    pasted = pasteFiles(root, "home", {{draft}, true});
    EXPECT_TRUE(pasted.result.succeeded);
    EXPECT_TRUE(pasted.clipboardSpent);
    EXPECT_FALSE(tree.exists("dossier/brouillon.eps"));
    EXPECT_TRUE(tree.exists("home/brouillon (copie).eps"));

    // A paste that fails in part is done for what arrived, says what did not, and keeps a cut.
    pasted =
        pasteFiles(root, "home",
                   {{tree.path("dossier/brouillon (copie).eps"), tree.path("dossier/gone")}, true});
    EXPECT_TRUE(pasted.result.succeeded);
    EXPECT_FALSE(pasted.clipboardSpent);
    EXPECT_TRUE(pasted.result.message.contains(QStringLiteral("gone")))
        << qPrintable(pasted.result.message);
    EXPECT_TRUE(tree.exists("home/brouillon (copie) (copie).eps"));
    EXPECT_FALSE(pasteFiles(root, "home", {{tree.path("dossier/gone")}, false}).result.succeeded);
    EXPECT_FALSE(pasteFiles(root, "home", {}).result.succeeded);
}

TEST_F(VerbTest, DeleteMovesToTheTrashRecoverably)
{
    DirectoryFolder folder(tree.path("dossier"));
    const VerbResult deleted = deleteItem(folder, "brouillon.eps");
    ASSERT_TRUE(deleted.succeeded) << qPrintable(deleted.message);
    EXPECT_FALSE(tree.exists("dossier/brouillon.eps"));
    EXPECT_EQ(contentOf(tree.path("home/data/Trash/files/brouillon.eps")),
              QByteArray("%!PS-Adobe"));
    EXPECT_TRUE(
        contentOf(tree.path("home/data/Trash/info/brouillon.eps.trashinfo"))
            .contains("Path=" + QUrl::toPercentEncoding(
                                    QFile::decodeName(tree.path("dossier/brouillon.eps")), "/")));

    // A name that is not UTF-8 reaches the trash under its own bytes.
    ASSERT_TRUE(tree.makeFile("dossier/caf\xe9.eps", "latin"));
    const VerbResult latin = deleteItem(folder, "caf\xe9.eps");
    ASSERT_TRUE(latin.succeeded) << qPrintable(latin.message);
    EXPECT_FALSE(tree.exists("dossier/caf\xe9.eps"));
    EXPECT_EQ(contentOf(tree.path("home/data/Trash/files/caf\xe9.eps")), QByteArray("latin"));
    EXPECT_TRUE(contentOf(tree.path("home/data/Trash/info/caf\xe9.eps.trashinfo"))
                    .contains("/dossier/caf%E9.eps\n"));
    // A second entry of that name does not replace the first.
    ASSERT_TRUE(tree.makeFile("dossier/caf\xe9.eps", "again"));
    ASSERT_TRUE(deleteItem(folder, "caf\xe9.eps").succeeded);
    EXPECT_EQ(contentOf(tree.path("home/data/Trash/files/caf\xe9.eps")), QByteArray("latin"));
    EXPECT_EQ(contentOf(tree.path("home/data/Trash/files/caf\xe9.eps.2")), QByteArray("again"));

    // Items that cannot be renamed cannot be deleted.
    DesktopFolder desktop(tree.path("home"), {}, [] { return QList<Volume>{}; });
    EXPECT_FALSE(deleteItem(desktop, DesktopFolder::HomeId).succeeded);
    EXPECT_TRUE(tree.exists("home"));
}

TEST_F(VerbTest, ANewAccountGetsItsTrashMadeInsteadOfFilesInTheWorkingFolder)
{
    ASSERT_TRUE(tree.makeFolder("work"));
    qputenv("XDG_DATA_HOME", tree.path("home/new/share"));
    const QString savedCurrent = QDir::currentPath();
    QDir::setCurrent(QFile::decodeName(tree.path("work")));
    DirectoryFolder folder(tree.path("dossier"));
    const VerbResult deleted = deleteItem(folder, "brouillon.eps");
    QDir::setCurrent(savedCurrent);
    ASSERT_TRUE(deleted.succeeded) << qPrintable(deleted.message);
    EXPECT_EQ(contentOf(tree.path("home/new/share/Trash/files/brouillon.eps")),
              QByteArray("%!PS-Adobe"));
    EXPECT_TRUE(tree.exists("home/new/share/Trash/info/brouillon.eps.trashinfo"));
    EXPECT_FALSE(tree.exists("work/files"));
    EXPECT_FALSE(tree.exists("work/info"));
}

TEST_F(VerbTest, FactsAndIconNames)
{
    DirectoryFolder folder(tree.path("dossier"));
    const ItemFacts facts = ItemFacts::of(folder, "brouillon.eps");
    EXPECT_EQ(facts.name, QStringLiteral("brouillon.eps"));
    EXPECT_EQ(facts.location, QString::fromUtf8(tree.path("dossier")));
    EXPECT_EQ(facts.size, QStringLiteral("10 octets"));
    ASSERT_TRUE(tree.makeFile("dossier/grand.eps", QByteArray(1536, 'x')));
    ASSERT_TRUE(tree.makeFile("dossier/vide.eps"));
    EXPECT_EQ(ItemFacts::of(folder, "grand.eps").size,
              QStringLiteral("1,5 Ko (1\u202F536 octets)"));
    EXPECT_EQ(ItemFacts::of(folder, "vide.eps").size, QStringLiteral("0 octet"));
    EXPECT_FALSE(facts.type.isEmpty());
    EXPECT_FALSE(facts.modified.isEmpty());

    DesktopFolder desktop(tree.path("home"), {}, [] { return QList<Volume>{}; });
    EXPECT_EQ(ItemFacts::of(desktop, DesktopFolder::ComputerId).name, QStringLiteral("Ordinateur"));
    DirectoryFolder root(tree.root());
    EXPECT_EQ(root.iconNameOf("dossier", true), QStringLiteral("folder-open"));
    EXPECT_EQ(folder.iconNameOf("brouillon.eps", false), QStringLiteral("image-x-eps"));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
