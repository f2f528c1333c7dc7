#pragma once

// Finding the item of a folder named by the file system's own bytes. A name that is not valid
// text decodes to replacement characters, and that text names no folder: such a path must reach
// the namespace without passing through text.

#include "shell/shell_namespace.h"

#include <QByteArray>
#include <optional>

namespace chooser {

// The identifiers of the existing folder at the absolute `path`. A path whose bytes survive
// decoding is parsed as its text; otherwise its longest leading part that does is parsed, and
// the remaining components, which the namespace names by their raw bytes, are added below it.
// nullopt when the path is relative, holds "..", or names no folder.
std::optional<shell::IdList> parseFileSystemPath(const shell::ShellNamespace &ns,
                                                 const QByteArray &path);

} // namespace chooser
