#include "glyph_picture.h"

#include <QPixmap>

namespace {

// Black maps to this grey, white stays white: about the shade of disabled captions.
constexpr int DarkestGrey = 160;

} // namespace

QIcon GlyphPicture::icon(const QString &resource)
{
    const QImage picture(resource);
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(picture), QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(greyed(picture)), QIcon::Disabled);
    return icon;
}

QImage GlyphPicture::greyed(const QImage &picture)
{
    QImage result = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            const int grey = DarkestGrey + qGray(line[x]) * (255 - DarkestGrey) / 255;
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]));
        }
    }
    return result;
}
