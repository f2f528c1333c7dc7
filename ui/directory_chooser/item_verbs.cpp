#include "item_verbs.h"

#include "default_error_box.h"
#include "properties_dialog.h"
#include "shell/actions/file_clipboard.h"
#include "shell/actions/item_facts.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QUrl>
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

shell::actions::FileClipboard::Content clipboardFiles()
{
    return shell::actions::FileClipboard::decode(QGuiApplication::clipboard()->mimeData());
}

shell::actions::VerbResult open(const shell::ShellFolder &folder, const shell::ItemId &child)
{
    const std::optional<QByteArray> path = shell::actions::itemPath(folder, child);
    if (!path)
        return shell::actions::notInFileSystem();
    // A program started on a file expects to start in the file's folder.
    const WorkingDirectoryChange inItsFolder(QFileInfo(QFile::decodeName(*path)).path());
    if (QDesktopServices::openUrl(QUrl::fromEncoded("file://" + path->toPercentEncoding("/"))))
        return {true, {}};
    return {false,
            QStringLiteral("Impossible d'ouvrir «\u00A0%1\u00A0»").arg(QFile::decodeName(*path))};
}

shell::actions::VerbResult putOnClipboard(const shell::ShellFolder &folder,
                                          const shell::ItemId &child, bool cut)
{
    const std::optional<QByteArray> path = shell::actions::itemPath(folder, child);
    if (!path)
        return shell::actions::notInFileSystem();
    QGuiApplication::clipboard()->setMimeData(
        shell::actions::FileClipboard::encode({*path}, cut).release());
    return {true, {}};
}

shell::actions::VerbResult paste(const shell::ShellFolder &folder, const shell::ItemId &child)
{
    const shell::actions::PasteResult pasted =
        shell::actions::pasteFiles(folder, child, clipboardFiles());
    if (pasted.clipboardSpent)
        QGuiApplication::clipboard()->clear();
    return pasted.result;
}

} // namespace

shell::actions::VerbResult ItemVerbs::run(const QString &verb, const shell::ShellFolder &folder,
                                          const shell::ItemId &child, QWidget *parent)
{
    if (is(verb, shell::actions::PropertiesVerb)) {
        PropertiesDialog dialog(shell::actions::ItemFacts::of(folder, child), parent);
        dialog.exec();
        return {true, {}};
    }
    if (is(verb, shell::actions::OpenVerb))
        return open(folder, child);
    if (is(verb, shell::actions::CutVerb) || is(verb, shell::actions::CopyVerb))
        return putOnClipboard(folder, child, is(verb, shell::actions::CutVerb));
    if (is(verb, shell::actions::PasteVerb))
        return paste(folder, child);
    if (is(verb, shell::actions::DeleteVerb))
        return shell::actions::deleteItem(folder, child);
    // "rename" is the views' own: it never runs here.
    return {false, is(verb, shell::actions::RenameVerb)
                       ? QString()
                       : QStringLiteral("Commande inconnue : %1").arg(verb)};
}

QString ItemVerbs::chooseVerb(const shell::ShellFolder &folder, const shell::ItemId &child,
                              const QPoint &globalPos, QWidget *parent)
{
    const QList<shell::actions::Verb> verbs =
        shell::actions::verbsFor(folder, child, !clipboardFiles().paths.isEmpty());
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
