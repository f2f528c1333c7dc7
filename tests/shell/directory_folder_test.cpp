#include "deep_folder.h"
#include "directory_folder.h"
#include "temp_tree.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace shell;

namespace {

QList<QByteArray> sorted(QList<QByteArray> ids)
{
    std::sort(ids.begin(), ids.end());
    return ids;
}

class DirectoryFolderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tree.makeFolder("docs"));
        ASSERT_TRUE(tree.makeFolder("docs/inner"));
        ASSERT_TRUE(tree.makeFolder("empty"));
        ASSERT_TRUE(tree.makeFolder(".hidden-dir"));
        ASSERT_TRUE(tree.makeFile("notes.txt", "bonjour\n"));
        ASSERT_TRUE(tree.makeFile(".hidden-file"));
        ASSERT_EQ(::symlink("docs", tree.path("link-to-docs").constData()), 0);
        ASSERT_EQ(::symlink("nowhere", tree.path("dangling").constData()), 0);
    }

    TempTree tree;
};

TEST_F(DirectoryFolderTest, FiltersSplitFoldersFromFilesAndNeverListHiddenEntries)
{
    DirectoryFolder folder(tree.root());

    const auto folders = folder.enumerate(Folders);
    ASSERT_TRUE(folders);
    EXPECT_EQ(sorted(*folders), (QList<QByteArray>{"docs", "empty", "link-to-docs"}));

    const auto files = folder.enumerate(NonFolders);
    ASSERT_TRUE(files);
    EXPECT_EQ(sorted(*files), (QList<QByteArray>{"dangling", "notes.txt"}));

    const auto all = folder.enumerate(Folders | NonFolders);
    ASSERT_TRUE(all);
    EXPECT_EQ(sorted(*all), sorted(*folders + *files));

    const auto none = folder.enumerate(0);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->isEmpty());
}

TEST_F(DirectoryFolderTest, MissingFolderFailsToEnumerate)
{
    DirectoryFolder folder(tree.path("gone"));
    EXPECT_FALSE(folder.enumerate(Folders | NonFolders).has_value());
}

TEST_F(DirectoryFolderTest, NameFormsGiveFullPathOrBareName)
{
    DirectoryFolder folder(tree.path("docs"));
    EXPECT_EQ(folder.displayNameOf("inner", NameForm::Parsing),
              QString::fromUtf8(tree.path("docs/inner")));
    EXPECT_EQ(folder.displayNameOf("inner", NameForm::Normal), QStringLiteral("inner"));
    EXPECT_EQ(folder.displayNameOf("inner", NameForm::InFolder), QStringLiteral("inner"));

    // Under the root no doubled separator: "/" is the only path ending in one.
    DirectoryFolder root("/");
    EXPECT_EQ(root.displayNameOf("tmp", NameForm::Parsing), QStringLiteral("/tmp"));
}

TEST_F(DirectoryFolderTest, NamesAreKeptExactlyAsTheyAre)
{
    // A leading "?" and digit is a legal name here; nothing is stripped from it.
    ASSERT_TRUE(tree.makeFolder("?1 rapport?"));
    DirectoryFolder folder(tree.root());
    EXPECT_EQ(folder.displayNameOf("?1 rapport?", NameForm::InFolder),
              QStringLiteral("?1 rapport?"));
    EXPECT_TRUE(folder.enumerate(Folders)->contains("?1 rapport?"));
}

TEST_F(DirectoryFolderTest, AttributesTellFoldersSubFoldersAndFiles)
{
    DirectoryFolder folder(tree.root());
    EXPECT_EQ(folder.attributesOf("docs"), quint32(Folder | FileSystem | HasSubFolder | CanRename));
    // An empty folder on a file system that counts links has no expand button.
    const quint32 empty = folder.attributesOf("empty");
    EXPECT_TRUE(empty & Folder);
    struct stat st = {};
    ASSERT_EQ(::stat(tree.path("empty").constData(), &st), 0);
    EXPECT_EQ((empty & HasSubFolder) != 0, st.st_nlink != 2);
    EXPECT_EQ(folder.attributesOf("notes.txt"), quint32(FileSystem | CanRename));
    EXPECT_TRUE(folder.attributesOf("link-to-docs") & Folder);
    EXPECT_EQ(folder.attributesOf("dangling"), quint32(FileSystem | CanRename));
    EXPECT_EQ(folder.attributesOf("missing"), 0u);
    EXPECT_EQ(folder.attributesOf("notes.txt") & Share, 0u);
}

