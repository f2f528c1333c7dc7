// A folder reached however deep it is, and locked by one holder at a time.

#include "posix/folder.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

TEST(Folder, OneDeeperThanAPathCanNameIsOpenedByWalkingToIt)
{
    char pattern[] = "/tmp/brakwen-folder-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string component(200, 'd');
    std::string path = pattern;
    int current = ::open(pattern, O_RDONLY | O_DIRECTORY);
    while (path.size() <= PATH_MAX + 100) {
        ASSERT_EQ(::mkdirat(current, component.c_str(), 0700), 0);
        const int next = ::openat(current, component.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(current);
        current = next;
        path += "/" + component;
    }
    ::close(::openat(current, "deep.eps", O_WRONLY | O_CREAT, 0600));
    ::close(current);

    const std::optional<posix::Folder> folder = posix::Folder::open(path);
    ASSERT_TRUE(folder) << std::strerror(errno);
    EXPECT_TRUE(folder->status("deep.eps"));
    // Walked from wherever it is given: a relative path too, and one ending in slashes.
    EXPECT_TRUE(posix::Folder::open(path + "//"));
    const int here = ::open(".", O_PATH | O_DIRECTORY);
    ASSERT_EQ(::chdir(pattern), 0);
    const std::string relative = path.substr(std::strlen(pattern) + 1);
    const posix::UniqueFd walked = posix::openFolderPath(relative + "/", O_PATH);
    EXPECT_EQ(::fchdir(here), 0);
    ::close(here);
    struct stat status = {};
    EXPECT_TRUE(walked.valid() && ::fstatat(walked.get(), "deep.eps", &status, 0) == 0)
        << std::strerror(errno);

    // Only one holder of its lock at a time, across separate opens of it.
    const std::optional<posix::Folder> other = posix::Folder::open(path);
    ASSERT_TRUE(other);
    EXPECT_TRUE(folder->tryLock());
    EXPECT_FALSE(other->tryLock());
    std::system(("rm -rf " + std::string(pattern)).c_str());
}
