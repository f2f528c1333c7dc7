#pragma once

// The facts the properties dialog shows about one item.

#include "shell/shell_namespace.h"

namespace shell::actions {

struct ItemFacts
{
    QString name;
    QString type;
    QString location; // the folder that holds it; empty for virtual items
    QString size;     // files only: "12,3 Ko (12 595 octets)"
    QString modified;

    static ItemFacts of(const ShellFolder &folder, const ItemId &child);
};

} // namespace shell::actions
