#include "preview/pixels_message.h"

#include <QDataStream>
#include <QIODevice>
#include <cstring>

namespace preview::PixelsMessage {

namespace {

constexpr char mark[4] = {'B', 'K', 'P', 'X'};
constexpr qsizetype headerSize = sizeof mark + 2 * sizeof(quint32);

} // namespace

QByteArray encode(const QImage &image)
{
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    const auto rowBytes = static_cast<qsizetype>(pixels.width()) * 4;
    QByteArray message;
    message.reserve(headerSize + rowBytes * pixels.height());
    message.append(mark, sizeof mark);
    QDataStream header(&message, QIODevice::Append);
    header << quint32(pixels.width()) << quint32(pixels.height());
    for (int y = 0; y < pixels.height(); ++y)
        message.append(reinterpret_cast<const char *>(pixels.constScanLine(y)), rowBytes);
    return message;
}

QImage decode(const QByteArray &message)
{
    if (message.size() < headerSize || std::memcmp(message.constData(), mark, sizeof mark) != 0)
        return {};
    quint32 width = 0;
    quint32 height = 0;
    QDataStream header(message.mid(sizeof mark, 2 * sizeof(quint32)));
    header >> width >> height;
    const qint64 rowBytes = qint64{width} * 4;
    if (width == 0 || height == 0 || rowBytes * height > pixelsLimit ||
        message.size() != headerSize + rowBytes * height)
        return {};
    QImage image(int(width), int(height), QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(image.scanLine(y), message.constData() + headerSize + rowBytes * y,
                    static_cast<std::size_t>(rowBytes));
    return image;
}

} // namespace preview::PixelsMessage
