#include "item_verbs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

QString ItemVerbs::chooseVerb(const shell::ShellFolder &folder, const shell::ItemId &child,
                              const QPoint &globalPos, QWidget *parent)
{
    const QList<shell::actions::Verb> verbs = shell::actions::verbsFor(folder, child);
    if (verbs.isEmpty())
        return {};
    QMenu menu(parent);
    for (const shell::actions::Verb &v : verbs) {
        if (v.separatorBefore)
            menu.addSeparator();
        QAction *action = menu.addAction(v.label);
        action->setObjectName(v.verb);
        action->setData(v.verb);
        action->setEnabled(v.enabled);
    }
    const QAction *chosen = menu.exec(globalPos);
    return chosen ? chosen->data().toString() : QString();
}

shell::actions::VerbResult ItemVerbs::run(const QString &verb, const shell::ShellFolder &folder,
                                          const shell::ItemId &child, QWidget *parent)
{
    if (!is(verb, shell::actions::OpenVerb))
        return shell::actions::invokeVerb(verb, folder, child, parent);
    const QString previous = QDir::currentPath();
    if (const std::optional<QByteArray> path = folder.fileSystemPath(child))
        QDir::setCurrent(QFileInfo(QFile::decodeName(*path)).path());
    shell::actions::VerbResult result = shell::actions::invokeVerb(verb, folder, child, parent);
    // The working directory belongs to the whole process: it goes back even when the command
    // failed, or every later relative path would be resolved elsewhere.
    QDir::setCurrent(previous);
    return result;
}
