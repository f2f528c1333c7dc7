#pragma once

// Operations on full identifier lists (desktop down to an item) that any namespace answers
// through its folders: what the views need to find a node for a path and to open a folder.

#include "shell_namespace.h"

namespace shell {

// Opens the folder that `ids` names, walking down from the desktop; the empty list is the
// desktop. nullptr when an item on the way is not a folder or cannot be opened.
std::unique_ptr<ShellFolder> bindFolder(const ShellNamespace &ns, const IdList &ids);

// Orders two full identifier lists: an ancestor before its descendants, otherwise the order the
// first differing item has in its parent folder. Zero only when both name the same item.
int compareIdLists(const ShellNamespace &ns, const IdList &a, const IdList &b);

// The name of the item that `ids` names, asked of its parent folder; empty for the desktop or
// when an item on the way cannot be opened.
QString displayNameOfIdList(const ShellNamespace &ns, const IdList &ids, NameForm form);

} // namespace shell
