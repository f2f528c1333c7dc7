#include "glyph_button.h"

#include <QEvent>

GlyphButton::GlyphButton(GlyphPicture::Glyph glyph, QWidget *parent)
    : QToolButton(parent), m_glyph(glyph)
{
    setIcon(GlyphPicture::icon(m_glyph, palette()));
    setIconSize(QSize(GlyphPicture::Size, GlyphPicture::Size));
}

void GlyphButton::changeEvent(QEvent *event)
{
    QToolButton::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        setIcon(GlyphPicture::icon(m_glyph, palette()));
}
