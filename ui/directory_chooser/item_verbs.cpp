#include "item_verbs.h"

#include "default_error_box.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <optional>

namespace {

// The process works in `folder` for as long as this lives. The working directory belongs to the
// whole process: it goes back however the command ends, or every later relative path would be
// resolved elsewhere.
class WorkingDirectoryChange
{
public:
    explicit WorkingDirectoryChange(const QString &folder) : m_previous(QDir::currentPath())
    {
        QDir::setCurrent(folder);
    }
    ~WorkingDirectoryChange() { QDir::setCurrent(m_previous); }
    WorkingDirectoryChange(const WorkingDirectoryChange &) = delete;
    WorkingDirectoryChange &operator=(const WorkingDirectoryChange &) = delete;

private:
    QString m_previous;
};

shell::actions::VerbResult run(const QString &verb, const shell::ShellFolder &folder,
                               const shell::ItemId &child, QWidget *parent)
{
    // A program started on a file expects to start in the file's folder.
    std::optional<WorkingDirectoryChange> inItsFolder;
    if (ItemVerbs::is(verb, shell::actions::OpenVerb)) {
        if (const std::optional<QByteArray> path = folder.fileSystemPath(child))
            inItsFolder.emplace(QFileInfo(QFile::decodeName(*path)).path());
    }
    return shell::actions::invokeVerb(verb, folder, child, parent);
}

} // namespace

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

bool ItemVerbs::runInView(const QString &verb, const shell::ShellFolder &folder,
                          const shell::ItemId &child, QAbstractItemView *view,
                          const QModelIndex &label)
{
    if (is(verb, shell::actions::RenameVerb)) {
        if (label.isValid())
            view->edit(label);
        return false;
    }
    const shell::actions::VerbResult result = run(verb, folder, child, view);
    if (!result.succeeded && !result.message.isEmpty())
        DefaultErrorBox::show(result.message, view);
    return result.succeeded;
}
