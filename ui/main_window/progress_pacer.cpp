#include "progress_pacer.h"

#include <algorithm>

void ProgressPacer::start(int minimum, int maximum, int barPixels, qreal framesPerSecond)
{
    m_minimum = minimum;
    m_maximum = maximum;
    m_barPixels = std::max(barPixels, 1);
    m_frameNanoseconds = framesPerSecond > 0 ? qint64(1e9 / framesPerSecond) : 0;
    m_drawnPixels = -1;
    m_sinceDrawn.invalidate();
}

qint64 ProgressPacer::filledPixels(int position) const
{
    const qint64 span = qint64(m_maximum) - m_minimum;
    if (span <= 0)
        return 0;
    const qint64 done = std::clamp<qint64>(qint64(position) - m_minimum, 0, span);
    return done * m_barPixels / span;
}

namespace {

constexpr qint64 textNanoseconds = 100'000'000;

} // namespace

bool ProgressPacer::mayDraw(int position) const
{
    return filledPixels(position) != m_drawnPixels || !m_sinceDrawn.isValid() ||
           m_sinceDrawn.nsecsElapsed() >= textNanoseconds;
}

bool ProgressPacer::due(int position, bool newText)
{
    const qint64 pixels = filledPixels(position);
    const bool grown = pixels != m_drawnPixels;
    if (!grown && !newText)
        return false;
    const bool last = position >= m_maximum && grown;
    const qint64 wait = grown ? m_frameNanoseconds : textNanoseconds;
    if (!last && m_sinceDrawn.isValid() && m_sinceDrawn.nsecsElapsed() < wait)
        return false;
    m_drawnPixels = pixels;
    m_sinceDrawn.start();
    return true;
}
