#include "job_progress_bar.h"

#include <QAccessible>

JobProgressBar::JobProgressBar(QWidget *parent) : QProgressBar(parent) {}

void JobProgressBar::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    setTextVisible(!caption.isEmpty());
    setAccessibleDescription(caption);
    update();
    emit captionChanged(caption);
}
