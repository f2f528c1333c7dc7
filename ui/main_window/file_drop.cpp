#include "file_drop.h"

#include "eps_directory_listing.h"
#include "posix/path.h"

#include <QFile>
#include <QSet>
#include <QStringList>
#include <sys/stat.h>

namespace {

// Names quoted in the message; more are counted.
constexpr int namesShown = 8;

QString quoted(const QByteArray &path)
{
    return QStringLiteral("« ") +
           QFile::decodeName(QByteArray::fromStdString(posix::fileName(path.toStdString()))) +
           QStringLiteral(" »");
}

// The reasons something is left out, in the order the message gives them.
enum class Reason { NotLocal, Missing, Folder, OneFolderOfMany, NotEps, OtherFolder };

struct Refused
{
    QString name;
    Reason reason;
};

// "déposé" or "ouvert", agreeing with its noun.
QString how(bool opened, bool plural)
{
    if (opened)
        return plural ? QStringLiteral("ouverts") : QStringLiteral("ouvert");
    return plural ? QStringLiteral("déposés") : QStringLiteral("déposé");
}

QString reasonText(Reason reason, const QByteArray &folder, bool opened)
{
    switch (reason) {
    case Reason::NotLocal:
        return QStringLiteral("pas un fichier de cet ordinateur");
    case Reason::Missing:
        return QStringLiteral("introuvable");
    case Reason::Folder:
        return QStringLiteral("un dossier, %1 avec des fichiers").arg(how(opened, false));
    case Reason::OneFolderOfMany:
        return QStringLiteral("un dossier parmi plusieurs : un seul peut être choisi");
    case Reason::NotEps:
        return QStringLiteral("pas un fichier .eps");
    case Reason::OtherFolder:
        return QStringLiteral("dans un autre dossier que ") + QStringLiteral("« ") +
               QFile::decodeName(folder) + QStringLiteral(" »");
    }
    return {};
}

// A path, or the name of something that is none.
struct Dropped
{
    QByteArray path;
    QString elsewhere; // not on this computer, when path is empty
};

FileDrop planPaths(const std::vector<Dropped> &dropped, bool opened)
{
    FileDrop drop;
    drop.opened = opened;
    std::vector<Refused> refused;
    std::vector<QByteArray> folders;
    std::vector<QByteArray> files;
    for (const auto &[path, elsewhere] : dropped) {
        struct stat status = {};
        if (path.isEmpty())
            refused.push_back(
                {QStringLiteral("« ") + elsewhere + QStringLiteral(" »"), Reason::NotLocal});
        else if (::stat(path.constData(), &status) != 0)
            refused.push_back({quoted(path), Reason::Missing});
        else if (S_ISDIR(status.st_mode))
            folders.push_back(path);
        else
            files.push_back(path);
    }

    if (files.empty() && folders.size() == 1 && refused.empty()) {
        // Named as the chooser names it: "/" alone keeps its slash, no other folder ends in one.
        drop.folder = folders.front();
        while (drop.folder.size() > 1 && drop.folder.endsWith('/'))
            drop.folder.chop(1);
        drop.folderAlone = true;
        return drop;
    }
    // Folders alone were dropped with no file: only their number keeps them from being chosen.
    const Reason folderReason =
        files.empty() && refused.empty() ? Reason::OneFolderOfMany : Reason::Folder;
    for (const QByteArray &folder : folders)
        refused.push_back({quoted(folder), folderReason});
    for (const QByteArray &path : files) {
        const QByteArray name = QByteArray::fromStdString(posix::fileName(path.toStdString()));
        const QByteArray folder =
            QByteArray::fromStdString(posix::parentFolder(path.toStdString()));
        if (!EpsDirectoryListing::matchesEpsPattern(name)) {
            refused.push_back({quoted(path), Reason::NotEps});
        } else if (drop.folder.isEmpty() || folder == drop.folder) {
            drop.folder = folder;
            drop.names.push_back(name);
        } else {
            refused.push_back({quoted(path), Reason::OtherFolder});
        }
    }

    if (refused.empty())
        return drop;
    QStringList lines;
    for (std::size_t i = 0; i < refused.size() && i < namesShown; ++i)
        lines << refused[i].name + QStringLiteral(" : ") +
                     reasonText(refused[i].reason, drop.folder, opened);
    if (refused.size() > namesShown)
        lines << QStringLiteral("et %1 autres").arg(refused.size() - namesShown);
    drop.leftOut =
        (refused.size() == 1
             ? QStringLiteral("Un élément %1 n'a pas été ajouté :\n").arg(how(opened, false))
             : QStringLiteral("%1 éléments %2 n'ont pas été ajoutés :\n")
                   .arg(refused.size())
                   .arg(how(opened, true))) +
        lines.join(QLatin1Char('\n'));
    return drop;
}

} // namespace

QByteArray localPathBytes(const QUrl &url)
{
    if (!url.isLocalFile())
        return {};
    // The encoded path keeps every byte of the name as an escape; decoding the text would
    // replace the bytes that are not UTF-8.
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}

FileDrop FileDrop::plan(const QList<QUrl> &urls)
{
    std::vector<Dropped> dropped;
    dropped.reserve(urls.size());
    for (const QUrl &url : urls) {
        const QByteArray path = localPathBytes(url);
        dropped.push_back({path, path.isEmpty() ? url.toDisplayString() : QString()});
    }
    return planPaths(dropped, false);
}

FileDrop FileDrop::plan(const std::vector<QByteArray> &paths)
{
    std::vector<Dropped> dropped;
    dropped.reserve(paths.size());
    for (const QByteArray &path : paths)
        dropped.push_back({path, {}});
    return planPaths(dropped, true);
}

QString FileDrop::report() const
{
    if (leftOut.isEmpty() || names.empty())
        return leftOut;
    // Said first, so that a refusal does not read as if the whole drop had failed.
    const qsizetype added = QSet<QByteArray>(names.begin(), names.end()).size();
    return (added == 1 ? QStringLiteral("Un fichier %1 a été ajouté.\n").arg(how(opened, false))
                       : QStringLiteral("%1 fichiers %2 ont été ajoutés.\n")
                             .arg(added)
                             .arg(how(opened, true))) +
           leftOut;
}

bool FileDrop::sameFolder(const QByteArray &a, const QByteArray &b)
{
    if (a == b)
        return true;
    struct stat statusA = {};
    struct stat statusB = {};
    return ::stat(a.constData(), &statusA) == 0 && ::stat(b.constData(), &statusB) == 0 &&
           statusA.st_dev == statusB.st_dev && statusA.st_ino == statusB.st_ino;
}
