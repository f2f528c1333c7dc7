#pragma once

// A temporary folder tree for file-system tests; names are raw bytes so that tests can make
// entries whose names are not UTF-8.

#include <QByteArray>
#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

class TempTree
{
public:
    TempTree() : m_root(QFile::encodeName(m_dir.path())) {}
    // Qt's own removal skips names that are not UTF-8 and would leave the tree behind.
    ~TempTree() { ::nftw(m_root.constData(), removeEntry, 16, FTW_DEPTH | FTW_PHYS); }
    TempTree(const TempTree &) = delete;
    TempTree &operator=(const TempTree &) = delete;

    const QByteArray &root() const { return m_root; }
    QByteArray path(const QByteArray &relative) const { return m_root + '/' + relative; }

    bool makeFolder(const QByteArray &relative) const
    {
        return ::mkdir(path(relative).constData(), 0755) == 0;
    }
    bool makeFile(const QByteArray &relative, const QByteArray &content = {}) const
    {
        const int fd = ::open(path(relative).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            return false;
        const bool written = ::write(fd, content.constData(), content.size()) == content.size();
        return ::close(fd) == 0 && written;
    }
    bool exists(const QByteArray &relative) const
    {
        struct stat st = {};
        return ::lstat(path(relative).constData(), &st) == 0;
    }

private:
    static int removeEntry(const char *path, const struct stat *, int, struct FTW *)
    {
        ::remove(path);
        return 0;
    }

    QTemporaryDir m_dir;
    QByteArray m_root;
};
