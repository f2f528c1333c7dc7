// The pictures of the glyph buttons, with the greyed form a button shows while disabled.
#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

class GlyphPicture
{
public:
    // The picture stored at `resource`, with its greyed form for the disabled state.
    static QIcon icon(const QString &resource);

    // Every pixel turned into a light grey that keeps the picture's shading; transparent pixels
    // stay transparent. The style's own greying leaves black arrows nearly black, so a disabled
    // button could not be told from an enabled one.
    static QImage greyed(const QImage &picture);
};
