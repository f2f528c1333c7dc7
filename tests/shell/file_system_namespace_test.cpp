#include "deep_folder.h"
#include "desktop_folder.h"
#include "file_system_namespace.h"
#include "id_list.h"
#include "temp_tree.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace shell;

namespace {

class NamespaceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tree.makeFolder("home"));
        ASSERT_TRUE(tree.makeFolder("home/Bureau"));
        ASSERT_TRUE(tree.makeFile("home/Bureau/lisez-moi.txt", "x"));
        ASSERT_TRUE(tree.makeFolder("home/Bureau/projets"));
        ASSERT_TRUE(tree.makeFolder("disk"));
        ASSERT_TRUE(tree.makeFolder("disk/docs"));
        ASSERT_TRUE(tree.makeFolder("disk/docs/inner"));
        ASSERT_TRUE(tree.makeFile("disk/docs/file.eps", "%!PS"));
        ASSERT_TRUE(tree.makeFolder("disk/do"));
    }

    FileSystemNamespace makeNamespace(QList<Volume> extra = {}) const
    {
        FileSystemNamespace::Options options;
        options.homePath = tree.path("home");
        options.desktopPath = tree.path("home/Bureau");
        QList<Volume> volumes = {Volume{"/", {}, "ext4", "/dev/vda1"}};
        volumes += extra;
        options.volumes = [volumes] { return volumes; };
        return FileSystemNamespace(options);
    }

    Volume disk() const
    {
        return Volume{tree.path("disk"), QStringLiteral("Essai"), "vfat", "/dev/sdz1"};
    }

    TempTree tree;
};

IdList split(const QByteArray &path)
{
    IdList ids;
    for (const QByteArray &part : path.split('/')) {
        if (!part.isEmpty())
            ids.append(part);
    }
    return ids;
}

TEST_F(NamespaceTest, ParsesExistingFoldersAndFilesThroughTheRootVolume)
{
    const FileSystemNamespace ns = makeNamespace();
    const QByteArray folder = tree.path("disk/docs");
    const IdList expected = IdList{DesktopFolder::ComputerId, "/"} + split(folder);

    EXPECT_EQ(ns.parseDisplayName(QString::fromUtf8(folder)), expected);
    EXPECT_EQ(ns.parseDisplayName(QString::fromUtf8(folder + "/")), expected);
    EXPECT_EQ(ns.parseDisplayName(QString::fromUtf8(tree.root() + "//disk/./docs")), expected);
    EXPECT_EQ(ns.parseDisplayName(QString::fromUtf8(folder + "/file.eps")),
              expected + IdList{"file.eps"});
    EXPECT_EQ(ns.parseDisplayName(QStringLiteral("/")), (IdList{DesktopFolder::ComputerId, "/"}));
}

TEST_F(NamespaceTest, ParsesAFolderDeeperThanThePathLimit)
{
    const DeepFolder deep(tree.root());
    ASSERT_TRUE(deep.isValid());
    const FileSystemNamespace ns = makeNamespace();
    const IdList expected = IdList{DesktopFolder::ComputerId, "/"} + split(deep.path());
    EXPECT_EQ(ns.parseDisplayName(QString::fromUtf8(deep.path())), expected);
    EXPECT_FALSE(ns.parseDisplayName(QString::fromUtf8(deep.path() + "/missing")));
    const std::unique_ptr<ShellFolder> folder = bindFolder(ns, expected);
    ASSERT_TRUE(folder);
    EXPECT_TRUE(folder->enumerate(Folders | NonFolders).has_value());
}

TEST_F(NamespaceTest, RefusesMissingRelativeAndEmptyPaths)
{
    const FileSystemNamespace ns = makeNamespace();
    EXPECT_FALSE(ns.parseDisplayName(QString::fromUtf8(tree.path("disk/absent"))));
    EXPECT_FALSE(ns.parseDisplayName(QStringLiteral("disk/docs")));
    EXPECT_FALSE(ns.parseDisplayName(QString()));
    EXPECT_FALSE(ns.parseDisplayName(QString::fromUtf8(tree.path("disk/docs/../docs"))));
    EXPECT_FALSE(ns.parseDisplayName(QStringLiteral("Ordinateur")));
    // A folder on no listed volume cannot be reached.
    FileSystemNamespace::Options options;
    options.volumes = [] { return QList<Volume>{}; };
    EXPECT_FALSE(FileSystemNamespace(options).parseDisplayName(QString::fromUtf8(tree.root())));
}

