#pragma once

// The views' access to what an item offers besides browsing: its context-menu verbs, running
// them, opening a file with its default application, and its icon.

#include "shell/shell_namespace.h"

#include <QIcon>
#include <QString>

class QWidget;

class ItemVerbs
{
public:
    struct Verb
    {
        QString verb;
        QString label;
        bool enabled = true;
        bool separatorBefore = false;
    };
    struct Result
    {
        bool succeeded = false;
        QString message;
    };

    static QList<Verb> verbsFor(const shell::ShellFolder &folder, const shell::ItemId &child);
    static Result invoke(const QString &verb, const shell::ShellFolder &folder,
                         const shell::ItemId &child, QWidget *parent);
    // As invoke; "open" runs in the item's directory, the working directory restored afterwards.
    static Result run(const QString &verb, const shell::ShellFolder &folder,
                      const shell::ItemId &child, QWidget *parent);
    static bool open(const shell::ShellFolder &folder, const shell::ItemId &child);
    static QIcon icon(const shell::ShellFolder &folder, const shell::ItemId &child,
                      quint32 attributes, bool open = false);
};
