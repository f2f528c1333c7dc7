#include "paste_operation.h"

#include "assembly/failure_cause.h"
#include "posix/eintr.h"
#include "posix/rename.h"
#include "posix/write_all.h"
#include "shell/raw_path.h"

#include <QString>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace shell::actions {

namespace {

// The path with its links resolved, so that no link hides a folder inside the one pasted.
QByteArray canonical(const QByteArray &path)
{
    char resolved[PATH_MAX];
    return ::realpath(path.constData(), resolved) != nullptr ? QByteArray(resolved) : path;
}

bool exists(const QByteArray &path)
{
    struct stat st = {};
    return ::lstat(path.constData(), &st) == 0;
}

bool renameNoReplace(const QByteArray &from, const QByteArray &to)
{
    return posix::renameNoReplace(AT_FDCWD, from.constData(), AT_FDCWD, to.constData());
}

// Copies the content and times of `from` into the open, empty file `out`, then closes it.
bool copyFileContent(const QByteArray &from, int out, const struct stat &source)
{
    const int in = ::open(from.constData(), O_RDONLY | O_CLOEXEC);
    bool ok = in >= 0;
    char buffer[65536];
    while (ok) {
        const ssize_t got =
            posix::retryOnInterrupt([&] { return ::read(in, buffer, sizeof buffer); });
        if (got <= 0) {
            ok = got == 0; // a read error is not the end of the file
            break;
        }
        ok = posix::writeAll(out, buffer, static_cast<std::size_t>(got)) == 0;
    }
    if (in >= 0)
        ::close(in);
    const struct timespec times[2] = {source.st_atim, source.st_mtim};
    ok = ok && ::fchmod(out, source.st_mode & 07777) == 0 && ::futimens(out, times) == 0;
    const int saved = errno;
    if (::close(out) != 0)
        return false;
    errno = saved;
    return ok;
}

bool removeTree(const QByteArray &path)
{
    struct stat st = {};
    if (::lstat(path.constData(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode))
        return ::unlink(path.constData()) == 0;
    DIR *dir = ::opendir(path.constData());
    if (dir == nullptr)
        return false;
    bool ok = true;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        ok = removeTree(joinPath(path, name)) && ok;
    }
    ::closedir(dir);
    return ::rmdir(path.constData()) == 0 && ok;
}

// Copies `from` to the new entry `to`; a folder is made under `to` directly (it is new, so
// nobody else's), a file under a temporary name renamed into place.
bool copyTree(const QByteArray &from, const QByteArray &to)
{
    struct stat st = {};
    if (::lstat(from.constData(), &st) != 0)
        return false;
    if (S_ISLNK(st.st_mode)) {
        QByteArray target(st.st_size > 0 ? st.st_size + 1 : 4096, Qt::Uninitialized);
        const ssize_t length = ::readlink(from.constData(), target.data(), size_t(target.size()));
        if (length < 0 || length >= target.size())
            return false;
        target.truncate(length);
        return ::symlink(target.constData(), to.constData()) == 0;
    }
    if (S_ISREG(st.st_mode)) {
        // A hidden, unique temporary name beside the target: nothing else is ever written over.
        QByteArray temporary = joinPath(parentOf(to), "." + baseNameOf(to) + ".XXXXXX");
        const int out = ::mkostemp(temporary.data(), O_CLOEXEC);
        if (out < 0)
            return false;
        if (!copyFileContent(from, out, st) || !renameNoReplace(temporary, to)) {
            const int saved = errno;
            ::unlink(temporary.constData());
            errno = saved;
            return false;
        }
        return true;
    }
    if (!S_ISDIR(st.st_mode))
        return false; // devices, FIFOs and sockets are not copied
    if (::mkdir(to.constData(), (st.st_mode & 07777) | S_IRWXU) != 0)
        return false;
    DIR *dir = ::opendir(from.constData());
    if (dir == nullptr)
        return false;
    bool ok = true;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (entry == nullptr) {
            ok = ok && errno == 0;
            break;
        }
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        ok = copyTree(joinPath(from, name), joinPath(to, name)) && ok;
    }
    ::closedir(dir);
    ::chmod(to.constData(), st.st_mode & 07777);
    return ok;
}

QString shown(const QByteArray &path)
{
    return QString::fromUtf8(baseNameOf(path));
}

} // namespace

QByteArray PasteOperation::freeName(const QByteArray &folder, const QByteArray &name, bool isFolder)
{
    if (!exists(joinPath(folder, name)))
        return name;
    // The extension stays last so the copy keeps its type; a leading dot is no extension.
    const qsizetype dot = isFolder ? -1 : name.lastIndexOf('.');
    const QByteArray stem = dot > 0 ? name.left(dot) : name;
    const QByteArray extension = dot > 0 ? name.mid(dot) : QByteArray();
    for (int n = 1;; ++n) {
        const QByteArray suffix = n == 1 ? " (copie)" : " (copie " + QByteArray::number(n) + ')';
        QByteArray candidate = stem + suffix + extension;
        if (!exists(joinPath(folder, candidate)))
            return candidate;
    }
}

PasteOperation::Result PasteOperation::run(const QList<QByteArray> &sources,
                                           const QByteArray &folder, bool move)
{
    Result result;
    for (const QByteArray &source : sources) {
        struct stat st = {};
        if (::lstat(source.constData(), &st) != 0) {
            result.errors.append(
                QStringLiteral("«\u00A0%1\u00A0» n'existe plus").arg(shown(source)));
            continue;
        }
        const bool isFolder = S_ISDIR(st.st_mode);
        const QByteArray realSource = canonical(source);
        const QByteArray realFolder = canonical(folder);
        if (isFolder && (realFolder == realSource || realFolder.startsWith(realSource + '/'))) {
            result.errors.append(QStringLiteral("«\u00A0%1\u00A0» ne peut être collé dans lui-même")
                                     .arg(shown(source)));
            continue;
        }
        if (move && parentOf(source) == folder)
            continue; // already there
        const QByteArray target = joinPath(folder, freeName(folder, baseNameOf(source), isFolder));
        bool done = false;
        bool copying = !move;
        if (move) {
            done = renameNoReplace(source, target);
            copying = !done && errno == EXDEV;
        }
        if (copying) {
            done = copyTree(source, target);
            if (done && move && !removeTree(source))
                result.errors.append(
                    QStringLiteral(
                        "«\u00A0%1\u00A0» a été copié mais n'a pu être retiré de son dossier")
                        .arg(shown(source)));
        }
        const int error = errno;
        // A folder copied in part is taken back: the name was free, so this paste made it.
        if (!done && copying && isFolder && exists(target))
            removeTree(target);
        errno = error;
        if (done)
            result.created.append(target);
        else
            result.errors.append(
                QStringLiteral("«\u00A0%1\u00A0» n'a pu être %2 : %3")
                    .arg(shown(source), move ? QStringLiteral("déplacé") : QStringLiteral("copié"),
                         QString::fromStdString(assembly::reasonForErrno(errno))));
    }
    return result;
}

} // namespace shell::actions
