// Decides when the job's progress is worth drawing. The job reports every source, tens of
// thousands of them in a fraction of a second; drawing each, and turning the event loop each
// time, would cost more than copying small files. The bar is drawn when its filled part grows
// by a device pixel, and no more often than the screen shows frames; a new text alone (the next
// file's name) no more often than ten times a second, which is enough to read it go by.
#pragma once

#include <QElapsedTimer>

class ProgressPacer
{
public:
    // A new run over `minimum`..`maximum`, drawn `barPixels` device pixels wide on a screen that
    // shows `framesPerSecond` frames.
    void start(int minimum, int maximum, int barPixels, qreal framesPerSecond);
    // Whether `position`, with a text new or not, is to be drawn now. The last position always
    // is, so the bar ends full.
    bool due(int position, bool newText = false);
    // Whether due() could say yes now for `position`, whatever the text: the text, which costs
    // more to make than the position, is made only then.
    bool mayDraw(int position) const;

private:
    qint64 filledPixels(int position) const;

    int m_minimum = 0;
    int m_maximum = 0;
    int m_barPixels = 0;
    qint64 m_frameNanoseconds = 0;
    qint64 m_drawnPixels = -1;
    QElapsedTimer m_sinceDrawn;
};
