#pragma once

namespace posix {

// Renames from (in fromFolder) to to (in toFolder) without ever replacing an existing entry:
// renameat2's no-replace flag makes the test and the rename one step where the file system offers
// it; elsewhere the target is tested first. Folders are descriptors or AT_FDCWD. Returns false
// with errno set (EEXIST when the target exists).
bool renameNoReplace(int fromFolder, const char *from, int toFolder, const char *to);

} // namespace posix
