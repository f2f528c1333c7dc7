#pragma once

// What the folder views offer on an item besides browsing: the context-menu verbs with their
// French labels, the default action (open with the default application) and the item's icon from
// the desktop's icon theme. Works with any namespace through the ShellFolder interface.

#include "shell/shell_namespace.h"

#include <QIcon>
#include <QLatin1String>

class QWidget;

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

// The verbs of `child`'s context menu, in menu order. Empty when the item offers none.
QList<Verb> verbsFor(const ShellFolder &folder, const ItemId &child);

// Runs `verb` (compared ignoring case) on `child` of `folder`. "rename" is the views' to handle
// and never succeeds here. "paste" pastes into `child` when it is a folder, else beside it.
// "properties" shows a modal dialog over `parent`. Shows no message box: the caller decides.
VerbResult invokeVerb(const QString &verb, const ShellFolder &folder, const ItemId &child,
                      QWidget *parent = nullptr);

// The default action on a file (double-click, Enter): opens it with its default application.
bool openItem(const ShellFolder &folder, const ItemId &child);

// The item's icon from the desktop theme; `open` gives the open-state icon of a folder.
QIcon iconFor(const ShellFolder &folder, const ItemId &child, bool open = false);

} // namespace shell::actions
