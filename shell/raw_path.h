#pragma once

// Path arithmetic on raw file-system paths: names are bytes here and need not be valid UTF-8,
// so QDir and QFileInfo, which go through text, cannot be used. The rules are those of
// posix/path.h; a trailing separator, with which a folder's path may be written, is ignored.

#include <QByteArray>

namespace shell {

// folder + "/" + name; a folder that already ends in "/" gets no second one.
QByteArray joinPath(const QByteArray &folder, const QByteArray &name);
// The last name of the path.
QByteArray baseNameOf(const QByteArray &path);
// The folder holding the path: "/" for an entry of the root, "." for a bare name.
QByteArray parentOf(const QByteArray &path);

} // namespace shell
