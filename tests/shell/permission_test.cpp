#include "as_unprivileged.h"
#include "directory_folder.h"
#include "paste_operation.h"
#include "temp_tree.h"

#include <gtest/gtest.h>

using namespace shell;

namespace {

// Folders owned by root (or by the test's user) that "nobody" may only look at.
class PermissionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(::chmod(tree.root().constData(), 0755), 0);
        ASSERT_TRUE(tree.makeFolder("locked"));
        ASSERT_TRUE(tree.makeFile("locked/secret.txt", "x"));
        ASSERT_EQ(::chmod(tree.path("locked").constData(), 0700), 0);
        ASSERT_TRUE(tree.makeFolder("readonly"));
        ASSERT_TRUE(tree.makeFile("readonly/fixed.txt", "x"));
        ASSERT_TRUE(tree.makeFile("open.txt", "to copy"));
    }

    TempTree tree;
};

TEST_F(PermissionTest, AnUnreadableFolderIsAFolderThatFailsToList)
{
    const QByteArray root = tree.root();
    EXPECT_TRUE(asUnprivileged([root] {
        DirectoryFolder folder(root);
        auto locked = folder.bindToObject("locked");
        // Still opened, so a list shows it empty instead of falling back elsewhere.
        return locked && !locked->enumerate(Folders | NonFolders).has_value() &&
               (folder.attributesOf("locked") & Folder) != 0;
    }));
}

TEST_F(PermissionTest, RenameFailsInAFolderTheUserCannotWrite)
{
    const QByteArray root = tree.root();
    EXPECT_TRUE(asUnprivileged([root] {
        DirectoryFolder folder(root + "/readonly");
        return !folder.setNameOf("fixed.txt", QStringLiteral("moved.txt")).has_value();
    }));
    EXPECT_TRUE(tree.exists("readonly/fixed.txt"));
    EXPECT_FALSE(tree.exists("readonly/moved.txt"));
}

TEST_F(PermissionTest, PasteReportsWhatCouldNotBeCopied)
{
    const QByteArray root = tree.root();
    EXPECT_TRUE(asUnprivileged([root] {
        const auto result = shell::actions::PasteOperation::run(
            {root + "/open.txt", root + "/locked/secret.txt"}, root + "/readonly", false);
        // Said in French, whatever the language the system speaks.
        return result.errors.size() == 2 && result.created.isEmpty() &&
               result.errors.first().endsWith(QStringLiteral(" : accès refusé"));
    }));
    EXPECT_FALSE(tree.exists("readonly/open.txt"));
}

} // namespace
