#include "item_details.h"

#include "locales.h"

#include <QMimeDatabase>
#include <QScopeGuard>
#include <array>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace shell {

namespace {

// QMimeType::comment() speaks the default locale's language, which the program's start-up makes
// French. Where the namespace runs without that start-up, French is made the default while the
// comment is read, and the default is put back however the reading ends.
QString frenchComment(const QMimeType &type)
{
    QString comment;
    if (QLocale().language() == QLocale::French) {
        comment = type.comment();
    } else {
        const QLocale previous;
        QLocale::setDefault(frenchLocale());
        const auto restore = qScopeGuard([&previous] { QLocale::setDefault(previous); });
        comment = type.comment();
    }
    if (!comment.isEmpty())
        comment[0] = comment[0].toUpper();
    return comment;
}

QByteArray firstBytes(int folder, const QByteArray &entry)
{
    // O_NONBLOCK: a FIFO or a device must not hang the listing.
    const int fd = ::openat(folder, entry.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray data(2048, Qt::Uninitialized);
    const ssize_t got = ::read(fd, data.data(), data.size());
    ::close(fd);
    data.truncate(got > 0 ? got : 0);
    return data;
}

QString specialFileType(mode_t mode)
{
    QMimeDatabase db;
    if (S_ISFIFO(mode))
        return frenchComment(db.mimeTypeForName(QStringLiteral("inode/fifo")));
    if (S_ISSOCK(mode))
        return frenchComment(db.mimeTypeForName(QStringLiteral("inode/socket")));
    if (S_ISCHR(mode))
        return frenchComment(db.mimeTypeForName(QStringLiteral("inode/chardevice")));
    if (S_ISBLK(mode))
        return frenchComment(db.mimeTypeForName(QStringLiteral("inode/blockdevice")));
    return {};
}

} // namespace

QString ItemDetails::formatSize(qint64 bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 %2").arg(bytes).arg(bytes < 2 ? QStringLiteral("octet")
                                                                : QStringLiteral("octets"));
    static constexpr std::array units = {"Ko", "Mo", "Go", "To", "Po"};
    double value = double(bytes) / 1024.0;
    std::size_t unit = 0;
    // Rounds first, so that 1023.96 Ko is written 1,0 Mo and not 1024,0 Ko.
    while (unit + 1 < units.size() && value >= 1024.0 - 0.05) {
        value /= 1024.0;
        ++unit;
    }
    return frenchLocale().toString(value, 'f', 1) + QLatin1Char(' ') + QLatin1String(units[unit]);
}

QString ItemDetails::formatTime(const QDateTime &time)
{
    return frenchLocale().toString(time.toLocalTime(), QLocale::ShortFormat);
}

QString ItemDetails::typeName(const QByteArray &path, const QByteArray &name)
{
    return typeNameOf(AT_FDCWD, path, name);
}

QString ItemDetails::typeNameAt(int folder, const QByteArray &name)
{
    return typeNameOf(folder, name, name);
}

QString ItemDetails::typeNameOf(int folder, const QByteArray &entry, const QByteArray &name)
{
    struct stat st = {};
    if (::fstatat(folder, entry.constData(), &st, 0) != 0)
        return ::fstatat(folder, entry.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0
                   ? QStringLiteral("Lien symbolique rompu")
                   : QString();
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("Dossier");
    if (!S_ISREG(st.st_mode))
        return specialFileType(st.st_mode);
    QMimeDatabase db;
    const QString decoded = QString::fromUtf8(name);
    const QList<QMimeType> byName = db.mimeTypesForFileName(decoded);
    if (byName.size() == 1)
        return frenchComment(byName.constFirst());
    return frenchComment(db.mimeTypeForFileNameAndData(decoded, firstBytes(folder, entry)));
}

QString ItemDetails::iconName(const QByteArray &name)
{
    QMimeDatabase db;
    const QList<QMimeType> byName = db.mimeTypesForFileName(QString::fromUtf8(name));
    return byName.isEmpty() ? QStringLiteral("application-octet-stream")
                            : byName.constFirst().iconName();
}

QString ItemDetails::columnText(const QByteArray &path, const QByteArray &name, int column)
{
    return columnTextOf(AT_FDCWD, path, name, column);
}

QString ItemDetails::columnTextAt(int folder, const QByteArray &name, int column)
{
    return columnTextOf(folder, name, name, column);
}

QString ItemDetails::columnTextOf(int folder, const QByteArray &entry, const QByteArray &name,
                                  int column)
{
    if (column == 0)
        return QString::fromUtf8(name);
    if (column == 2)
        return typeNameOf(folder, entry, name);
    struct stat st = {};
    if (::fstatat(folder, entry.constData(), &st, 0) != 0 &&
        ::fstatat(folder, entry.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return {};
    switch (column) {
    case 1:
        return S_ISDIR(st.st_mode) ? QString() : formatSize(qint64(st.st_size));
    case 3:
        return formatTime(QDateTime::fromMSecsSinceEpoch(qint64(st.st_mtim.tv_sec) * 1000 +
                                                         st.st_mtim.tv_nsec / 1000000));
    default:
        return {};
    }
}

} // namespace shell
