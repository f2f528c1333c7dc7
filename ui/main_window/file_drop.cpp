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
enum class Reason { NotLocal, Missing, Folder, NotEps, OtherFolder };

struct Refused
{
    QString name;
    Reason reason;
};

QString reasonText(Reason reason, const QByteArray &folder)
{
    switch (reason) {
    case Reason::NotLocal:
        return QStringLiteral("pas un fichier de cet ordinateur");
    case Reason::Missing:
        return QStringLiteral("introuvable");
    case Reason::Folder:
        return QStringLiteral("un dossier, déposé avec des fichiers");
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

FileDrop planPaths(const std::vector<Dropped> &dropped)
{
    FileDrop drop;
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
    for (const QByteArray &folder : folders)
        refused.push_back({quoted(folder), Reason::Folder});
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
                     reasonText(refused[i].reason, drop.folder);
    if (refused.size() > namesShown)
        lines << QStringLiteral("et %1 autres").arg(refused.size() - namesShown);
    drop.leftOut =
        (refused.size() == 1 ? QStringLiteral("Un élément déposé n'a pas été ajouté :\n")
                             : QStringLiteral("%1 éléments déposés n'ont pas été ajoutés :\n")
                                   .arg(refused.size())) +
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
    return planPaths(dropped);
}

FileDrop FileDrop::plan(const std::vector<QByteArray> &paths)
{
    std::vector<Dropped> dropped;
    dropped.reserve(paths.size());
    for (const QByteArray &path : paths)
        dropped.push_back({path, {}});
    return planPaths(dropped);
}

QString FileDrop::report() const
{
    if (leftOut.isEmpty() || names.empty())
        return leftOut;
    // Said first, so that a refusal does not read as if the whole drop had failed.
    const qsizetype added = QSet<QByteArray>(names.begin(), names.end()).size();
    return (added == 1 ? QStringLiteral("Un fichier déposé a été ajouté.\n")
                       : QStringLiteral("%1 fichiers déposés ont été ajoutés.\n").arg(added)) +
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