TEST_F(DirectoryFolderTest, LinksToFoldersCountAsSubFolders)
{
    // The link count of a folder holding only a link says it has no sub-folder.
    ASSERT_TRUE(tree.makeFolder("only-links"));
    ASSERT_TRUE(tree.makeFile("only-links/page.eps"));
    ASSERT_EQ(::symlink("../docs", tree.path("only-links/to-docs").constData()), 0);
    ASSERT_TRUE(tree.makeFolder("only-files"));
    ASSERT_TRUE(tree.makeFile("only-files/page.eps"));
    ASSERT_EQ(::symlink("page.eps", tree.path("only-files/to-page").constData()), 0);
    DirectoryFolder folder(tree.root());
    EXPECT_TRUE(folder.attributesOf("only-links") & HasSubFolder);
    struct stat st = {};
    ASSERT_EQ(::stat(tree.path("only-files").constData(), &st), 0);
    EXPECT_EQ((folder.attributesOf("only-files") & HasSubFolder) != 0, st.st_nlink != 2);
}

TEST_F(DirectoryFolderTest, AFolderDeeperThanThePathLimitIsReachedAndRead)
{
    const DeepFolder deep(tree.root());
    ASSERT_TRUE(deep.isValid());
    ASSERT_TRUE(deep.makeFolder("fin"));
    ASSERT_TRUE(deep.makeFile("page.eps"));
    // Opened from its path, and reached one folder at a time from the top.
    DirectoryFolder opened(deep.path());
    EXPECT_EQ(sorted(*opened.enumerate(Folders | NonFolders)),
              (QList<QByteArray>{"fin", "page.eps"}));
    EXPECT_EQ(opened.attributesOf("fin") & Folder, quint32(Folder));
    EXPECT_EQ(opened.attributesOf("page.eps"), quint32(FileSystem | CanRename));
    EXPECT_EQ(opened.detailsOf("page.eps", 1), QStringLiteral("0 octet"));
    EXPECT_EQ(opened.fileSystemPath("fin"), deep.path() + "/fin");
    std::unique_ptr<ShellFolder> walked = std::make_unique<DirectoryFolder>(tree.root());
    for (const QByteArray &name : deep.path().mid(tree.root().size()).split('/')) {
        if (!name.isEmpty() && walked)
            walked = walked->bindToObject(name);
    }
    ASSERT_TRUE(walked);
    EXPECT_TRUE(walked->bindToObject("fin"));
    EXPECT_TRUE(walked->setNameOf("page.eps", QStringLiteral("plan.eps")));
    EXPECT_EQ(sorted(*opened.enumerate(NonFolders)), QList<QByteArray>{"plan.eps"});
}

TEST_F(DirectoryFolderTest, BindsOnlyToFolders)
{
    DirectoryFolder folder(tree.root());
    auto docs = folder.bindToObject("docs");
    ASSERT_TRUE(docs);
    const auto inside = docs->enumerate(Folders | NonFolders);
    ASSERT_TRUE(inside);
    EXPECT_EQ(*inside, QList<QByteArray>{"inner"});
    EXPECT_TRUE(folder.bindToObject("link-to-docs"));
    EXPECT_FALSE(folder.bindToObject("notes.txt"));
    EXPECT_FALSE(folder.bindToObject("missing"));
    EXPECT_FALSE(folder.bindToObject(".."));
}

TEST_F(DirectoryFolderTest, RenameMovesTheEntryAndGivesItsNewIdentifier)
{
    DirectoryFolder folder(tree.root());
    const auto renamed = folder.setNameOf("notes.txt", QStringLiteral("été 2026.txt"));
    ASSERT_TRUE(renamed);
    EXPECT_EQ(*renamed, QStringLiteral("été 2026.txt").toUtf8());
    EXPECT_FALSE(tree.exists("notes.txt"));
    EXPECT_TRUE(tree.exists(QStringLiteral("été 2026.txt").toUtf8()));
    EXPECT_EQ(folder.attributesOf(*renamed), quint32(FileSystem | CanRename));
}

TEST_F(DirectoryFolderTest, RenameRefusesBadNamesAndNeverReplacesAnEntry)
{
    ASSERT_TRUE(tree.makeFile("other.txt", "keep me"));
    DirectoryFolder folder(tree.root());
    EXPECT_FALSE(folder.setNameOf("notes.txt", QStringLiteral("other.txt")));
    EXPECT_FALSE(folder.setNameOf("notes.txt", QStringLiteral("docs")));
    EXPECT_FALSE(folder.setNameOf("notes.txt", QStringLiteral("sub/name")));
    EXPECT_FALSE(folder.setNameOf("notes.txt", QString()));
    EXPECT_FALSE(folder.setNameOf("notes.txt", QStringLiteral("..")));
    EXPECT_FALSE(folder.setNameOf("missing", QStringLiteral("found")));
    EXPECT_TRUE(tree.exists("notes.txt"));
    EXPECT_FALSE(tree.exists("found"));
    QFile other(QString::fromUtf8(tree.path("other.txt")));
    ASSERT_TRUE(other.open(QIODevice::ReadOnly));
    EXPECT_EQ(other.readAll(), QByteArray("keep me"));
    // Renaming to its own name is no change, and no failure.
    EXPECT_EQ(folder.setNameOf("notes.txt", QStringLiteral("notes.txt")), ItemId("notes.txt"));
}

