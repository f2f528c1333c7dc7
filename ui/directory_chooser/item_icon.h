#pragma once

// An item's icon from the desktop's icon theme, with Qt's own icons where the theme has none.

#include "shell/shell_namespace.h"

#include <QIcon>

class ItemIcon
{
public:
    // `open` gives the open-state icon of a folder.
    static QIcon of(const shell::ShellFolder &folder, const shell::ItemId &child,
                    bool open = false);
};
