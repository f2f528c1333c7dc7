#include "item_actions.h"

#include "assembly/failure_cause.h"
#include "paste_operation.h"
#include "shell/raw_path.h"
#include "trash/trash.h"

#include <QFile>

namespace shell::actions {

namespace {

VerbResult failure(const QString &message)
{
    return VerbResult{false, message};
}

} // namespace

std::optional<QByteArray> itemPath(const ShellFolder &folder, const ItemId &child)
{
    std::optional<QByteArray> path = folder.fileSystemPath(child);
    if (path && path->isEmpty())
        return std::nullopt;
    return path;
}

VerbResult notInFileSystem()
{
    return failure(QStringLiteral("Cet élément n'est pas dans le système de fichiers"));
}

QList<Verb> verbsFor(const ShellFolder &folder, const ItemId &child, bool filesToPaste)
{
    const quint32 attributes = folder.attributesOf(child);
    const bool hasPath = itemPath(folder, child).has_value();
    const bool canRename = (attributes & CanRename) != 0;
    QList<Verb> verbs;
    verbs.append({OpenVerb, QStringLiteral("Ouvrir"), hasPath, false});
    verbs.append({CutVerb, QStringLiteral("Couper"), hasPath && canRename, true});
    verbs.append({CopyVerb, QStringLiteral("Copier"), hasPath, false});
    verbs.append({PasteVerb, QStringLiteral("Coller"), hasPath && filesToPaste, false});
    verbs.append({DeleteVerb, QStringLiteral("Supprimer"), hasPath && canRename, true});
    verbs.append({RenameVerb, QStringLiteral("Renommer"), canRename, false});
    verbs.append({PropertiesVerb, QStringLiteral("Propriétés"), true, true});
    return verbs;
}

VerbResult deleteItem(const ShellFolder &folder, const ItemId &child)
{
    const std::optional<QByteArray> path = itemPath(folder, child);
    if (!path)
        return notInFileSystem();
    if ((folder.attributesOf(child) & CanRename) == 0)
        return failure(QStringLiteral("Cet élément ne peut être supprimé"));
    // The shared trash keeps a name's bytes, UTF-8 or not, and makes the trash where a new
    // account has none yet.
    if (!trash::moveToTrash(path->toStdString())) {
        const QString reason = QString::fromStdString(assembly::reasonForErrno(errno));
        return failure(QStringLiteral("«\u00A0%1\u00A0» n'a pu être mis à la corbeille : %2")
                           .arg(QFile::decodeName(*path), reason));
    }
    return {true, {}};
}

PasteResult pasteFiles(const ShellFolder &folder, const ItemId &child,
                       const FileClipboard::Content &content)
{
    const std::optional<QByteArray> path = itemPath(folder, child);
    if (!path)
        return {notInFileSystem()};
    if (content.paths.isEmpty())
        return {failure(QStringLiteral("Le presse-papiers ne contient aucun fichier"))};
    const QByteArray target = (folder.attributesOf(child) & Folder) ? *path : parentOf(*path);
    const PasteOperation::Result pasted = PasteOperation::run(content.paths, target, content.cut);
    // Entries pasted before another failed are there: the views must show them, so a paste
    // that made anything counts as done, with the failures in its message.
    PasteResult result;
    result.result = {pasted.errors.isEmpty() || !pasted.created.isEmpty(),
                     pasted.errors.join(QLatin1Char('\n'))};
    // Moved files are no longer where the clipboard says: pasting them twice would fail.
    result.clipboardSpent = content.cut && pasted.errors.isEmpty();
    return result;
}

} // namespace shell::actions
