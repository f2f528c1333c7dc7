#pragma once

// What the folder views offer on an item besides browsing: the context-menu verbs with their
// French labels, and the work behind those that change files (delete, paste). Works with any
// namespace through the ShellFolder interface. The desktop's part (its clipboard, the default
// application, icons, the properties dialog) is the views'.

#include "file_clipboard.h"
#include "shell/shell_namespace.h"

#include <QByteArray>
#include <QLatin1String>
#include <optional>

namespace shell::actions {

// Verb strings of the context menu; the views compare them ignoring case.
inline constexpr QLatin1String OpenVerb{"open"};
inline constexpr QLatin1String CutVerb{"cut"};
inline constexpr QLatin1String CopyVerb{"copy"};
inline constexpr QLatin1String PasteVerb{"paste"};
inline constexpr QLatin1String DeleteVerb{"delete"};
inline constexpr QLatin1String RenameVerb{"rename"};
inline constexpr QLatin1String PropertiesVerb{"properties"};

struct Verb
{
    QString verb;  // one of the verb strings above
    QString label; // menu text: "Ouvrir", "Couper", "Copier", "Coller", "Supprimer", "Renommer",
                   // "Propriétés"
    bool enabled = true;
    bool separatorBefore = false;
};

struct VerbResult
{
    bool succeeded = false;
    QString message; // why it failed, in French; empty on full success, and on a paste that
                     // succeeded in part, what could not be pasted
};

// The verbs of `child`'s context menu, in menu order, "Coller" enabled only when the clipboard
// holds files (`filesToPaste`). Empty when the item offers none.
QList<Verb> verbsFor(const ShellFolder &folder, const ItemId &child, bool filesToPaste);

// Where `child` is in the file system; nothing for an item that is not a file or folder there.
std::optional<QByteArray> itemPath(const ShellFolder &folder, const ItemId &child);
// What a verb that needs such a path answers on an item that has none.
VerbResult notInFileSystem();

// Moves `child` into the user's trash; items that cannot be renamed cannot be deleted.
VerbResult deleteItem(const ShellFolder &folder, const ItemId &child);

struct PasteResult
{
    VerbResult result;
    // The files were moved: the clipboard no longer says where they are, and is to be cleared.
    bool clipboardSpent = false;
};

// Pastes the files `content` names into `child` when it is a folder, else beside it.
PasteResult pasteFiles(const ShellFolder &folder, const ItemId &child,
                       const FileClipboard::Content &content);

} // namespace shell::actions
