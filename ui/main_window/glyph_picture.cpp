#include "glyph_picture.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

namespace {

const QColor Black(0, 0, 0);
const QColor DarkYellow(0x80, 0x80, 0x00);
const QColor Yellow(0xff, 0xff, 0x00);

// Greys that read as disabled: black maps to the first, white to the second. On a light face,
// about the shade of disabled captions; on a dark one, dim but clear of the face.
constexpr int LightFaceDarkest = 160;
constexpr int DarkFaceDarkest = 100;
constexpr int DarkFaceLightest = 165;

QPolygonF triangle(QPointF a, QPointF b, QPointF c)
{
    return QPolygonF({a, b, c});
}

// Shapes in the 16 x 16 grid, edges on pixel boundaries, outlines through pixel centres: filled
// without smoothing at 96 dpi they give the classic pictures' pixels.
void drawArrows(QPainter &painter, GlyphPicture::Glyph glyph)
{
    QList<QPolygonF> triangles;
    switch (glyph) {
    case GlyphPicture::Glyph::ArrowRight:
        triangles = {triangle({6, 2}, {6, 13}, {12, 7.5})};
        break;
    case GlyphPicture::Glyph::ArrowLeft:
        triangles = {triangle({10, 2}, {10, 13}, {4, 7.5})};
        break;
    case GlyphPicture::Glyph::DoubleArrowRight:
        triangles = {triangle({3, 3}, {3, 12}, {8, 7.5}), triangle({8, 3}, {8, 12}, {13, 7.5})};
        break;
    case GlyphPicture::Glyph::DoubleArrowLeft:
        triangles = {triangle({8, 3}, {8, 12}, {3, 7.5}), triangle({13, 3}, {13, 12}, {8, 7.5})};
        break;
    case GlyphPicture::Glyph::OpenFolder:
        break;
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(Black);
    for (const QPolygonF &shape : triangles)
        painter.drawPolygon(shape);
}

// `pixelExact`: drawn at 96 dpi, outlines one pixel wide through the pixel centres.
void drawOpenFolder(QPainter &painter, bool pixelExact)
{
    const QPolygonF back(
        {{0.5, 14.5}, {0.5, 8.5}, {1.5, 7.5}, {3.5, 7.5}, {4.5, 8.5}, {10.5, 8.5}, {10.5, 10.5}});
    const QPolygonF front(
        {{4.5, 10.5}, {13.5, 10.5}, {13.5, 11.5}, {10.5, 14.5}, {0.5, 14.5}, {1.5, 13.5}});
    QPen outline(Black, pixelExact ? 0.0 : 1.0);
    outline.setJoinStyle(Qt::MiterJoin);
    painter.setPen(outline);
    // Unsmoothed one-pixel lines cover the pixel right of and below each point they pass.
    painter.save();
    if (pixelExact)
        painter.translate(-0.5, -0.5);
    painter.setBrush(DarkYellow);
    painter.drawPolygon(back);
    painter.setBrush(Yellow);
    painter.drawPolygon(front);

    // The curved arrow above, pointing down into the folder.
    QPainterPath arc;
    if (pixelExact) {
        arc.moveTo(8.5, 2.5);
        arc.lineTo(9.5, 1.5);
        arc.lineTo(11.5, 1.5);
        arc.lineTo(12.5, 2.5);
        arc.lineTo(12.5, 3.5);
    } else {
        arc.moveTo(8.5, 2.8);
        arc.cubicTo(8.5, 0.9, 12.5, 0.9, 12.5, 2.8);
        arc.lineTo(12.5, 4.0);
    }
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(arc);
    painter.restore();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Black);
    painter.drawPolygon(triangle({10, 4}, {15, 4}, {12.5, 7}));
}

// A rim of `rim` colour, `width` device pixels wide, around the dark parts of `picture`, drawn
// under it: black on a dark face would all but vanish.
QImage withRim(const QImage &picture, const QColor &rim, int width)
{
    QImage result(picture.size(), QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    const auto darkCoverage = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= picture.width() || y >= picture.height())
            return 0;
        const QColor pixel = picture.pixelColor(x, y);
        return pixel.lightness() < 96 ? pixel.alpha() : 0;
    };
    for (int y = 0; y < result.height(); ++y) {
        for (int x = 0; x < result.width(); ++x) {
            int coverage = 0;
            for (int dy = -width; dy <= width; ++dy) {
                for (int dx = -width; dx <= width; ++dx)
                    coverage = std::max(coverage, darkCoverage(x + dx, y + dy));
            }
            if (coverage > 0) {
                QColor colour = rim;
                colour.setAlpha(coverage);
                result.setPixelColor(x, y, colour);
            }
        }
    }
    QPainter painter(&result);
    painter.drawImage(0, 0, picture);
    return result;
}

class GlyphIconEngine : public QIconEngine
{
public:
    GlyphIconEngine(GlyphPicture::Glyph glyph, const QPalette &palette)
        : m_glyph(glyph), m_palette(palette)
    {}

    QIconEngine *clone() const override { return new GlyphIconEngine(m_glyph, m_palette); }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override
    {
        const int pixels = std::min(size.width(), size.height());
        return QPixmap::fromImage(
            GlyphPicture::render(m_glyph, pixels, mode == QIcon::Disabled, m_palette));
    }

    // `size` in device pixels, as QIcon asks.
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override
    {
        QPixmap result = pixmap(size, mode, state);
        result.setDevicePixelRatio(scale);
        return result;
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, scaledPixmap(rect.size() * ratio, mode, state, ratio));
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        return QSize(side, side);
    }

private:
    GlyphPicture::Glyph m_glyph;
    QPalette m_palette;
};

} // namespace

bool GlyphPicture::isDark(const QPalette &palette)
{
    return palette.color(QPalette::Active, QPalette::Button).lightness() < 128;
}

QIcon GlyphPicture::icon(Glyph glyph, const QPalette &palette)
{
    return QIcon(new GlyphIconEngine(glyph, palette));
}

QImage GlyphPicture::render(Glyph glyph, int pixels, bool disabled, const QPalette &palette)
{
    QImage picture(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        // At 96 dpi the shapes fall on whole pixels: smoothing would only blur them.
        painter.setRenderHint(QPainter::Antialiasing, pixels != Size);
        painter.scale(qreal(pixels) / Size, qreal(pixels) / Size);
        if (glyph == Glyph::OpenFolder)
            drawOpenFolder(painter, pixels == Size);
        else
            drawArrows(painter, glyph);
    }
    const bool dark = isDark(palette);
    if (disabled)
        return greyed(picture, dark);
    if (dark) {
        const int rim = std::max(1, int(std::lround(qreal(pixels) / Size)));
        return withRim(picture, palette.color(QPalette::Active, QPalette::ButtonText), rim);
    }
    return picture;
}

QImage GlyphPicture::greyed(const QImage &picture, bool darkPalette)
{
    const int darkest = darkPalette ? DarkFaceDarkest : LightFaceDarkest;
    const int lightest = darkPalette ? DarkFaceLightest : 255;
    QImage result = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            const int grey = darkest + qGray(line[x]) * (lightest - darkest) / 255;
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]));
        }
    }
    return result;
}
