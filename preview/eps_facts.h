#pragma once

// What the preview needs to know of an EPS file before rendering it: its bounding box, its size,
// and, for a DOS EPS, where its PostScript section and its TIFF preview lie.

#include "eps/bounding_box.h"

#include <QByteArray>
#include <QDateTime>
#include <optional>

namespace preview {

struct EpsFacts
{
    bool readable = false;
    qint64 fileSize = 0;
    QDateTime modified;
    std::optional<eps::BoundingBox> box;
    qint64 postScriptOffset = 0; // the whole file, for a plain EPS
    qint64 postScriptLength = 0;
    qint64 tiffOffset = 0; // length 0: no TIFF preview
    qint64 tiffLength = 0;
};

// Reads the facts of the file at path (the file system's own bytes), with flat memory whatever
// its size; readable is false when it cannot be opened or is no regular file.
EpsFacts readEpsFacts(const QByteArray &path);

} // namespace preview
