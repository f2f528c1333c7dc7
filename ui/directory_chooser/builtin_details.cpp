#include "builtin_details.h"

#include "shell/raw_path.h"

#include <cerrno>
#include <sys/stat.h>

BuiltinCells BuiltinDetails::read(const QByteArray &path, const QLocale &locale)
{
    BuiltinCells cells;
    struct stat st
    {
    };
    if (::stat(path.constData(), &st) != 0) {
        cells.error = errno;
        return cells;
    }
    const bool folder = S_ISDIR(st.st_mode);
    // A folder has no size of its own worth showing; its date is real and is shown.
    if (!folder)
        cells.size = QString::number(static_cast<qint64>(st.st_size));
    cells.type = typeOf(path);
    const QDateTime utc = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(st.st_mtime), Qt::UTC);
    if (utc.isValid())
        cells.modified = formatTime(utc.toLocalTime(), locale);
    return cells;
}

QString BuiltinDetails::typeOf(const QByteArray &path)
{
    const QByteArray name = shell::baseNameOf(path);
    const qsizetype dot = name.lastIndexOf('.');
    return dot < 0 ? QString() : QString::fromLocal8Bit(name.mid(dot));
}

QString BuiltinDetails::formatTime(const QDateTime &local, const QLocale &locale)
{
    const QTime t = local.time();
    const QTime even(t.hour(), t.minute(), t.second() - t.second() % 2);
    QString date = locale.toString(local.date(), QLocale::ShortFormat);
    if (even == QTime(0, 0))
        return date;
    // The long format names the time zone too, which a list of local times does not need.
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return date + QLatin1Char(' ') + locale.toString(even, format.trimmed());
}

QString BuiltinDetails::errorMessage(const QString &name, int error)
{
    return QStringLiteral("Impossible de récupérer les détails de dossier pour \"%1\". Code "
                          "d'erreur $%2")
        .arg(name, QString::number(error, 16));
}