TEST_F(NamespaceTest, ParsesThroughTheVolumeWithTheLongestMountPoint)
{
    const Volume nested{tree.path("disk/docs"), {}, "ext4", "/dev/sdy1"};
    const Volume partialName{tree.path("disk/do"), {}, "ext4", "/dev/sdx1"};
    const FileSystemNamespace ns = makeNamespace({disk(), nested, partialName});

    EXPECT_EQ(ns.parseDisplayName(QString::fromUtf8(tree.path("disk/docs/inner"))),
              (IdList{DesktopFolder::ComputerId, nested.mountPoint, "inner"}));
    EXPECT_EQ(ns.parseDisplayName(QString::fromUtf8(tree.path("disk/docs"))),
              (IdList{DesktopFolder::ComputerId, nested.mountPoint}));
    // "do" is a prefix of "docs" by bytes but not by folders.
    EXPECT_EQ(ns.parseDisplayName(QString::fromUtf8(tree.path("disk"))),
              (IdList{DesktopFolder::ComputerId, disk().mountPoint}));

    const auto ids = ns.parseDisplayName(QString::fromUtf8(tree.path("disk/docs/inner")));
    ASSERT_TRUE(ids);
    const auto parent = bindFolder(ns, ids->mid(0, ids->size() - 1));
    ASSERT_TRUE(parent);
    EXPECT_EQ(parent->displayNameOf(ids->constLast(), NameForm::Parsing),
              QString::fromUtf8(tree.path("disk/docs/inner")));
    EXPECT_TRUE(bindFolder(ns, *ids));
}

TEST_F(NamespaceTest, DesktopHoldsComputerHomeAndDesktopEntries)
{
    const FileSystemNamespace ns = makeNamespace();
    const auto desktop = ns.desktop();
    const auto all = desktop->enumerate(Folders | NonFolders);
    ASSERT_TRUE(all);
    QList<ItemId> ids = *all;
    desktop->sortIds(ids, true);
    EXPECT_EQ(ids, (QList<ItemId>{DesktopFolder::ComputerId, DesktopFolder::HomeId, "projets",
                                  "lisez-moi.txt"}));
    EXPECT_EQ(*desktop->enumerate(Folders),
              (QList<ItemId>{DesktopFolder::ComputerId, DesktopFolder::HomeId, "projets"}));

    EXPECT_EQ(ns.computerNode(), IdList{DesktopFolder::ComputerId});
    EXPECT_EQ(desktop->displayNameOf(DesktopFolder::ComputerId, NameForm::Normal),
              QStringLiteral("Ordinateur"));
    EXPECT_TRUE(desktop->displayNameOf(DesktopFolder::ComputerId, NameForm::Parsing)
                    .startsWith(QStringLiteral("::{")));
    EXPECT_EQ(desktop->displayNameOf(DesktopFolder::HomeId, NameForm::Parsing),
              QString::fromUtf8(tree.path("home")));
    EXPECT_EQ(desktop->displayNameOf("projets", NameForm::Parsing),
              QString::fromUtf8(tree.path("home/Bureau/projets")));
    EXPECT_TRUE(desktop->attributesOf(DesktopFolder::ComputerId) & Folder);
    EXPECT_FALSE(desktop->attributesOf(DesktopFolder::ComputerId) & FileSystem);
    EXPECT_FALSE(desktop->attributesOf(DesktopFolder::ComputerId) & CanRename);
    EXPECT_FALSE(desktop->setNameOf(DesktopFolder::HomeId, QStringLiteral("x")));
    EXPECT_LT(desktop->compareIds(0, DesktopFolder::ComputerId, DesktopFolder::HomeId), 0);
    EXPECT_LT(desktop->compareIds(0, DesktopFolder::HomeId, "lisez-moi.txt"), 0);

    // The computer's parsing name leads back to it.
    EXPECT_EQ(
        ns.parseDisplayName(desktop->displayNameOf(DesktopFolder::ComputerId, NameForm::Parsing)),
        ns.computerNode());
    auto home = desktop->bindToObject(DesktopFolder::HomeId);
    ASSERT_TRUE(home);
    EXPECT_EQ(*home->enumerate(Folders), QList<ItemId>{"Bureau"});
}

