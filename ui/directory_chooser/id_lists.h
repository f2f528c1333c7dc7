#pragma once

// How the views tell that a node or the list folder stands for a given item.

#include "shell/shell_namespace.h"

namespace chooser {

// Whether two full identifier lists stand for the same item. `parentOfA` is the folder holding
// the last identifier of `a`: its comparison decides for that level, as the namespace may spell
// one item's identifier in several ways.
bool sameItem(const shell::ShellFolder *parentOfA, const shell::IdList &a, const shell::IdList &b);

} // namespace chooser
