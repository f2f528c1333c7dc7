#pragma once

// The pixels a decoder process hands back to the window: a short header (a mark, the width and
// the height) and the rows of 32-bit ARGB pixels, one after the other. The window reads nothing
// else from that process, so a decoder gone wrong can at worst give a wrong picture.

#include <QByteArray>
#include <QImage>

namespace preview::PixelsMessage {

// What a TIFF picture may weigh, and what its pixels may.
inline constexpr qint64 tiffLimit = qint64{64} * 1024 * 1024;
inline constexpr qint64 pixelsLimit = qint64{256} * 1024 * 1024;

QByteArray encode(const QImage &image);
// The picture, or a null image when the message is not one whole picture within the limit.
QImage decode(const QByteArray &message);

} // namespace preview::PixelsMessage
