// The pictures of the glyph buttons: black arrow triangles, a yellow open folder with a curved
// black arrow, 16 x 16 at 96 dpi. They are drawn for the screen they show on rather than scaled
// from a bitmap, so they stay sharp at any device pixel ratio; at 1 they are the classic pixel
// pictures, pixel for pixel. On a dark palette the black parts get a light rim, and disabled
// buttons show a greyed form that stays apart from the enabled one on either palette.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPalette>

class GlyphPicture
{
public:
    enum class Glyph { OpenFolder, DoubleArrowRight, ArrowRight, ArrowLeft, DoubleArrowLeft };
    static constexpr int Size = 16; // at 96 dpi

    // The icon a button of `palette` shows, drawn at whatever size and ratio it is asked for.
    static QIcon icon(Glyph glyph, const QPalette &palette);
    // The picture `pixels` device pixels wide, greyed when `disabled`, for a button of `palette`.
    static QImage render(Glyph glyph, int pixels, bool disabled, const QPalette &palette);

    static bool isDark(const QPalette &palette);
    // Every pixel turned into a grey that keeps the picture's shading, within the span of greys
    // that reads as disabled on the palette; transparent pixels stay transparent. The style's
    // own greying leaves black arrows nearly black, so a disabled button could not be told from
    // an enabled one.
    static QImage greyed(const QImage &picture, bool darkPalette);
};
