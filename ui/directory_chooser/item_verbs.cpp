#include "item_verbs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef BRAKWEN_HAVE_SHELL_ACTIONS
#include "shell/actions/item_actions.h"
#else
#include <QDesktopServices>
#include <QFile>
#include <QFileIconProvider>
#include <QUrl>
#endif

ItemVerbs::Result ItemVerbs::run(const QString &verb, const shell::ShellFolder &folder,
                                 const shell::ItemId &child, QWidget *parent)
{
    if (verb.compare(QLatin1String("open"), Qt::CaseInsensitive) != 0)
        return invoke(verb, folder, child, parent);
    const QString previous = QDir::currentPath();
    if (const std::optional<QByteArray> path = folder.fileSystemPath(child))
        QDir::setCurrent(QFileInfo(QFile::decodeName(*path)).path());
    const Result result = invoke(verb, folder, child, parent);
    // The working directory belongs to the whole process: it goes back even when the command
    // failed, or every later relative path would be resolved elsewhere.
    QDir::setCurrent(previous);
    return result;
}

#ifdef BRAKWEN_HAVE_SHELL_ACTIONS

QList<ItemVerbs::Verb> ItemVerbs::verbsFor(const shell::ShellFolder &folder,
                                           const shell::ItemId &child)
{
    QList<Verb> verbs;
    for (const shell::actions::Verb &v : shell::actions::verbsFor(folder, child))
        verbs.append({v.verb, v.label, v.enabled, v.separatorBefore});
    return verbs;
}

ItemVerbs::Result ItemVerbs::invoke(const QString &verb, const shell::ShellFolder &folder,
                                    const shell::ItemId &child, QWidget *parent)
{
    const shell::actions::VerbResult r = shell::actions::invokeVerb(verb, folder, child, parent);
    return {r.succeeded, r.message};
}

bool ItemVerbs::open(const shell::ShellFolder &folder, const shell::ItemId &child)
{
    return shell::actions::openItem(folder, child);
}

QIcon ItemVerbs::icon(const shell::ShellFolder &folder, const shell::ItemId &child, quint32,
                      bool open)
{
    return shell::actions::iconFor(folder, child, open);
}

#else

// Without the namespace's actions library the views still rename, open files and show icons.

QList<ItemVerbs::Verb> ItemVerbs::verbsFor(const shell::ShellFolder &folder,
                                           const shell::ItemId &child)
{
    QList<Verb> verbs;
    if (folder.attributesOf(child) & shell::CanRename)
        verbs.append({QStringLiteral("rename"), QStringLiteral("Renommer"), true, false});
    return verbs;
}

ItemVerbs::Result ItemVerbs::invoke(const QString &, const shell::ShellFolder &,
                                    const shell::ItemId &, QWidget *)
{
    return {};
}

bool ItemVerbs::open(const shell::ShellFolder &folder, const shell::ItemId &child)
{
    const std::optional<QByteArray> path = folder.fileSystemPath(child);
    return path && QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(*path)));
}

QIcon ItemVerbs::icon(const shell::ShellFolder &folder, const shell::ItemId &child,
                      quint32 attributes, bool)
{
    static const QFileIconProvider provider;
    if (!(attributes & shell::Folder))
        return provider.icon(QFileIconProvider::File);
    return provider.icon(folder.fileSystemPath(child) ? QFileIconProvider::Folder
                                                      : QFileIconProvider::Computer);
}

#endif