TEST_F(NamespaceTest, ComputerNodeListsVolumesWithItsOwnColumns)
{
    const FileSystemNamespace ns = makeNamespace({disk()});
    const auto computer = bindFolder(ns, ns.computerNode());
    ASSERT_TRUE(computer);
    EXPECT_EQ(*computer->enumerate(Folders | NonFolders), (QList<ItemId>{"/", disk().mountPoint}));
    EXPECT_TRUE(computer->enumerate(NonFolders)->isEmpty());

    EXPECT_EQ(computer->columnKind(), ColumnKind::Described);
    QStringList headers;
    for (int column = 0; auto description = computer->columnDescription(column); ++column)
        headers.append(description->header);
    EXPECT_EQ(headers, (QStringList{"Nom", "Type", "Taille totale", "Espace libre"}));

    const ItemId diskId = disk().mountPoint;
    EXPECT_EQ(computer->displayNameOf(diskId, NameForm::Normal), QStringLiteral("Essai"));
    EXPECT_EQ(computer->displayNameOf(diskId, NameForm::Parsing), QString::fromUtf8(diskId));
    EXPECT_EQ(computer->displayNameOf("/", NameForm::InFolder), QStringLiteral("/"));
    EXPECT_EQ(computer->detailsOf(diskId, 1), QStringLiteral("Disque local (vfat)"));
    EXPECT_TRUE(
        computer->detailsOf(diskId, 2).contains(QRegularExpression("^[0-9]+,[0-9] [KMGTP]o$")))
        << qPrintable(computer->detailsOf(diskId, 2));
    EXPECT_FALSE(computer->detailsOf(diskId, 3).isEmpty());
    EXPECT_TRUE(computer->attributesOf(diskId) & Folder);
    EXPECT_FALSE(computer->attributesOf(diskId) & CanRename);
    EXPECT_FALSE(computer->setNameOf(diskId, QStringLiteral("Autre")));
    EXPECT_EQ(computer->attributesOf("/not-a-volume"), 0u);

    auto volume = computer->bindToObject(diskId);
    ASSERT_TRUE(volume);
    EXPECT_EQ(volume->displayNameOf("docs", NameForm::Parsing),
              QString::fromUtf8(tree.path("disk/docs")));
}

TEST_F(NamespaceTest, IdListsCompareEqualOnlyForTheSameItem)
{
    const FileSystemNamespace ns = makeNamespace({disk()});
    const IdList docs = *ns.parseDisplayName(QString::fromUtf8(tree.path("disk/docs")));
    const IdList inner = *ns.parseDisplayName(QString::fromUtf8(tree.path("disk/docs/inner")));
    const IdList file = *ns.parseDisplayName(QString::fromUtf8(tree.path("disk/docs/file.eps")));
    const auto folderHolding = [&](const IdList &ids) {
        return bindFolder(ns, ids.mid(0, ids.size() - 1));
    };
    EXPECT_TRUE(sameItem(folderHolding(docs).get(), docs, docs));
    EXPECT_FALSE(sameItem(folderHolding(docs).get(), docs, inner)); // an ancestor is another item
    EXPECT_FALSE(sameItem(folderHolding(inner).get(), inner, docs));
    EXPECT_FALSE(sameItem(folderHolding(file).get(), file, inner));
    EXPECT_FALSE(sameItem(folderHolding(inner).get(), inner, file));
    EXPECT_TRUE(sameItem(nullptr, {}, {}));
    EXPECT_FALSE(sameItem(nullptr, {}, ns.computerNode()));
    EXPECT_FALSE(bindFolder(ns, file));
    EXPECT_TRUE(bindFolder(ns, {}));
    EXPECT_EQ(ns.desktop()->displayNameOf(ns.computerNode().constLast(), NameForm::Normal),
              QStringLiteral("Ordinateur"));
}

} // namespace
