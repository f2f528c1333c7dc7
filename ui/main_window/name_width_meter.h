// Measures file names as a list draws them, fast enough for a hundred thousand names. Laying out
// each name in full costs more than reading the folder; in a font drawn without kerning and
// without shaping, a Latin name is as wide as its characters' advances added up, and those are
// measured once each. Other names are laid out in full.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QString>
#include <array>

class NameWidthMeter
{
public:
    // What a font needs for names to measure as the sum of their characters.
    static QFont measurableFont(QFont font);

    // `font` must be what measurableFont() gives.
    explicit NameWidthMeter(const QFont &font);

    // The same as QFontMetrics(font).horizontalAdvance(text).
    int width(const QString &text) const;

private:
    static constexpr char16_t SummedRange = 0x250; // Latin-1 and Latin Extended-A and -B
    static constexpr qint32 Unmeasured = -1;
    static constexpr qint32 LaidOutWithOthers = -2; // marks, controls: the name is laid out
    // In 1/64 pixel, the unit the font engine adds advances in.
    qint32 advance(char16_t character) const;

    QFontMetrics m_metrics;
    QFontMetricsF m_metricsF;
    mutable std::array<qint32, SummedRange> m_advances;
};
