#pragma once

// The context menu both views show for an item, and how its verbs run from a view.

#include "shell/actions/item_actions.h"
#include "shell/shell_namespace.h"

#include <QPoint>
#include <QString>

class QWidget;

class ItemVerbs
{
public:
    // Shows the item's menu at `globalPos`; the chosen verb, or empty when none was chosen or
    // the item offers none. Each entry carries its verb as object name.
    static QString chooseVerb(const shell::ShellFolder &folder, const shell::ItemId &child,
                              const QPoint &globalPos, QWidget *parent);
    // Runs a verb; "open" runs in the item's directory, the working directory restored after.
    static shell::actions::VerbResult run(const QString &verb, const shell::ShellFolder &folder,
                                          const shell::ItemId &child, QWidget *parent);
    static bool is(const QString &verb, QLatin1String name)
    {
        return verb.compare(name, Qt::CaseInsensitive) == 0;
    }
};
