#pragma once

// Path arithmetic on raw file-system paths: names are bytes here and need not be valid UTF-8,
// so QDir and QFileInfo, which go through text, cannot be used.

#include <QByteArray>

namespace shell::actions {

QByteArray joinPath(const QByteArray &folder, const QByteArray &name);
// The last name of the path, trailing separators ignored.
QByteArray baseNameOf(QByteArray path);
// The folder holding the path, trailing separators ignored; "/" for an entry of the root.
QByteArray parentOf(QByteArray path);

} // namespace shell::actions
