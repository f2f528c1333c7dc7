#pragma once

// Builds the contents list's columns for one folder from whatever column protocol it answers.

#include "list_column.h"
#include "shell/shell_namespace.h"

#include <QList>

class ColumnSet
{
public:
    // `fileSystem`: the folder belongs to the file system, which gives it the four built-in
    // columns when it describes none of its own.
    static QList<ListColumn> build(const shell::ShellFolder &folder, bool fileSystem);

private:
    static QList<ListColumn> described(const shell::ShellFolder &folder);
    static QList<ListColumn> details(const shell::ShellFolder &folder);
    static QList<ListColumn> builtin(bool fileSystem);
    // False when the description was skipped (empty or repeated header).
    static bool offer(QList<ListColumn> &columns, const shell::ColumnDescription &d, int column);
};
