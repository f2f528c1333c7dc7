#pragma once

// A chain of nested folders inside `base` whose full path is longer than the system takes in one
// call (PATH_MAX), made and removed through open descriptors, as nothing path-based reaches it.

#include <QByteArray>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class DeepFolder
{
public:
    explicit DeepFolder(const QByteArray &base)
    {
        const QByteArray name(200, 'd');
        m_path = base;
        int folder = ::open(base.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        while (folder >= 0 && m_path.size() <= PATH_MAX + 200) {
            const int next = ::mkdirat(folder, name.constData(), 0755) == 0
                                 ? ::openat(folder, name.constData(), O_PATH | O_DIRECTORY)
                                 : -1;
            ::close(folder);
            folder = next;
            m_path += '/' + name;
            ++m_depth;
        }
        m_fd = folder;
        m_base = base;
        m_name = name;
    }
    ~DeepFolder()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        const int base = ::open(m_base.constData(), O_RDONLY | O_DIRECTORY);
        if (base >= 0) {
            removeAt(base, m_name);
            ::close(base);
        }
    }
    DeepFolder(const DeepFolder &) = delete;
    DeepFolder &operator=(const DeepFolder &) = delete;

    bool isValid() const { return m_fd >= 0 && m_path.size() > PATH_MAX; }
    // The deepest folder.
    const QByteArray &path() const { return m_path; }
    bool makeFolder(const char *name) const { return ::mkdirat(m_fd, name, 0755) == 0; }
    bool makeFile(const char *name) const
    {
        const int fd = ::openat(m_fd, name, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        return fd >= 0 && ::close(fd) == 0;
    }

private:
    static void removeAt(int parent, const QByteArray &name)
    {
        struct stat st = {};
        if (::fstatat(parent, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return;
        if (S_ISDIR(st.st_mode)) {
            const int fd = ::openat(parent, name.constData(), O_RDONLY | O_DIRECTORY);
            if (DIR *dir = fd >= 0 ? ::fdopendir(fd) : nullptr) {
                while (const dirent *entry = ::readdir(dir)) {
                    const QByteArray child(entry->d_name);
                    if (child != "." && child != "..")
                        removeAt(::dirfd(dir), child);
                }
                ::closedir(dir);
            }
            ::unlinkat(parent, name.constData(), AT_REMOVEDIR);
        } else {
            ::unlinkat(parent, name.constData(), 0);
        }
    }

    QByteArray m_base;
    QByteArray m_name;
    QByteArray m_path;
    int m_depth = 0;
    int m_fd = -1;
};
