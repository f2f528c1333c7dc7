// A result that appears under its name only once complete, an older file kept until then, and
// the hidden names a killed program left swept by the next one.

#include "posix/folder.h"
#include "posix/pending_file.h"

#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <unistd.h>

namespace {

class PendingFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(::mkdtemp(m_path.data()), nullptr);
        m_folder = posix::Folder::open(m_path);
        ASSERT_TRUE(m_folder);
    }
    void TearDown() override { std::system(("rm -rf " + m_path).c_str()); }

    std::set<std::string> names() const
    {
        std::set<std::string> found;
        DIR *listing = ::opendir(m_path.c_str());
        while (const dirent *entry = ::readdir(listing)) {
            if (entry->d_name[0] != '.' || entry->d_name[1] > '.')
                found.insert(entry->d_name);
        }
        ::closedir(listing);
        return found;
    }
    std::string content(const std::string &name) const
    {
        const int fd = m_folder->openFile(name, O_RDONLY);
        std::string text(64, '\0');
        text.resize(static_cast<std::size_t>(std::max<ssize_t>(0, ::read(fd, text.data(), 64))));
        ::close(fd);
        return text;
    }
    void put(const std::string &name, const std::string &text) const
    {
        const int fd = m_folder->openFile(name, O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        ::close(fd);
    }
    std::optional<posix::PendingFile> create() const
    {
        return posix::PendingFile::create(*m_folder, m_path, false, naming);
    }

    const posix::HiddenName naming{".brakwen-", ".tmp", {}};
    std::string m_path = "/tmp/brakwen-pending-XXXXXX";
    std::optional<posix::Folder> m_folder;
};

} // namespace

TEST_F(PendingFileTest, TheOlderFileStaysWholeUntilTheNewOneIsPutInPlace)
{
    put("final.eps", "older");
    std::optional<posix::PendingFile> file = create();
    ASSERT_TRUE(file);
    ASSERT_EQ(::write(file->fd(), "newer", 5), 5);
    ASSERT_TRUE(file->name());
    EXPECT_EQ(content("final.eps"), "older");
    ASSERT_TRUE(file->close());
    ASSERT_TRUE(file->placeAt("final.eps"));
    file.reset();
    EXPECT_EQ(content("final.eps"), "newer");
    EXPECT_EQ(names(), std::set<std::string>{"final.eps"});
}

TEST_F(PendingFileTest, OneNeverPutInPlaceLeavesNothing)
{
    put("final.eps", "older");
    {
        std::optional<posix::PendingFile> file = create();
        ASSERT_TRUE(file);
        ASSERT_TRUE(file->name());
    }
    EXPECT_EQ(names(), std::set<std::string>{"final.eps"});
    EXPECT_EQ(content("final.eps"), "older");
}

TEST_F(PendingFileTest, LeftoversNobodyHoldsAreSweptThoseInUseAreNot)
{
    put(".brakwen-dead.tmp", "left by a killed job");
    put(".brakwen-note.txt", "not ours");
    std::optional<posix::PendingFile> live = create();
    ASSERT_TRUE(live);
    ASSERT_TRUE(live->name());
    posix::PendingFile::removeLeftovers(*m_folder, naming);
    const std::set<std::string> left = names();
    EXPECT_FALSE(left.contains(".brakwen-dead.tmp"));
    EXPECT_TRUE(left.contains(".brakwen-note.txt"));
    EXPECT_EQ(left.size(), 2U); // the note and the live file's hidden name
}
