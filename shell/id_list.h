#pragma once

// Operations on full identifier lists (desktop down to an item) that any namespace answers
// through its folders: what the views need to tell a node for a path and to open a folder.

#include "shell_namespace.h"

namespace shell {

// Opens the folder that `ids` names, walking down from the desktop; the empty list is the
// desktop. nullptr when an item on the way is not a folder or cannot be opened.
std::unique_ptr<ShellFolder> bindFolder(const ShellNamespace &ns, const IdList &ids);

// Whether two full identifier lists stand for the same item. `parentOfA` is the folder holding
// the last identifier of `a`: its comparison decides for that level, as the namespace may spell
// one item's identifier in several ways.
bool sameItem(const ShellFolder *parentOfA, const IdList &a, const IdList &b);

} // namespace shell
