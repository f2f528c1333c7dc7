#include "home_trash.h"

#include "posix/rename.h"
#include "posix/write_all.h"
#include "shell/raw_path.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace shell::actions {

namespace {

bool makeFolder(const QByteArray &path)
{
    return ::mkdir(path.constData(), 0700) == 0 || errno == EEXIST;
}

} // namespace

QByteArray HomeTrash::location()
{
    return joinPath(
        QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)),
        "Trash");
}

bool HomeTrash::prepare()
{
    const QByteArray trash = location();
    return QDir().mkpath(QFile::decodeName(parentOf(trash))) && makeFolder(trash) &&
           makeFolder(joinPath(trash, "files")) && makeFolder(joinPath(trash, "info"));
}

bool HomeTrash::moveToTrash(const QByteArray &path)
{
    if (!path.startsWith('/'))
        return false;
    const QByteArray trash = location();
    struct stat entry = {};
    struct stat home = {};
    if (::lstat(path.constData(), &entry) != 0 || !prepare() ||
        ::stat(trash.constData(), &home) != 0 || entry.st_dev != home.st_dev)
        return false;

    const QByteArray base = baseNameOf(path);
    const QByteArray info =
        "[Trash Info]\nPath=" + path.toPercentEncoding("/") +
        "\nDeletionDate=" + QDateTime::currentDateTime().toString(Qt::ISODate).toLatin1() + '\n';
    // The info file, made exclusively, reserves the name in the trash.
    for (int n = 1; n < 10000; ++n) {
        const QByteArray name = n == 1 ? base : base + '.' + QByteArray::number(n);
        const QByteArray infoPath = joinPath(joinPath(trash, "info"), name + ".trashinfo");
        const int fd = ::open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        const bool written =
            posix::writeAll(fd, info.constData(), static_cast<std::size_t>(info.size())) == 0;
        const bool closed = ::close(fd) == 0;
        const QByteArray target = joinPath(joinPath(trash, "files"), name);
        if (written && closed &&
            posix::renameNoReplace(AT_FDCWD, path.constData(), AT_FDCWD, target.constData()))
            return true;
        const bool taken = written && closed && errno == EEXIST;
        ::unlink(infoPath.constData());
        if (!taken)
            return false;
    }
    return false;
}

} // namespace shell::actions
