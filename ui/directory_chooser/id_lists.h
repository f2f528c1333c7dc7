#pragma once

// Small operations on identifier lists shared by both views.

#include "shell/shell_namespace.h"

#include <memory>

namespace chooser {

// The folder object for `ids`, opened level by level from the desktop; nullptr when a level
// cannot be opened. The empty list gives the desktop.
std::shared_ptr<shell::ShellFolder> bindFolder(const shell::ShellNamespace &ns,
                                               const shell::IdList &ids);

// Whether two full identifier lists stand for the same item. `parentOfA` is the folder holding
// the last identifier of `a`: its comparison decides for that level, as the namespace may spell
// one item's identifier in several ways.
bool sameItem(const shell::ShellFolder *parentOfA, const shell::IdList &a, const shell::IdList &b);

} // namespace chooser
