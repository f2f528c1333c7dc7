#pragma once

// The context menu both views show for an item, and how a verb chosen there runs from a view.

#include "shell/actions/item_actions.h"
#include "shell/shell_namespace.h"

#include <QPoint>
#include <QString>

class QAbstractItemView;
class QModelIndex;
class QWidget;

class ItemVerbs
{
public:
    // Shows the item's menu at `globalPos`; the chosen verb, or empty when none was chosen or
    // the item offers none. Each entry carries its verb as object name.
    static QString chooseVerb(const shell::ShellFolder &folder, const shell::ItemId &child,
                              const QPoint &globalPos, QWidget *parent);
    // Runs `verb` (compared ignoring case) on `child`: "open" from the item's own folder with
    // its default application, "cut"/"copy"/"paste" through the desktop's clipboard (pasting
    // into `child` when it is a folder, else beside it), "properties" as a dialog over `parent`.
    // "rename" is the views' and never succeeds here. Shows no message box.
    static shell::actions::VerbResult run(const QString &verb, const shell::ShellFolder &folder,
                                          const shell::ItemId &child, QWidget *parent);
    // Runs a verb chosen in `view`: "rename" starts editing `label` and goes no further; any
    // other runs on the item, "open" from the item's own folder, and a failure is shown over
    // `view`. True when the verb ran and succeeded: the view then shows what it changed.
    static bool runInView(const QString &verb, const shell::ShellFolder &folder,
                          const shell::ItemId &child, QAbstractItemView *view,
                          const QModelIndex &label);
    static bool is(const QString &verb, QLatin1String name)
    {
        return verb.compare(name, Qt::CaseInsensitive) == 0;
    }
};