TEST_F(DirectoryFolderTest, NonUtf8NamesSurviveAsBytes)
{
    const QByteArray latin1Name = "caf\xe9"; // "café" in Latin-1: not valid UTF-8
    ASSERT_TRUE(tree.makeFolder(latin1Name));
    ASSERT_TRUE(tree.makeFile(latin1Name + "/r\xe9sum\xe9.txt", "x"));
    DirectoryFolder folder(tree.root());

    const auto ids = folder.enumerate(Folders);
    ASSERT_TRUE(ids);
    ASSERT_TRUE(ids->contains(latin1Name));
    const QString shown = folder.displayNameOf(latin1Name, NameForm::InFolder);
    EXPECT_EQ(shown, QStringLiteral("caf\uFFFD"));
    EXPECT_EQ(folder.fileSystemPath(latin1Name), tree.path(latin1Name));

    auto inner = folder.bindToObject(latin1Name);
    ASSERT_TRUE(inner);
    const auto files = inner->enumerate(NonFolders);
    ASSERT_TRUE(files);
    EXPECT_EQ(*files, QList<QByteArray>{"r\xe9sum\xe9.txt"});
    EXPECT_FALSE(inner->detailsOf(files->constFirst(), 1).isEmpty());

    const auto renamed = folder.setNameOf(latin1Name, QStringLiteral("café"));
    ASSERT_TRUE(renamed);
    EXPECT_TRUE(tree.exists(QStringLiteral("café/").toUtf8() + "r\xe9sum\xe9.txt"));
}

TEST_F(DirectoryFolderTest, FolderColumnsAndDetailsInFrench)
{
    DirectoryFolder folder(tree.root());
    EXPECT_EQ(folder.columnKind(), ColumnKind::Described);
    QStringList headers;
    for (int column = 0; auto description = folder.columnDescription(column); ++column) {
        headers.append(description->header);
        EXPECT_TRUE(description->shownByDefault);
    }
    EXPECT_EQ(headers, (QStringList{"Nom", "Taille", "Type", "Modifié le"}));
    EXPECT_EQ(folder.columnDescription(1)->format, 1); // sizes right-aligned

    EXPECT_EQ(folder.detailsOf("notes.txt", 0), QStringLiteral("notes.txt"));
    EXPECT_EQ(folder.detailsOf("notes.txt", 1), QStringLiteral("8 octets"));
    EXPECT_EQ(folder.detailsOf("notes.txt", 2), QStringLiteral("Document texte brut"));
    EXPECT_EQ(folder.detailsOf("docs", 1), QString()); // no size shown for a folder
    EXPECT_EQ(folder.detailsOf("docs", 2), QStringLiteral("Dossier"));

    // A folder shows its own modification time, not a placeholder date.
    struct timespec times[2] = {{0, UTIME_OMIT}, {1700000000, 0}}; // 14/11/2023 22:13:20 UTC
    ASSERT_EQ(::utimensat(AT_FDCWD, tree.path("docs").constData(), times, 0), 0);
    const QString modified = folder.detailsOf("docs", 3);
    EXPECT_EQ(modified,
              QLocale(QLocale::French, QLocale::France)
                  .toString(QDateTime::fromSecsSinceEpoch(1700000000), QLocale::ShortFormat));
    EXPECT_TRUE(modified.contains(QStringLiteral("2023"))) << qPrintable(modified);
    EXPECT_EQ(folder.detailsOf("missing", 3), QString());
}

TEST_F(DirectoryFolderTest, SortPutsFoldersFirstInNameOrder)
{
    ASSERT_TRUE(tree.makeFile("B.txt"));
    ASSERT_TRUE(tree.makeFile("a10.txt"));
    ASSERT_TRUE(tree.makeFile("a9.txt"));
    ASSERT_TRUE(tree.makeFolder("Zeta"));
    DirectoryFolder folder(tree.root());
    auto ids = *folder.enumerate(Folders | NonFolders);
    const QList<QByteArray> listed = ids;
    const QList<QByteArray> foldersFirst = {"docs",  "empty",    "link-to-docs",
                                            "Zeta",  "a9.txt",   "a10.txt",
                                            "B.txt", "dangling", "notes.txt"};
    folder.sortIds(ids, true);
    EXPECT_EQ(ids, foldersFirst);
    // Lists that are not the last listing, or a folder that never listed, sort the same.
    QList<QByteArray> reversed(listed.crbegin(), listed.crend());
    folder.sortIds(reversed, true);
    EXPECT_EQ(reversed, foldersFirst);
    QList<QByteArray> fresh = listed;
    DirectoryFolder(tree.root()).sortIds(fresh, true);
    EXPECT_EQ(fresh, foldersFirst);
    folder.sortIds(ids, false);
    EXPECT_EQ(ids, (QList<QByteArray>{"a9.txt", "a10.txt", "B.txt", "dangling", "docs", "empty",
                                      "link-to-docs", "notes.txt", "Zeta"}));
}

} // namespace
