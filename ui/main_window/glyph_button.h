// A button that shows only a glyph picture, drawn anew when its palette changes (a dark theme
// needs the pictures' light rims).
#pragma once

#include "glyph_picture.h"

#include <QToolButton>

class GlyphButton : public QToolButton
{
    Q_OBJECT

public:
    GlyphButton(GlyphPicture::Glyph glyph, QWidget *parent);

    GlyphPicture::Glyph glyph() const { return m_glyph; }

protected:
    void changeEvent(QEvent *event) override;

private:
    GlyphPicture::Glyph m_glyph;
};
