#include "item_actions.h"

#include "file_clipboard.h"
#include "home_trash.h"
#include "paste_operation.h"
#include "properties_dialog.h"
#include "shell/raw_path.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileIconProvider>
#include <QGuiApplication>
#include <QMimeDatabase>
#include <QUrl>

namespace shell::actions {

namespace {

std::optional<QByteArray> pathOf(const ShellFolder &folder, const ItemId &child)
{
    std::optional<QByteArray> path = folder.fileSystemPath(child);
    if (path && path->isEmpty())
        return std::nullopt;
    return path;
}

VerbResult failure(const QString &message)
{
    return VerbResult{false, message};
}

VerbResult deleteToTrash(const QByteArray &path)
{
    const QString text = QFile::decodeName(path);
    // Qt's trash takes text paths: a name that is not UTF-8 would reach it as another name, so
    // such names go through our own trash code, which keeps the bytes.
    const bool qtCanName = QFile::encodeName(text) == path;
    // Qt falls back to the working directory, calling that the trash, when it cannot set up the
    // home trash (a new account has no ~/.local/share yet): the home trash is made beforehand.
    const bool trashed = HomeTrash::prepare() &&
                         (qtCanName ? QFile(text).moveToTrash() : HomeTrash::moveToTrash(path));
    if (!trashed)
        return failure(QStringLiteral("«\u00A0%1\u00A0» n'a pu être mis à la corbeille").arg(text));
    return {true, {}};
}

VerbResult paste(const ShellFolder &folder, const ItemId &child, const QByteArray &path)
{
    const QByteArray target = (folder.attributesOf(child) & Folder) ? path : parentOf(path);
    const FileClipboard::Content content = FileClipboard::take();
    if (content.paths.isEmpty())
        return failure(QStringLiteral("Le presse-papiers ne contient aucun fichier"));
    const PasteOperation::Result result = PasteOperation::run(content.paths, target, content.cut);
    // Moved files are no longer where the clipboard says: pasting them twice would fail.
    if (content.cut && result.errors.isEmpty())
        FileClipboard::clear();
    // Entries pasted before another failed are there: the views must show them, so a paste
    // that made anything counts as done, with the failures in its message.
    return {result.errors.isEmpty() || !result.created.isEmpty(),
            result.errors.join(QLatin1Char('\n'))};
}

QUrl urlOf(const QByteArray &path)
{
    return QUrl::fromEncoded("file://" + path.toPercentEncoding("/"));
}

} // namespace

QList<Verb> verbsFor(const ShellFolder &folder, const ItemId &child)
{
    const quint32 attributes = folder.attributesOf(child);
    const bool hasPath = pathOf(folder, child).has_value();
    const bool canRename = (attributes & CanRename) != 0;
    const bool hasClipboard = qobject_cast<QGuiApplication *>(QCoreApplication::instance()) &&
                              FileClipboard::holdsFiles();
    QList<Verb> verbs;
    verbs.append({OpenVerb, QStringLiteral("Ouvrir"), hasPath, false});
    verbs.append({CutVerb, QStringLiteral("Couper"), hasPath && canRename, true});
    verbs.append({CopyVerb, QStringLiteral("Copier"), hasPath, false});
    verbs.append({PasteVerb, QStringLiteral("Coller"), hasPath && hasClipboard, false});
    verbs.append({DeleteVerb, QStringLiteral("Supprimer"), hasPath && canRename, true});
    verbs.append({RenameVerb, QStringLiteral("Renommer"), canRename, false});
    verbs.append({PropertiesVerb, QStringLiteral("Propriétés"), true, true});
    return verbs;
}

VerbResult invokeVerb(const QString &verb, const ShellFolder &folder, const ItemId &child,
                      QWidget *parent)
{
    const auto is = [&](QLatin1String name) {
        return verb.compare(name, Qt::CaseInsensitive) == 0;
    };
    if (is(PropertiesVerb)) {
        PropertiesDialog dialog(ItemFacts::of(folder, child), parent);
        dialog.exec();
        return {true, {}};
    }
    if (is(RenameVerb))
        return failure({});
    const std::optional<QByteArray> path = pathOf(folder, child);
    if (!path)
        return failure(QStringLiteral("Cet élément n'est pas dans le système de fichiers"));
    if (is(OpenVerb))
        return openItem(folder, child)
                   ? VerbResult{true, {}}
                   : failure(QStringLiteral("Impossible d'ouvrir «\u00A0%1\u00A0»")
                                 .arg(QFile::decodeName(*path)));
    if (is(CutVerb) || is(CopyVerb)) {
        FileClipboard::put({*path}, is(CutVerb));
        return {true, {}};
    }
    if (is(PasteVerb))
        return paste(folder, child, *path);
    if (is(DeleteVerb)) {
        if ((folder.attributesOf(child) & CanRename) == 0)
            return failure(QStringLiteral("Cet élément ne peut être supprimé"));
        return deleteToTrash(*path);
    }
    return failure(QStringLiteral("Commande inconnue : %1").arg(verb));
}

bool openItem(const ShellFolder &folder, const ItemId &child)
{
    const std::optional<QByteArray> path = pathOf(folder, child);
    return path && QDesktopServices::openUrl(urlOf(*path));
}

QIcon iconFor(const ShellFolder &folder, const ItemId &child, bool open)
{
    const quint32 attributes = folder.attributesOf(child);
    const QString name = folder.iconNameOf(child, open);
    if (!name.isEmpty() && QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    QFileIconProvider provider;
    if (name == QLatin1String("computer"))
        return provider.icon(QAbstractFileIconProvider::Computer);
    if (name.startsWith(QLatin1String("drive-")))
        return provider.icon(QAbstractFileIconProvider::Drive);
    if (attributes & Folder)
        return QIcon::fromTheme(open ? QStringLiteral("folder-open") : QStringLiteral("folder"),
                                provider.icon(QAbstractFileIconProvider::Folder));
    // A theme without the type's own icon often has its family's ("image-x-generic").
    const QList<QMimeType> types =
        QMimeDatabase().mimeTypesForFileName(folder.displayNameOf(child, NameForm::InFolder));
    const QIcon file = provider.icon(QAbstractFileIconProvider::File);
    return types.isEmpty() ? file : QIcon::fromTheme(types.constFirst().genericIconName(), file);
}

} // namespace shell::actions
