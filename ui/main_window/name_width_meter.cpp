#include "name_width_meter.h"

#include <QChar>
#include <cmath>

namespace {

// Characters that lay out on their own: no controls, no soft hyphen, no combining marks.
bool standsAlone(char16_t character)
{
    if (character < 0x20 || (character >= 0x7f && character < 0xa0) || character == 0xad)
        return false;
    const QChar::Category category = QChar::category(char32_t(character));
    return category != QChar::Mark_NonSpacing && category != QChar::Mark_SpacingCombining &&
           category != QChar::Mark_Enclosing && category != QChar::Other_Format;
}

} // namespace

QFont NameWidthMeter::measurableFont(QFont font)
{
    font.setKerning(false);
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
    return font;
}

NameWidthMeter::NameWidthMeter(const QFont &font) : m_metrics(font), m_metricsF(font)
{
    m_advances.fill(Unmeasured);
}

qint32 NameWidthMeter::advance(char16_t character) const
{
    qint32 &known = m_advances[character];
    if (known == Unmeasured) {
        known = standsAlone(character)
                    ? qint32(std::lround(m_metricsF.horizontalAdvance(QChar(character)) * 64))
                    : LaidOutWithOthers;
    }
    return known;
}

int NameWidthMeter::width(const QString &text) const
{
    qint64 sum = 0;
    for (const QChar character : text) {
        const char16_t unit = character.unicode();
        const qint32 advance = unit < SummedRange ? this->advance(unit) : LaidOutWithOthers;
        if (advance == LaidOutWithOthers)
            return m_metrics.horizontalAdvance(text);
        sum += advance;
    }
    // Rounded as the font engine rounds its total.
    return int((sum + 32) >> 6);
}
